#include "core/Database.h"

#include "core/CaseFold.h"
#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a write waits for another program's lock on the file before it gives up.
constexpr int kBusyTimeoutMs = 2000;

int collateNoCase(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return CaseFold::compare(QStringView(static_cast<const char16_t*>(a), lengthA / 2),
                             QStringView(static_cast<const char16_t*>(b), lengthB / 2));
}

QString sqliteMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

} // namespace

QString findFileIgnoringCase(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (QString::compare(entry, name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

namespace {

// Opens `path` and reads its schema, which is what tells a database from any other file. A file
// that is only read, with no write-ahead log waiting beside it, opens immutable: reading then
// needs no -wal or -shm beside it and leaves none there. `code` receives SQLite's result.
sqlite3* openFile(const QString& path, bool readOnly, int& code) {
    int flags = SQLITE_OPEN_NOMUTEX | (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    QByteArray name = QFile::encodeName(path);
    if (readOnly && !QFileInfo::exists(path + QStringLiteral("-wal"))) {
        QUrl uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        uri.setQuery(QStringLiteral("immutable=1"));
        name = uri.toEncoded();
        flags |= SQLITE_OPEN_URI;
    }
    sqlite3* db = nullptr;
    code = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_create_collation_v2(db, "ONEIRION_NOCASE", SQLITE_UTF16, nullptr, collateNoCase,
                                    nullptr);
        code = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    return db;
}

// Whether this program may write `path`, judged by its effective rights.
bool mayWrite(const QString& path) {
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

// Writing needs the file, its folder (the write-ahead log lives beside the file) and any log
// and shared-memory file left beside it.
bool writable(const QString& path) {
    if (!mayWrite(path) || !mayWrite(QFileInfo(path).absolutePath()))
        return false;
    for (const char* companion : {"-wal", "-shm"}) {
        const QString beside = path + QLatin1String(companion);
        if (QFileInfo::exists(beside) && !mayWrite(beside))
            return false;
    }
    return true;
}

} // namespace

Result<std::unique_ptr<Database>> Database::open(const QString& path, Access access) {
    const QFileInfo info(path);
    if (!info.exists())
        return Error(QObject::tr("%1: no such file").arg(path));
    if (info.isDir())
        return Error(QObject::tr("%1: is a folder, not a database").arg(path));

    // A file or folder that refuses writes opens for reading, and every write then fails and
    // says why.
    bool readOnly = access == Access::ReadOnly || !writable(path);
    int code = SQLITE_OK;
    sqlite3* db = openFile(path, readOnly, code);
    const int primary = code & 0xff;
    if (code != SQLITE_OK && !readOnly &&
        (primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY || primary == SQLITE_PERM)) {
        sqlite3_close_v2(db);
        readOnly = true;
        db = openFile(path, readOnly, code);
    }
    if (code != SQLITE_OK) {
        Error failed(QStringLiteral("%1: %2").arg(path, sqliteMessage(db)));
        sqlite3_close_v2(db);
        return failed;
    }
    if (!readOnly && sqlite3_db_readonly(db, "main") != 1) {
        // Every write must survive a crash of the program: the write-ahead log with NORMAL sync
        // gives that without an fsync per row.
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    // The program reads each file whole now and then, which a cache cannot spare; the system
    // keeps the file's pages anyway. A small cache saves megabytes on a large journal.
    sqlite3_exec(db, "PRAGMA cache_size=-256", nullptr, nullptr, nullptr);
    return std::unique_ptr<Database>(
        new Database(db, path, readOnly ? Access::ReadOnly : Access::ReadWrite));
}

Status Database::check(const QString& path, const QString& table, const QStringList& columns) {
    // Reading the first bytes tells an unreadable file apart before SQLite's vaguer words.
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return Error(QObject::tr("The file cannot be read: %1.").arg(probe.errorString()));
    probe.close();

    // Only ever read here: a damaged file must stay exactly as it is.
    int code = SQLITE_OK;
    sqlite3* db = openFile(path, true, code);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(db, sqlite3_close_v2);
    if (code != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errstr(code));
        return Error((code & 0xff) == SQLITE_CORRUPT
                         ? QObject::tr("The file is damaged: %1.").arg(why)
                         : QObject::tr("It is not a usable database: %1.").arg(why));
    }
    Database inspected(closer.get(), path, Access::ReadOnly);
    QStringList damage;
    {
        Result<Query> quickCheck = inspected.query("PRAGMA quick_check(3)");
        while (quickCheck && quickCheck->next()) {
            if (quickCheck->text(0) != QLatin1String("ok"))
                damage << quickCheck->text(0);
        }
        if (!quickCheck || !quickCheck->status())
            damage.prepend(sqliteMessage(db));
    }
    Result<QStringList> present = damage.isEmpty() ? inspected.tableColumns(table) : QStringList();
    inspected.db_ = nullptr; // the closer owns the handle
    if (!damage.isEmpty())
        return Error(QObject::tr("The file is damaged: %1.").arg(damage.join(QLatin1String("; "))));
    if (!present)
        return present.error();
    if (present->isEmpty())
        return Error(QObject::tr("It holds no table %1.").arg(table));
    for (const QString& column : columns) {
        if (!present->contains(column, Qt::CaseInsensitive))
            return Error(QObject::tr("Its table %1 has no column %2.").arg(table, column));
    }
    return Status();
}

Database::Database(sqlite3* db, QString path, Access access)
    : db_(db)
    , path_(std::move(path))
    , access_(access) {
    // A file's text encoding is fixed when it is made; nearly every one holds UTF-8.
    sqlite3_exec(
        db_, "PRAGMA encoding",
        [](void* utf8, int, char** values, char**) {
            *static_cast<bool*>(utf8) = values[0] && qstrcmp(values[0], "UTF-8") == 0;
            return 0;
        },
        &utf8Text_, nullptr);
    struct stat status {};
    if (::stat(QFile::encodeName(path_).constData(), &status) == 0) {
        device_ = quint64(status.st_dev);
        inode_ = quint64(status.st_ino);
    }
}

bool Database::isStillAtPath() const {
    struct stat status {};
    return ::stat(QFile::encodeName(path_).constData(), &status) == 0 &&
           quint64(status.st_dev) == device_ && quint64(status.st_ino) == inode_;
}

Database::~Database() {
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    if (db_)
        sqlite3_close_v2(db_);
}

bool Database::isReadOnly() const {
    return access_ == Access::ReadOnly || sqlite3_db_readonly(db_, "main") == 1;
}

Error Database::error() const {
    return Error(QStringLiteral("%1: %2").arg(path_, sqliteMessage(db_)));
}

Result<sqlite3_stmt*> Database::prepare(const char* sql) {
    // Statements are string literals of the program, so their address names them.
    if (const auto found = statements_.find(sql); found != statements_.end())
        return found->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(statement);
        return Error(QStringLiteral("%1: %2").arg(path_, sqliteMessage(db_)));
    }
    statements_.emplace(sql, statement);
    return statement;
}

Result<Database::Query> Database::query(const char* sql, std::initializer_list<QVariant> params) {
    Result<sqlite3_stmt*> prepared = prepare(sql);
    if (!prepared)
        return prepared.error();
    sqlite3_stmt* statement = *prepared;
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    int index = 1;
    for (const QVariant& param : params) {
        int rc = SQLITE_OK;
        if (param.isNull()) {
            rc = sqlite3_bind_null(statement, index);
        } else if (param.typeId() == QMetaType::Int || param.typeId() == QMetaType::LongLong ||
                   param.typeId() == QMetaType::Short || param.typeId() == QMetaType::Bool) {
            rc = sqlite3_bind_int64(statement, index, param.toLongLong());
        } else if (param.typeId() == QMetaType::Double) {
            rc = sqlite3_bind_double(statement, index, param.toDouble());
        } else {
            const QString text = param.toString();
            rc = sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * 2),
                                     SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            return error();
        ++index;
    }
    return Query(this, statement);
}

Status Database::execute(const char* sql, std::initializer_list<QVariant> params) {
    Result<Query> run = query(sql, params);
    if (!run)
        return run.error();
    while (run->next()) {
    }
    return run->status();
}

qint64 Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

qint64 Database::dataVersion() {
    Result<Query> version = query("PRAGMA data_version");
    return version && version->next() ? version->integer(0) : -1;
}

Status Database::transaction(const std::function<Status()>& work) {
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return error();
    Status done = work();
    if (done && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        done = error();
    if (!done && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return done;
}

Status Database::savepoint(const std::function<Status()>& work) {
    // Prepared once: an import runs these for every row.
    if (Status started = execute("SAVEPOINT one_row"); !started)
        return started;
    Status done = work();
    if (!done)
        static_cast<void>(execute("ROLLBACK TO one_row"));
    // Releasing a savepoint inside a transaction only ends it; a failure here is the
    // transaction's, and its commit reports it.
    static_cast<void>(execute("RELEASE one_row"));
    return done;
}

Result<QStringList> Database::tableColumns(const QString& table) {
    Result<Query> type =
        query("SELECT type FROM sqlite_master WHERE name = ? COLLATE NOCASE", {table});
    if (!type)
        return type.error();
    bool isTable = false;
    while (type->next())
        isTable = isTable || type->text(0) == QLatin1String("table");
    if (!type->status())
        return type->status().error();
    if (!isTable)
        return QStringList();
    Result<Query> columns = query("SELECT name FROM pragma_table_info(?)", {table});
    if (!columns)
        return columns.error();
    QStringList names;
    while (columns->next())
        names << columns->text(0);
    if (!columns->status())
        return columns->status().error();
    return names;
}

Database::Query::Query(const Database* database, sqlite3_stmt* statement)
    : database_(database)
    , statement_(statement) {}

Database::Query::Query(Query&& other) noexcept
    : database_(other.database_)
    , statement_(other.statement_)
    , lastCode_(other.lastCode_) {
    other.statement_ = nullptr;
}

Database::Query::~Query() {
    if (statement_)
        sqlite3_reset(statement_);
}

bool Database::Query::next() {
    lastCode_ = sqlite3_step(statement_);
    return lastCode_ == SQLITE_ROW;
}

Status Database::Query::status() const {
    if (lastCode_ == SQLITE_ROW || lastCode_ == SQLITE_DONE || lastCode_ == 0)
        return Status();
    return database_->error();
}

bool Database::Query::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

QString Database::Query::text(int column) const {
    // The files hold UTF-8: reading it as such spares SQLite a conversion of its own.
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(statement_, column)) : QString();
}

QUtf8StringView Database::Query::utf8(int column) const {
    // A text is handed out as a blob where the file holds UTF-8: SQLite then gives the bytes
    // where they lie, instead of copying each text to end it with a zero.
    const void* bytes = database_->utf8Text_ ? sqlite3_column_blob(statement_, column) : nullptr;
    // An empty text comes as no blob at all: it must stay an empty text, not a missing one.
    if (bytes == nullptr)
        bytes = sqlite3_column_text(statement_, column);
    const auto* data = static_cast<const char*>(bytes);
    return QUtf8StringView(data, data ? sqlite3_column_bytes(statement_, column) : 0);
}

qint64 Database::Query::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

QVariant Database::Query::value(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement_, column));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(text(column));
    }
}

Status Database::copyInto(const QString& emptyFile) {
    sqlite3* copy = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(emptyFile).constData(), &copy,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(copy, sqlite3_close_v2);
    if (opened != SQLITE_OK)
        return Error(QStringLiteral("%1: %2").arg(emptyFile, sqliteMessage(copy)));
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", db_, "main");
    if (backup == nullptr)
        return Error(QStringLiteral("%1: %2").arg(emptyFile, sqliteMessage(copy)));
    // One step: the copy is of one moment, read under one lock.
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK)
        return Error(QStringLiteral("%1: %2").arg(emptyFile, sqliteMessage(copy)));
    // The pages carry the write-ahead mode of a journal in use; a copy that is a file on its own
    // needs no -wal or -shm to be read.
    if (sqlite3_exec(copy, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Error(QStringLiteral("%1: %2").arg(emptyFile, sqliteMessage(copy)));
    // Closing writes what is left; a failure to close is a copy that may not be whole.
    sqlite3* handle = closer.get();
    if (sqlite3_close(handle) != SQLITE_OK)
        return Error(QStringLiteral("%1: %2").arg(emptyFile, sqliteMessage(handle)));
    closer.release();
    return Status();
}

Status Database::copyTo(const QString& target) {
    Result<QString> built = SafeFile::createBeside(target);
    if (!built)
        return built.error();
    Status copied = copyInto(*built);
    if (copied)
        copied = SafeFile::moveIntoPlace(*built, target);
    if (!copied)
        QFile::remove(*built);
    return copied;
}
