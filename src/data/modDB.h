#pragma once

// Database access: the only way the program opens data. A connection opens one SQLite file; a
// recordset is an updatable, in-memory copy of one query's result. Operations carry the names of
// the ADO recordset the program was designed around. Nothing here throws or shows a message:
// every failure comes back as a Status with a readable reason.

#include <QString>
#include <QVariant>

#include <map>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace modDB {

namespace detail {
struct Row;
class RowStore;
class Handle;
} // namespace detail

class Status {
public:
    static Status Ok() { return Status(); }
    static Status Fail(QString reason) { return Status(std::move(reason)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& reason() const { return reason_; }

private:
    Status() = default;
    explicit Status(QString reason)
        : failed_(true)
        , reason_(std::move(reason)) {}

    bool failed_ = false;
    QString reason_;
};

// Update files are only ever read; the journal and the dictionary are written.
enum class OpenMode { ReadWrite, ReadOnly };

class Connection {
public:
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& ConnectionString() const { return connectionString_; }
    // The file actually opened (the DBQ path, resolved ignoring the letter case of its name).
    const QString& FilePath() const { return filePath_; }
    bool IsOpen() const { return handle_ != nullptr; }
    bool IsReadOnly() const;
    // Ends this connection. Its database stays open in a small pool, so that the next connection
    // to the same file starts at once with the statements and rows already read.
    Status Close();

    sqlite3* handle() const;
    detail::Handle* database() const { return handle_.get(); }
    // Bumped by every write made through this connection's database, so recordsets can tell
    // their own writes from everybody else's.
    qint64 changeCount() const;
    // SQLite's data_version: changes whenever another connection commits to the file.
    qint64 dataVersion() const;
    // A prepared statement kept while the database is open: the same few writes run thousands
    // of times in one import. The caller resets it after use. Null on failure.
    sqlite3_stmt* cachedStatement(const QString& sql);
    // Called after every write: once a write has waited the full busy timeout for another
    // program's lock, the next ones fail at once instead of each waiting again, until one
    // succeeds.
    void noteWriteResult(int resultCode);

private:
    friend Status OpenDatabaseFile(std::shared_ptr<Connection>&, const QString&, OpenMode);
    Connection() = default;

    std::shared_ptr<detail::Handle> handle_;
    QString connectionString_;
    QString filePath_;
};

using ConnectionPtr = std::shared_ptr<Connection>;

class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool IsOpen() const { return open_; }
    const QString& Source() const { return sql_; }
    // The reason the last failing operation gave, for callers that only see a bool or a value.
    const QString& LastError() const { return lastError_; }

    long RecordCount() const;
    // EOF is a C macro; the trailing underscore keeps the ADO name usable.
    bool EOF_() const;
    // Position among the visible rows, 0-based; equals RecordCount() at EOF.
    long AbsolutePosition() const { return pos_; }

    Status MoveFirst();
    Status MoveNext();

    // Reads a column of the current row by name, ignoring the case of the name. Integers come back
    // as qlonglong, text as QString, SQL NULL as a null QVariant of no type. An invalid QVariant
    // also stands for "no current row" or "no such column"; LastError() then says which.
    QVariant Field(const QString& column) const;
    Status SetField(const QString& column, const QVariant& value);
    QStringList FieldNames() const;

    Status AddNew();
    Status Update();
    Status CancelUpdate();
    Status Delete();

    const QString& Filter() const { return filter_; }
    // "" shows every row; otherwise Column=number or Column='text' (a doubled quote stands for
    // one quote). Text equality ignores case. A filter that cannot be parsed fails and leaves no
    // row visible.
    Status Filter(const QString& expression);

    Status Requery();
    Status Close();

    // How many times the rows were read from the file; lets tests and benchmarks see whether a
    // Requery had to go back to the file.
    int fetchCount() const { return fetchCount_; }

private:
    friend Status OpenRecordset(std::shared_ptr<Recordset>&, std::shared_ptr<Connection>&,
                                const QString&);
    Recordset() = default;

    using Row = detail::Row;
    struct OrderTerm {
        int column;
        bool descending;
    };
    struct FilterIndex;

    Status fail(const QString& reason) const;
    Status writable() const;
    Status open(const ConnectionPtr& connection, const QString& sql);
    Status fetch();
    Status refetchRow(Row& row) const;
    Status applyFilter(const QString& expression);
    int columnIndex(const QString& name) const;
    bool rowLess(const Row& a, const Row& b) const;
    void placeRow(Row* row);
    void unplaceRow(Row* row);
    std::vector<Row*>::iterator findRow(Row* row);
    Row* currentRow() const;
    void rememberOwnWrite();

    bool open_ = false;
    QString sql_;
    ConnectionPtr connection_;
    mutable QString lastError_;

    // What the query reads, known when it is a plain single-table SELECT; only such recordsets
    // can write, and they find their rows again by rowid.
    QString table_;
    QString selectList_;
    QString fetchSql_;
    bool updatable_ = false;
    // Whether rows written here can be put where a fresh read would put them.
    bool orderKnown_ = false;
    std::vector<OrderTerm> order_;

    QStringList columns_;
    mutable QString lastColumnName_; // the last name Field() looked up, and where it was
    mutable int lastColumnIndex_ = -1;
    std::shared_ptr<detail::RowStore> store_; // shared with copies of the same rows
    std::vector<Row*> rows_;                  // in query order
    std::vector<Row*> visible_;               // rows_ narrowed by the filter
    bool filtered_ = false;
    long pos_ = 0;
    // After Delete the current row is gone and the next one already sits at pos_.
    bool deletedCurrent_ = false;

    enum class EditMode { None, Edit, Add };
    EditMode editMode_ = EditMode::None;
    std::vector<QVariant> pending_;
    std::vector<bool> dirty_;

    QString filter_;
    std::map<QString, std::unique_ptr<FilterIndex>> indexes_;

    qint64 seenDataVersion_ = -1;
    qint64 seenChangeCount_ = -1;
    int fetchCount_ = 0;
};

using RecordsetPtr = std::shared_ptr<Recordset>;

// File names match without regard to letter case, as they do where the data files come from:
// when the exact name is absent, the one entry of its folder that differs only in case.
QString ResolveIgnoringCase(const QString& path);

// The connection text every database is opened with, update files included.
QString ConnectionText(const QString& path);

// Strips every double quote from `path` (in place), then opens the file it names. The file must
// exist: nothing is ever created here.
Status OpenConnection(ConnectionPtr& connection, QString& path,
                      OpenMode mode = OpenMode::ReadWrite);

// Opens the file at exactly `path`, quotes and all: for files whose path the program builds
// itself, in a folder whose name may hold any character.
Status OpenDatabaseFile(ConnectionPtr& connection, const QString& path,
                        OpenMode mode = OpenMode::ReadWrite);

// Runs `sql` on `connection` and gives a client-side copy of its rows, positioned on the first.
Status OpenRecordset(RecordsetPtr& recordset, ConnectionPtr& connection, const QString& sql);

// The program-wide connections and recordsets, opened by start-up and kept until the process ends.
inline ConnectionPtr cnDreams;
inline RecordsetPtr rsDreams;
inline ConnectionPtr cnKeywords;
inline RecordsetPtr rsKeywords;

// Whether the file at `path` (its name matched ignoring case) is a readable, intact database
// holding `table` with at least `columns`. The file is only read. Until a later check passes,
// OpenConnection refuses a file found unusable, so that nothing is ever written to it.
Status CheckDataFile(const QString& path, const QString& table, const QStringList& columns);

// Test seam: writes to the named file fail as they would on a read-only file or a full disk,
// for connections opened after the call. An empty path clears every simulated fault.
enum class SimulatedFault { None, ReadOnly, DiskFull };
void SimulateFault(const QString& path, SimulatedFault fault);

} // namespace modDB
