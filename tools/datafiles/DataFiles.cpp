#include "DataFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace modDataFiles {
namespace {

Result failure(const QString& message) {
    return Result{false, message};
}

class Database {
public:
    ~Database() { sqlite3_close_v2(db_); }
    bool open(const QString& path) {
        return sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE,
                               nullptr) == SQLITE_OK;
    }
    bool exec(const char* sql) {
        return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Builds the file under a temporary name beside `path`, then links it into place. link() fails
// when `path` exists, which is what keeps an existing file safe even against a race.
template <typename Fill>
Result createAtomically(const QString& path, Fill fill) {
    const QFileInfo target(path);
    if (!ExistingIgnoringCase(target.absolutePath(), target.fileName()).isEmpty())
        return failure(QStringLiteral("%1 exists; it is left as it is.").arg(path));
    const QString temporary = target.absolutePath() +
                              QStringLiteral("/.%1.%2.tmp").arg(target.fileName()).arg(::getpid());
    const QByteArray tmp = QFile::encodeName(temporary);
    const int fd = ::open(tmp.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return failure(
            QStringLiteral("Cannot create %1: %2").arg(temporary, qt_error_string(errno)));
    ::close(fd);

    Result result;
    {
        Database db;
        if (!db.open(temporary)) {
            result = failure(QStringLiteral("Cannot open %1: %2").arg(temporary, db.error()));
        } else {
            result = fill(db);
            if (result.ok && !db.exec("PRAGMA journal_mode=WAL"))
                result = failure(db.error());
        }
    }
    if (result.ok && ::link(tmp.constData(), QFile::encodeName(path).constData()) != 0)
        result = failure(QStringLiteral("Cannot create %1: %2").arg(path, qt_error_string(errno)));
    ::unlink(tmp.constData());
    return result;
}

} // namespace

QString ExistingIgnoringCase(const QString& folder, const QString& fileName) {
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (QString::compare(entry, fileName, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

Result ParseDictionary(const QByteArray& tsv, std::vector<Entry>& entries) {
    const QString text = QString::fromUtf8(tsv);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || lines.first() != QLatin1String("keyword\tmeaning"))
        return failure(
            QStringLiteral("The dictionary must start with the line keyword<TAB>meaning."));
    entries.clear();
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char('\t'));
        if (fields.size() != 2)
            return failure(
                QStringLiteral("Dictionary line %1 does not have two fields.").arg(i + 1));
        entries.push_back({fields[0], fields[1]});
    }
    return Result{};
}

Result CreateDreams(const QString& path) {
    return createAtomically(path, [](Database& db) {
        if (!db.exec("CREATE TABLE tblDreams (ID INTEGER PRIMARY KEY AUTOINCREMENT, Year INTEGER, "
                     "Month INTEGER, Day INTEGER, JournalName TEXT COLLATE NOCASE, "
                     "journaltext TEXT)"))
            return failure(db.error());
        return Result{};
    });
}

Result CreateKeywords(const QString& path, const std::vector<Entry>& entries) {
    return createAtomically(path, [&entries](Database& db) {
        if (!db.exec("CREATE TABLE tblKeywords (Keyword TEXT COLLATE NOCASE, Description TEXT)") ||
            !db.exec("BEGIN"))
            return failure(db.error());
        sqlite3_stmt* insert = nullptr;
        if (sqlite3_prepare_v2(db.get(),
                               "INSERT INTO tblKeywords (Keyword, Description) VALUES (?1, ?2)", -1,
                               &insert, nullptr) != SQLITE_OK)
            return failure(db.error());
        Result result;
        for (const Entry& entry : entries) {
            const QByteArray keyword = entry.keyword.toUtf8(), meaning = entry.meaning.toUtf8();
            sqlite3_bind_text(insert, 1, keyword.constData(), int(keyword.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, meaning.constData(), int(meaning.size()),
                              SQLITE_TRANSIENT);
            if (sqlite3_step(insert) != SQLITE_DONE) {
                result = failure(db.error());
                break;
            }
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        if (result.ok && !db.exec("COMMIT"))
            result = failure(db.error());
        return result;
    });
}

} // namespace modDataFiles
