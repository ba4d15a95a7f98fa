#include "data/modDB.h"

#include "data/CaseFold.h"
#include "data/SimulatedFaultVfs.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <sqlite3.h>

namespace modDB {
namespace {

const char kDriverText[] = "DRIVER=Microsoft Access Driver (*.mdb);";
// A fixed password kept for compatibility of the connection text; it encrypts nothing.
const char kPassword[] = "Kq8Vn2ZtRw5HyD3sLm";
// Long enough to ride out another instance's single-row write, short enough not to hang the UI.
const int kBusyTimeoutMs = 1000;

QHash<QString, SimulatedFault>& simulatedFaults() {
    static QHash<QString, SimulatedFault> faults;
    return faults;
}

int collateNoCase(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return CompareNoCase(QStringView(static_cast<const char16_t*>(a), lengthA / 2),
                         QStringView(static_cast<const char16_t*>(b), lengthB / 2));
}

// The DBQ part of a connection text: everything after the last ";DBQ=".
QString dbqPath(const QString& connectionText) {
    const int at = connectionText.lastIndexOf(QLatin1String(";DBQ="), -1, Qt::CaseInsensitive);
    return at < 0 ? QString() : connectionText.mid(at + 5);
}

// File names match without regard to letter case, as they do where the data files come from:
// when the exact name is absent, take the one entry of the folder that differs only in case.
QString resolveIgnoringCase(const QString& path) {
    const QFileInfo exact(path);
    if (exact.exists())
        return path;
    const QDir folder = exact.dir();
    const QString wanted = exact.fileName();
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (QString::compare(entry, wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    }
    return path;
}

QString sqliteReason(sqlite3* db, const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

Connection::~Connection() {
    Close();
}

bool Connection::IsReadOnly() const {
    return db_ == nullptr || sqlite3_db_readonly(db_, "main") == 1;
}

Status Connection::Close() {
    if (db_ == nullptr)
        return Status::Ok();
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    statements_.clear();
    // close_v2 defers the close until the last statement is finalized, so it never fails here.
    sqlite3_close_v2(db_);
    db_ = nullptr;
    return Status::Ok();
}

qint64 Connection::changeCount() const {
    return db_ == nullptr ? -1 : sqlite3_total_changes64(db_);
}

qint64 Connection::dataVersion() const {
    sqlite3_stmt* stmt =
        const_cast<Connection*>(this)->cachedStatement(QStringLiteral("PRAGMA data_version"));
    if (stmt == nullptr)
        return -1;
    const qint64 version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_reset(stmt);
    return version;
}

sqlite3_stmt* Connection::cachedStatement(const QString& sql) {
    if (db_ == nullptr)
        return nullptr;
    auto found = statements_.find(sql);
    if (found != statements_.end())
        return found->second;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT,
                           &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements_.emplace(sql, stmt);
    return stmt;
}

void Connection::noteWriteResult(int resultCode) {
    if (db_ == nullptr)
        return;
    const bool busy = (resultCode & 0xff) == SQLITE_BUSY || (resultCode & 0xff) == SQLITE_LOCKED;
    if (busy && waitingForLocks_) {
        waitingForLocks_ = false;
        sqlite3_busy_timeout(db_, 0);
    } else if (!busy && !waitingForLocks_) {
        waitingForLocks_ = true;
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    }
}

QString ConnectionText(const QString& path) {
    return QLatin1String(kDriverText) + QLatin1String("UID=;PWD=") + QLatin1String(kPassword) +
           QLatin1String(";DBQ=") + path;
}

Status OpenConnection(ConnectionPtr& connection, QString& path, OpenMode mode) {
    path.remove(QLatin1Char('"'));
    connection.reset(new Connection);
    connection->connectionString_ = ConnectionText(path);

    const QString file = resolveIgnoringCase(dbqPath(connection->connectionString_));
    connection->filePath_ = file;
    if (file.isEmpty())
        return Status::Fail(QStringLiteral("No database file was named."));
    const QFileInfo info(file);
    if (!info.exists())
        return Status::Fail(QStringLiteral("%1: no such file").arg(file));
    if (info.isDir())
        return Status::Fail(QStringLiteral("%1: is a folder, not a database").arg(file));

    const SimulatedFault fault =
        simulatedFaults().value(info.absoluteFilePath(), SimulatedFault::None);
    int flags = SQLITE_OPEN_NOMUTEX;
    flags |= (mode == OpenMode::ReadOnly || fault == SimulatedFault::ReadOnly)
                 ? SQLITE_OPEN_READONLY
                 : SQLITE_OPEN_READWRITE;
    const char* vfs =
        fault == SimulatedFault::DiskFull ? SimulatedFaultVfs::diskFullName() : nullptr;

    // A file that is only read, and has no write-ahead log waiting beside it, is opened as
    // immutable: reading then leaves no -wal or -shm files next to the user's update file.
    QByteArray name = QFile::encodeName(file);
    if (mode == OpenMode::ReadOnly && !QFileInfo::exists(file + QStringLiteral("-wal"))) {
        QUrl uri = QUrl::fromLocalFile(info.absoluteFilePath());
        uri.setQuery(QStringLiteral("immutable=1"));
        name = uri.toEncoded();
        flags |= SQLITE_OPEN_URI;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &db, flags, vfs);
    if (rc != SQLITE_OK) {
        const Status failed = Status::Fail(sqliteReason(db, file));
        sqlite3_close_v2(db);
        return failed;
    }
    connection->db_ = db;
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_create_collation_v2(db, "ONEIRION_NOCASE", SQLITE_UTF16, nullptr, collateNoCase,
                                nullptr);

    // Reading the schema is what tells a database from any other file.
    char* error = nullptr;
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error) !=
        SQLITE_OK) {
        const Status failed =
            Status::Fail(QStringLiteral("%1: %2").arg(file, QString::fromUtf8(error)));
        sqlite3_free(error);
        connection->Close();
        return failed;
    }
    if (!connection->IsReadOnly()) {
        // Every write is its own transaction and must survive a crash of the program: the
        // write-ahead log with NORMAL sync gives that without an fsync per row.
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    return Status::Ok();
}

void SimulateFault(const QString& path, SimulatedFault fault) {
    if (path.isEmpty()) {
        simulatedFaults().clear();
        return;
    }
    const QString key = QFileInfo(path).absoluteFilePath();
    if (fault == SimulatedFault::None)
        simulatedFaults().remove(key);
    else
        simulatedFaults().insert(key, fault);
}

} // namespace modDB
