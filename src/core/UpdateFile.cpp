#include "core/UpdateFile.h"

#include "core/CaseFold.h"
#include "core/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace UpdateFile {
namespace {

struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

StatementPtr prepare(sqlite3* db, const char* sql, int& rc) {
    sqlite3_stmt* statement = nullptr;
    rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    return StatementPtr(statement);
}

// What a read found: the rows, or why the file cannot be used.
struct Contents {
    std::vector<Row> rows;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// A column as text: NULL gives a null QString.
QString columnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text == nullptr ? QString()
                           : QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

QString tr(const char* text) {
    return QCoreApplication::translate("UpdateFile", text);
}

// Files SQLite keeps beside a database with changes not yet in it: a write-ahead log, or the
// journal of a write that was interrupted.
const char* const kCompanions[] = {"-wal", "-journal"};

struct FileBytes {
    QByteArray bytes;
    struct stat status {};
    QString error;
    bool missing = false;
};

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return tr("It is a folder, not a file.");
    if (S_ISFIFO(mode))
        return tr("It is a named pipe, not an ordinary file.");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return tr("It is a device, not an ordinary file.");
    if (S_ISSOCK(mode))
        return tr("It is a socket, not an ordinary file.");
    return tr("It is not an ordinary file.");
}

QString size(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 0);
}

QString tooLarge(qint64 maxBytes) {
    return tr("It is larger than %1, too large for a dictionary update.").arg(size(maxBytes));
}

QString unreadable(int error) {
    return error == ENOENT ? tr("It does not exist.")
                           : tr("It cannot be read: %1.").arg(qt_error_string(error));
}

