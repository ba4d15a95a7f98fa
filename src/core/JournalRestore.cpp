#include "core/JournalRestore.h"

#include "core/Database.h"
#include "core/JournalExport.h"
#include "core/SafeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtEndian>

namespace JournalRestore {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("JournalRestore", text);
}

const QByteArray kSqliteMagic("SQLite format 3\0", 16);
constexpr int kHeaderSize = 100;

// A backup cut short. The header tells how many pages the file held when it was last written,
// when that count is current; a log beside the file may hold pages of its own.
Status checkLength(const QString& path, const QByteArray& header, qint64 size) {
    if (header.size() < kHeaderSize)
        return Error(tr("The file is truncated: it ends inside its header."));
    const auto number = [&header](int at) { return qFromBigEndian<quint32>(header.data() + at); };
    quint32 pageSize = qFromBigEndian<quint16>(header.data() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pages = number(28);
    if (number(24) != number(92) || pages == 0 || QFileInfo::exists(path + QStringLiteral("-wal")))
        return Status();
    const qint64 expected = qint64(pageSize) * pages;
    if (size < expected)
        return Error(
            tr("The file is truncated: it holds %1 of its %2 bytes.").arg(size).arg(expected));
    return Status();
}

Result<qint64> countEntries(Database& db) {
    Result<Database::Query> counted = db.query("SELECT count(*) FROM tblDreams");
    if (!counted)
        return counted.error();
    if (!counted->next())
        return counted->status().error();
    return counted->integer(0);
}

Result<RestoreSource> inspectBackup(const QString& path, const QByteArray& header, qint64 size) {
    if (Status whole = checkLength(path, header, size); !whole)
        return whole.error();
    if (Status usable = JournalStore::check(path); !usable)
        return usable.error();
    Result<std::unique_ptr<Database>> opened = Database::open(path, Database::Access::ReadOnly);
    if (!opened)
        return opened.error();
    Database& db = **opened;
    // Every page and every index, not only the quick look that opening the journal takes.
    QStringList damage;
    {
        Result<Database::Query> check = db.query("PRAGMA integrity_check(5)");
        if (!check)
            return Error(tr("The file is damaged: %1.").arg(check.errorMessage()));
        while (check->next()) {
            if (check->text(0) != QLatin1String("ok"))
                damage << check->text(0);
        }
        if (!check->status())
            damage << check->status().errorMessage();
    }
    if (!damage.isEmpty())
        return Error(tr("The file is damaged: %1.").arg(damage.join(QLatin1String("; "))));
    Result<qint64> entries = countEntries(db);
    if (!entries)
        return entries.error();
    RestoreSource source;
    source.kind = RestoreSource::Kind::Backup;
    source.path = path;
    source.entryCount = *entries;
    return source;
}

QString keptCopyPath(const QString& journalPath, const QDateTime& now) {
    const QString base = journalPath + QStringLiteral(".before-restore-") +
                         now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString path = base;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral("-%1").arg(n);
    return path;
}

Status copyBackup(const QString& source, const QString& built) {
    Result<std::unique_ptr<Database>> opened = Database::open(source, Database::Access::ReadOnly);
    if (!opened)
        return opened.error();
    return (*opened)->copyInto(built);
}

// A new journal holding `entries`, as the program's own data files tool makes one.
Status writeEntries(const std::vector<JournalEntry>& entries, const QString& built) {
    Result<std::unique_ptr<Database>> opened = Database::open(built, Database::Access::ReadWrite);
    if (!opened)
        return opened.error();
    Database& db = **opened;
    // A file on its own: no log beside it may hold part of what goes into place.
    if (Status plain = db.execute("PRAGMA journal_mode=DELETE"); !plain)
        return plain;
    return db.transaction([&db, &entries]() -> Status {
        Status created = db.execute(
            "CREATE TABLE tblDreams (ID INTEGER PRIMARY KEY AUTOINCREMENT, Year INTEGER, "
            "Month INTEGER, Day INTEGER, JournalName TEXT COLLATE NOCASE, "
            "journaltext TEXT)");
        if (!created)
            return created;
        for (const JournalEntry& entry : entries) {
            Status added = db.execute("INSERT INTO tblDreams (Year, Month, Day, JournalName, "
                                      "journaltext) VALUES (?, ?, ?, ?, ?)",
                                      {entry.year, entry.month, entry.day, entry.name, entry.text});
            if (!added)
                return added;
        }
        return Status();
    });
}

} // namespace

Result<RestoreSource> inspect(const QString& path, const QString& journalPath) {
    const QFileInfo info(path);
    if (info.isDir())
        return Error(tr("It is a folder."));
    if (SafeFile::sameFile(path, journalPath))
        return Error(tr("It is the journal in use itself."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error(tr("The file cannot be read: %1.").arg(file.errorString()));
    const QByteArray header = file.read(kHeaderSize);
    if (header.startsWith(kSqliteMagic)) {
        file.close();
        return inspectBackup(path, header, info.size());
    }
    // Only what starts as a JSON object is read whole.
    if (header.trimmed().startsWith('{')) {
        const QByteArray content = header + file.readAll();
        if (file.error() != QFileDevice::NoError)
            return Error(tr("The file cannot be read: %1.").arg(file.errorString()));
        Result<std::vector<JournalEntry>> entries = JournalExport::readJson(content);
        if (!entries)
            return entries.error();
        RestoreSource source;
        source.kind = RestoreSource::Kind::Export;
        source.path = path;
        source.entryCount = qint64(entries->size());
        source.entries = std::move(*entries);
        return source;
    }
    return Error(tr("It is neither a journal backup nor a journal export of Oneirion."));
}

Result<QString> restore(JournalStore& journal, const RestoreSource& source, const QDateTime& now) {
    if (journal.isReadOnly())
        return Error(tr("The journal can only be read, so it cannot be replaced."));
    const QString target = journal.path();
    Result<QString> built = SafeFile::createBeside(target);
    if (!built)
        return built.error();
    // Once moved into place it is gone from here, and removing it does nothing.
    const auto removeBuilt = qScopeGuard([&built] { QFile::remove(*built); });

    Status filled = source.kind == RestoreSource::Kind::Backup
                        ? copyBackup(source.path, *built)
                        : writeEntries(source.entries, *built);
    if (!filled)
        return filled.error();
    // What goes into place is checked, not only what it came from: the source may have changed
    // since it was looked at.
    if (Status usable = JournalStore::check(*built); !usable)
        return usable.error();
    {
        Result<std::unique_ptr<Database>> opened =
            Database::open(*built, Database::Access::ReadOnly);
        Result<qint64> entries = opened ? countEntries(**opened) : Result<qint64>(opened.error());
        if (!entries)
            return entries.error();
        if (*entries != source.entryCount)
            return Error(tr("The file changed while it was read: it now holds %1 entries, not %2.")
                             .arg(*entries)
                             .arg(source.entryCount));
    }

    const QString kept = keptCopyPath(target, now);
    if (Status copied = journal.backupTo(kept); !copied)
        return copied.error();
    Status replaced =
        journal.replaceFile([&built, &target] { return SafeFile::moveIntoPlace(*built, target); });
    if (!replaced) {
        // The journal in use was not replaced: its copy would only confuse.
        if (QFileInfo::exists(*built))
            QFile::remove(kept);
        return replaced.error();
    }
    return kept;
}

} // namespace JournalRestore
