#include "data/modDB.h"

#include "data/CaseFold.h"
#include "data/Handle.h"
#include "data/QueryText.h"
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

QString sqliteReason(sqlite3* db, const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
}

// Data files that a check found unusable, by absolute path, with the reason.
QHash<QString, QString>& refusedFiles() {
    static QHash<QString, QString> refused;
    return refused;
}

// Opens `file` and reads its schema, which is what tells a database from any other file.
// `code` receives SQLite's result when that fails.
Status openDatabase(const QString& file, bool readOnly, bool immutableWhenQuiet, const char* vfs,
                    sqlite3*& db, int& code) {
    int flags = SQLITE_OPEN_NOMUTEX | (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    // A file that is only read, and has no write-ahead log waiting beside it, is opened as
    // immutable: reading then needs no -wal or -shm files beside it and leaves none there.
    QByteArray name = QFile::encodeName(file);
    if (readOnly && immutableWhenQuiet && !QFileInfo::exists(file + QStringLiteral("-wal"))) {
        QUrl uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
        uri.setQuery(QStringLiteral("immutable=1"));
        name = uri.toEncoded();
        flags |= SQLITE_OPEN_URI;
    }
    db = nullptr;
    code = sqlite3_open_v2(name.constData(), &db, flags, vfs);
    if (code == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_create_collation_v2(db, "ONEIRION_NOCASE", SQLITE_UTF16, nullptr, collateNoCase,
                                    nullptr);
        code = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    if (code == SQLITE_OK)
        return Status::Ok();
    const Status failed = Status::Fail(sqliteReason(db, file));
    sqlite3_close_v2(db);
    db = nullptr;
    return failed;
}

} // namespace

Connection::~Connection() {
    // Dropping the last reference closes the database for good; only Close() pools it.
    handle_.reset();
}

bool Connection::IsReadOnly() const {
    return handle_ == nullptr || sqlite3_db_readonly(handle_->db(), "main") == 1;
}

Status Connection::Close() {
    detail::ReturnHandle(std::move(handle_));
    handle_.reset();
    return Status::Ok();
}

sqlite3* Connection::handle() const {
    return handle_ ? handle_->db() : nullptr;
}

qint64 Connection::changeCount() const {
    return handle_ ? handle_->changeCount() : -1;
}

qint64 Connection::dataVersion() const {
    return handle_ ? handle_->dataVersion() : -1;
}

sqlite3_stmt* Connection::cachedStatement(const QString& sql) {
    return handle_ ? handle_->cachedStatement(sql) : nullptr;
}

void Connection::noteWriteResult(int resultCode) {
    if (handle_)
        handle_->noteWriteResult(resultCode, kBusyTimeoutMs);
}

QString ResolveIgnoringCase(const QString& path) {
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

QString ConnectionText(const QString& path) {
    return QLatin1String(kDriverText) + QLatin1String("UID=;PWD=") + QLatin1String(kPassword) +
           QLatin1String(";DBQ=") + path;
}

Status OpenConnection(ConnectionPtr& connection, QString& path, OpenMode mode) {
    path.remove(QLatin1Char('"'));
    return OpenDatabaseFile(connection, dbqPath(ConnectionText(path)), mode);
}

Status OpenDatabaseFile(ConnectionPtr& connection, const QString& path, OpenMode mode) {
    connection.reset(new Connection);
    connection->connectionString_ = ConnectionText(path);

    const QString file = ResolveIgnoringCase(path);
    connection->filePath_ = file;
    if (file.isEmpty())
        return Status::Fail(QStringLiteral("No database file was named."));
    const QFileInfo info(file);
    if (!info.exists())
        return Status::Fail(QStringLiteral("%1: no such file").arg(file));
    if (info.isDir())
        return Status::Fail(QStringLiteral("%1: is a folder, not a database").arg(file));

    if (const auto refused = refusedFiles().constFind(info.absoluteFilePath());
        refused != refusedFiles().cend())
        return Status::Fail(QStringLiteral("%1: %2").arg(file, *refused));

    const SimulatedFault fault =
        simulatedFaults().value(info.absoluteFilePath(), SimulatedFault::None);
    const char* vfs =
        fault == SimulatedFault::DiskFull ? SimulatedFaultVfs::diskFullName() : nullptr;

    // Update files are opened once per import, and immutable: keep no handle of theirs.
    const QString poolKey =
        mode == OpenMode::ReadOnly
            ? QString()
            : QStringLiteral("%1|%2").arg(info.absoluteFilePath()).arg(int(fault));
    const detail::FileIdentity identity = detail::FileIdentity::Of(file);
    connection->handle_ = detail::TakePooledHandle(poolKey, identity);
    if (connection->handle_)
        return Status::Ok();

    sqlite3* db = nullptr;
    int code = SQLITE_OK;
    const bool readOnly = mode == OpenMode::ReadOnly || fault == SimulatedFault::ReadOnly;
    Status opened = openDatabase(file, readOnly, mode == OpenMode::ReadOnly, vfs, db, code);
    const int primary = code & 0xff;
    if (!opened && !readOnly &&
        (primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY || primary == SQLITE_PERM)) {
        // The file or its folder cannot be written (the write-ahead log lives beside the file):
        // it opens for reading, and every write then fails and says why.
        opened = openDatabase(file, true, true, vfs, db, code);
    }
    if (!opened)
        return opened;
    if (sqlite3_db_readonly(db, "main") != 1) {
        // Every write is its own transaction and must survive a crash of the program: the
        // write-ahead log with NORMAL sync gives that without an fsync per row.
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    connection->handle_ = std::make_shared<detail::Handle>(db, poolKey, identity);
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

Status CheckDataFile(const QString& path, const QString& table, const QStringList& columns) {
    const QString file = ResolveIgnoringCase(path);
    const QString key = QFileInfo(file).absoluteFilePath();
    refusedFiles().remove(key);
    const auto refuse = [&key](const QString& reason) {
        refusedFiles().insert(key, reason);
        return Status::Fail(reason);
    };

    // Reading the first bytes tells an unreadable file apart before SQLite's vaguer words.
    QFile probe(file);
    if (!probe.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("The file cannot be read: %1.").arg(probe.errorString()));
    probe.close();

    // Only ever read here: a damaged file must stay exactly as it is.
    sqlite3* db = nullptr;
    int code = SQLITE_OK;
    if (!openDatabase(file, true, true, nullptr, db, code)) {
        const QString why = QString::fromUtf8(sqlite3_errstr(code));
        return refuse((code & 0xff) == SQLITE_CORRUPT
                          ? QStringLiteral("The file is damaged: %1.").arg(why)
                          : QStringLiteral("It is not a usable database: %1.").arg(why));
    }
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(db, sqlite3_close_v2);

    QStringList damage;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(3)", -1, &stmt, nullptr);
    while (rc == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        const QString line =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        if (line != QLatin1String("ok"))
            damage << line;
    }
    rc = sqlite3_finalize(stmt);
    if (rc != SQLITE_OK)
        damage.prepend(QString::fromUtf8(sqlite3_errmsg(db)));
    if (!damage.isEmpty())
        return refuse(
            QStringLiteral("The file is damaged: %1.").arg(damage.join(QLatin1String("; "))));

    QStringList present;
    const QByteArray info =
        QStringLiteral("PRAGMA table_info(%1)").arg(QueryText::QuoteIdentifier(table)).toUtf8();
    if (sqlite3_prepare_v2(db, info.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            present << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    }
    sqlite3_finalize(stmt);
    if (present.isEmpty())
        return refuse(QStringLiteral("It holds no table %1.").arg(table));
    for (const QString& column : columns) {
        if (!present.contains(column, Qt::CaseInsensitive))
            return refuse(QStringLiteral("Its table %1 has no column %2.").arg(table, column));
    }
    return Status::Ok();
}

} // namespace modDB
