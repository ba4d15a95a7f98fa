#pragma once

// One open SQLite file. Statements are prepared once per connection and run with bound
// parameters; no SQL text is ever built from data. Text comparison in queries uses the
// ONEIRION_NOCASE collation, which ignores case for all of Unicode (see CaseFold.h).

#include "core/Result.h"

#include <QString>
#include <QStringList>
#include <QUtf8StringView>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

class Database {
public:
    enum class Access {
        // The journal and the dictionary. A file the user may not write opens for reading.
        ReadWrite,
        // Files that are only read and must stay byte for byte as they are (update files,
        // backups): no journal, no -wal or -shm beside them.
        ReadOnly,
    };

    // Opens an existing file; nothing is ever created here. A file that is not an SQLite
    // database fails with the reason.
    static Result<std::unique_ptr<Database>> open(const QString& path, Access access);
    // Checks, only reading it, that `path` is an undamaged database whose table `table` has
    // `columns`. The reason comes back as a sentence for the user.
    static Status check(const QString& path, const QString& table, const QStringList& columns);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }
    // Whether the path still names the file this connection has open: a file removed, or
    // replaced by another of the same name, is no longer the one it reads and writes.
    bool isStillAtPath() const;
    // True when writes cannot succeed: opened for reading, or the file or folder refuses them.
    bool isReadOnly() const;

    class Query;
    // Prepares `sql` (once per connection) and binds `params` to its ? placeholders in order.
    Result<Query> query(const char* sql, std::initializer_list<QVariant> params = {});
    // Runs a statement that returns no rows.
    Status execute(const char* sql, std::initializer_list<QVariant> params = {});

    qint64 lastInsertRowId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    // Changes whenever any connection, in this process or another, commits to the file.
    qint64 dataVersion();

    // Runs `work` inside one transaction: committed when it succeeds, rolled back otherwise, so
    // a failure or a killed process leaves the file as it was before.
    Status transaction(const std::function<Status()>& work);
    // Runs `work` inside a savepoint of the current transaction: a failure undoes `work` alone.
    Status savepoint(const std::function<Status()>& work);

    // The columns of the real table `table` (never a view), or an empty list when there is none.
    Result<QStringList> tableColumns(const QString& table);

    // Writes a consistent copy of the whole database through SQLite's online backup, also while
    // it is in use, into the empty file `emptyFile`: a database on its own, with no log beside
    // it, that any SQLite tool can read.
    Status copyInto(const QString& emptyFile);
    // The same into a new file that takes the place of `target` in one step, with mode 0600.
    Status copyTo(const QString& target);

    // The last failure, naming the file and SQLite's reason.
    Error error() const;
    sqlite3* handle() const { return db_; }

private:
    Database(sqlite3* db, QString path, Access access);
    Result<sqlite3_stmt*> prepare(const char* sql);

    sqlite3* db_;
    QString path_;
    Access access_;
    bool utf8Text_ = false;
    std::map<const char*, sqlite3_stmt*> statements_;
    // The file as opened: its device and inode.
    quint64 device_ = 0;
    quint64 inode_ = 0;
    int savepointDepth_ = 0;
};

// The rows of one prepared statement. It resets the statement when it goes, so the connection
// can run it again.
class Database::Query {
public:
    Query(Query&& other) noexcept;
    Query& operator=(Query&&) = delete;
    ~Query();

    // Steps to the next row; false at the end or on failure, which status() then tells.
    bool next();
    Status status() const;

    bool isNull(int column) const;
    QString text(int column) const;
    // The text as the file holds it, valid until the next step: lets a reader compare it with
    // what it read before without decoding it.
    QUtf8StringView utf8(int column) const;
    qint64 integer(int column) const;
    // Integers come back as qlonglong, reals as double, text as QString, NULL as a null QVariant.
    QVariant value(int column) const;

private:
    friend class Database;
    Query(const Database* database, sqlite3_stmt* statement);

    const Database* database_;
    sqlite3_stmt* statement_;
    int lastCode_ = 0;
};

// A file that may be named in another letter case than the program writes it: the existing
// entry of `folder` whose name equals `name` ignoring case, the exact name first. Empty when
// there is none.
QString findFileIgnoringCase(const QString& folder, const QString& name);
