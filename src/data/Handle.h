#pragma once

// An open SQLite database behind a Connection, with what is worth keeping between uses: its
// prepared statements and the last rows each query read. Closed connections hand their handle
// to a small pool, as ODBC pools connections, so the next handler that opens the same file
// finds both again. A fresh read costs tens of milliseconds on a large dictionary; a copy of
// rows nobody has changed since costs almost nothing.

#include "data/RowStore.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace modDB::detail {

// The rows one query read, and the state of the file they were read at.
struct Snapshot {
    std::shared_ptr<RowStore> store;
    std::vector<Row*> rows;
    QStringList columns;
    qint64 dataVersion = -1;
    qint64 changeCount = -1;
};

// Tells one file from another that later took its name. A kept handle holds its file open,
// so that file's inode cannot go to a new file while the handle waits in the pool.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
    static FileIdentity Of(const QString& path);
};

class Handle {
public:
    Handle(sqlite3* db, QString poolKey, FileIdentity identity)
        : db_(db)
        , poolKey_(std::move(poolKey))
        , identity_(identity) {}
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    sqlite3* db() const { return db_; }
    const QString& poolKey() const { return poolKey_; }
    const FileIdentity& identity() const { return identity_; }

    sqlite3_stmt* cachedStatement(const QString& sql);
    qint64 dataVersion();
    qint64 changeCount() const;
    void noteWriteResult(int resultCode, int normalTimeoutMs);

    // The rows `sql` read last, when nothing has changed the file since.
    const Snapshot* currentSnapshot(const QString& sql);
    void keepSnapshot(const QString& sql, Snapshot snapshot);

private:
    sqlite3* db_;
    QString poolKey_;
    FileIdentity identity_;
    std::map<QString, sqlite3_stmt*> statements_;
    std::map<QString, Snapshot> snapshots_;
    bool waitingForLocks_ = true;
};

// An idle handle for `poolKey` whose file is still `identity`, or null.
std::shared_ptr<Handle> TakePooledHandle(const QString& poolKey, const FileIdentity& identity);
// Keeps `handle` for the next connection to its file; closes it when the pool is full.
void ReturnHandle(std::shared_ptr<Handle> handle);

} // namespace modDB::detail