// Reads a regular file whole. The type is checked before the file is opened, so a named pipe
// or a device is never opened at all, and again on what was opened, in case it was swapped.
FileBytes readRegularFile(const QString& path, qint64 maxBytes) {
    FileBytes file;
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    if (::stat(name.constData(), &before) != 0) {
        file.missing = errno == ENOENT;
        file.error = unreadable(errno);
        return file;
    }
    if (!S_ISREG(before.st_mode)) {
        file.error = kindOf(before.st_mode);
        return file;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.error = unreadable(errno);
        return file;
    }
    if (::fstat(fd, &file.status) != 0 || !S_ISREG(file.status.st_mode)) {
        file.error = kindOf(file.status.st_mode);
        ::close(fd);
        return file;
    }
    if (file.status.st_size > maxBytes) {
        file.error = tooLarge(maxBytes);
        ::close(fd);
        return file;
    }
    file.bytes.resize(qsizetype(file.status.st_size));
    qsizetype filled = 0;
    while (filled < file.bytes.size()) {
        const ssize_t got =
            ::read(fd, file.bytes.data() + filled, size_t(file.bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            file.error = unreadable(errno);
            break;
        }
        if (got == 0)
            break; // shrank while being read: take what there is
        filled += got;
    }
    ::close(fd);
    file.bytes.truncate(filled);
    return file;
}

bool sameFile(const struct stat& a, const QString& path) {
    struct stat b {};
    return ::stat(QFile::encodeName(path).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

class Connection {
public:
    ~Connection() { sqlite3_close_v2(db_); }
    sqlite3*& handle() { return db_; }
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

struct Deadline {
    QElapsedTimer started;
    int milliseconds;
};

int pastDeadline(void* deadline) {
    const auto* d = static_cast<const Deadline*>(deadline);
    return d->started.elapsed() > d->milliseconds ? 1 : 0;
}

QString describe(sqlite3* db, int rc, const Limits& limits) {
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    switch (rc & 0xff) {
    case SQLITE_INTERRUPT:
        return tr("Reading it took longer than %1 seconds, so it was stopped.")
            .arg(limits.maxMilliseconds / 1000.0);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return tr("It is damaged or incomplete (%1).").arg(message);
    case SQLITE_TOOBIG:
    case SQLITE_NOMEM:
        return tr("It holds a value larger than %1, too large for a keyword or a meaning.")
            .arg(size(limits.maxValueBytes));
    default:
        return tr("It cannot be read (%1).").arg(message);
    }
}

// Nothing in the file may run code or reach beyond it: no views, no triggers, no functions with
// side effects in its schema, no attached files, and no value or time beyond the limits.
void harden(sqlite3* db, Deadline& deadline, const Limits& limits) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, limits.maxValueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    // Whatever sorting or scratch space a read needs stays in memory, never in a temporary file.
    sqlite3_exec(db, "PRAGMA temp_store=MEMORY; PRAGMA cell_size_check=ON", nullptr, nullptr,
                 nullptr);
    deadline.started.start();
    sqlite3_progress_handler(db, 100, pastDeadline, &deadline);
}

// The real name of the table tblKeywords (names ignore ASCII case), or an error.
Contents findTable(sqlite3* db, QString& name, const Limits& limits) {
    Contents result;
    int rc;
    const StatementPtr schema = prepare(
        db, "SELECT name, type, rootpage FROM sqlite_schema WHERE lower(name) = 'tblkeywords'", rc);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(schema.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        result.error = describe(db, rc, limits);
        return result;
    }
    const QString type = rc == SQLITE_ROW ? columnText(schema.get(), 1) : QString();
    if (type == QLatin1String("view"))
        result.error = tr("Its tblKeywords is a view, not a table; only tables are read.");
    else if (type != QLatin1String("table"))
        result.error = tr("It holds no table named tblKeywords.");
    else if (sqlite3_column_int64(schema.get(), 2) == 0)
        result.error = tr("Its tblKeywords is a virtual table; only ordinary tables are read.");
    else
        name = columnText(schema.get(), 0);
    return result;
}

Contents checkColumns(sqlite3* db, const QString& table, const Limits& limits) {
    Contents result;
    int rc;
    const StatementPtr columns = prepare(db, "SELECT lower(name) FROM pragma_table_xinfo(?1)", rc);
    const QByteArray tableName = table.toUtf8();
    if (rc == SQLITE_OK)
        sqlite3_bind_text(columns.get(), 1, tableName.constData(), int(tableName.size()),
                          SQLITE_TRANSIENT);
    bool keyword = false, description = false;
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(columns.get());
        if (rc != SQLITE_ROW)
            break;
        const QString name = columnText(columns.get(), 0);
        keyword = keyword || name == QLatin1String("keyword");
        description = description || name == QLatin1String("description");
    }
    if (rc != SQLITE_DONE)
        result.error = describe(db, rc, limits);
    else if (!keyword || !description)
        result.error = tr("Its table tblKeywords lacks the columns Keyword and Description.");
    return result;
}

Contents readTable(sqlite3* db, const Limits& limits) {
    Deadline deadline{QElapsedTimer(), limits.maxMilliseconds};
    harden(db, deadline, limits);

    QString table;
    Contents result = findTable(db, table, limits);
    if (!result.ok())
        return result;
    result = checkColumns(db, table, limits);
    if (!result.ok())
        return result;

    const QByteArray sql = QStringLiteral("SELECT \"Keyword\", \"Description\" FROM \"%1\"")
                               .arg(QString(table).replace(QLatin1Char('"'), QLatin1String("\"\"")))
                               .toUtf8();
    int rc;
    const StatementPtr select = prepare(db, sql.constData(), rc);
    // Computed columns can make a small file hold far more text than its size.
    qint64 textBytes = 0;
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(select.get());
        if (rc != SQLITE_ROW)
            break;
        if (int(result.rows.size()) >= limits.maxRows) {
            result.rows.clear();
            result.error = tr("It holds more than %1 rows, too many for a dictionary update.")
                               .arg(limits.maxRows);
            return result;
        }
        textBytes += sqlite3_column_bytes(select.get(), 0) + sqlite3_column_bytes(select.get(), 1);
        if (textBytes > limits.maxBytes) {
            result.rows.clear();
            result.error = tr("It holds more than %1 of text, too much for a dictionary update.")
                               .arg(size(limits.maxBytes));
            return result;
        }
        Row row;
        row.keyword = Text::trimSpaces(columnText(select.get(), 0));
        row.description = columnText(select.get(), 1);
        row.importable = !row.keyword.isEmpty() && !Text::trimSpaces(row.description).isEmpty();
        result.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        result.rows.clear();
        result.error = describe(db, rc, limits);
        return result;
    }
    std::stable_sort(result.rows.begin(), result.rows.end(), [](const Row& a, const Row& b) {
        return CaseFold::compare(a.keyword, b.keyword) < 0;
    });
    return result;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    // Unbuffered: a write cut short says so here rather than vanishing in a later flush.
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
           file.write(bytes) == bytes.size();
}

// A database whose latest state lies partly in a log or journal beside it: SQLite brings a
// private copy of the set up to date, as it would the original, which stays untouched.
Contents readWithCompanions(const FileBytes& main,
                            const std::vector<std::pair<QString, QByteArray>>& companions,
                            const Limits& limits) {
    Contents result;
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("update.db"));
    bool written = folder.isValid() && writeFile(copy, main.bytes);
    for (const auto& [suffix, bytes] : companions)
        written = written && writeFile(copy + suffix, bytes);
    if (!written) {
        result.error = tr("It cannot be copied for reading.");
        return result;
    }
    Connection db;
    const int rc = sqlite3_open_v2(QFile::encodeName(copy).constData(), &db.handle(),
                                   SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        result.error = describe(db.get(), rc, limits);
        return result;
    }
    return readTable(db.get(), limits);
}

bool isDatabaseImage(const QByteArray& image) {
    // Every SQLite 3 database starts with this header string, its terminating NUL included.
    static const QByteArray magic("SQLite format 3", 16);
    return image.size() >= 100 && image.startsWith(magic);
}

Contents readImageContents(QByteArray image, const Limits& limits) {
    Contents result;
    if (!isDatabaseImage(image)) {
        result.error = tr("It is not an SQLite database.");
        return result;
    }
    // A database in write-ahead-log mode is read as one with a rollback journal: its log, if it
    // had one, is not part of the image, and an image in memory cannot have one.
    for (const int offset : {18, 19}) {
        if (image.at(offset) == 2)
            image[offset] = 1;
    }
    Connection db;
    int rc = sqlite3_open_v2(":memory:", &db.handle(), SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_deserialize(db.get(), "main", reinterpret_cast<unsigned char*>(image.data()),
                                 image.size(), image.size(), SQLITE_DESERIALIZE_READONLY);
    if (rc != SQLITE_OK) {
        result.error = describe(db.get(), rc, limits);
        return result;
    }
    return readTable(db.get(), limits);
}

Contents readContents(const QString& path, const QStringList& ownFiles, const Limits& limits) {
    Contents result;
    FileBytes main = readRegularFile(path, limits.maxBytes);
    if (!main.error.isEmpty()) {
        result.error = main.error;
        return result;
    }
    for (const QString& own : ownFiles) {
        if (sameFile(main.status, own)) {
            result.error = tr("It is the program's own data file %1; an update must be another "
                              "file.")
                               .arg(QDir::toNativeSeparators(own));
            return result;
        }
    }
    std::vector<std::pair<QString, QByteArray>> companions;
    for (const char* suffix : kCompanions) {
        const QString companionPath = path + QLatin1String(suffix);
        const FileBytes companion = readRegularFile(companionPath, limits.maxBytes);
        if (!companion.error.isEmpty() && !companion.missing) {
            // Without it the rows read could be an older state of the file.
            result.error = tr("It cannot be read whole: %1 belongs to it, and %2")
                               .arg(QDir::toNativeSeparators(companionPath),
                                    companion.error.left(1).toLower() + companion.error.mid(1));
            return result;
        }
        if (!companion.bytes.isEmpty())
            companions.emplace_back(QLatin1String(suffix), companion.bytes);
    }
    if (!companions.empty() && isDatabaseImage(main.bytes))
        return readWithCompanions(main, companions, limits);
    return readImageContents(std::move(main.bytes), limits);
}

Result<std::vector<Row>> rowsOf(Contents contents) {
    if (!contents.error.isEmpty())
        return Error(contents.error);
    return std::move(contents.rows);
}

} // namespace

Result<std::vector<Row>> readImage(QByteArray image, const Limits& limits) {
    return rowsOf(readImageContents(std::move(image), limits));
}

Result<std::vector<Row>> read(const QString& path, const QStringList& ownFiles,
                              const Limits& limits) {
    return rowsOf(readContents(path, ownFiles, limits));
}

} // namespace UpdateFile
