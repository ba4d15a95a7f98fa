// Backing up and restoring the journal on real files: a backup is the journal's content, also
// while it is in use; a restore puts a backup or an export back, refuses what is not one, and
// leaves a usable journal whatever step a killed process stopped at.

#include "CoreTestSupport.h"
#include "core/JournalExport.h"
#include "core/JournalRestore.h"
#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 6), QTime(18, 45, 30));

// As text, so that a failure shows the difference.
QString Dump(const QString& file) {
    return QString::fromUtf8(coretest::dump(file));
}

class JournalRestoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        coretest::createJournal(path);
        store = open(path);
        for (const auto& [name, text] : {std::pair<QString, QString>{"Flying", "Over the sea."},
                                         {"Ärger im Traum", QString(3000, QChar(0x263E))},
                                         {"Lost teeth", "At a wedding.\nThen again."}})
            add(*store, name, text);
    }
    static std::unique_ptr<JournalStore> open(const QString& file) {
        auto opened = JournalStore::open(file);
        EXPECT_TRUE(opened) << opened.errorMessage().toStdString();
        return opened ? std::move(*opened) : nullptr;
    }
    static void add(JournalStore& journal, const QString& name, const QString& text = "text") {
        const auto id = journal.insert({0, name, text, 2008, 3, 14});
        EXPECT_TRUE(id) << id.errorMessage().toStdString();
    }
    QStringList names() {
        QStringList shown;
        for (const JournalEntry& entry : store->entries().value_or({}))
            shown << entry.name;
        return shown;
    }
    // The files of the folder, hidden ones included.
    QStringList files() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString file(const QString& name) const { return folder.filePath(name); }
    QString keptCopy() const { return path + ".before-restore-2026-12-06-184530"; }

    QTemporaryDir folder;
    QString path = folder.filePath("Dreams.dll");
    std::unique_ptr<JournalStore> store;
};

// A backup holds exactly what the journal holds, in one file of its own, readable by the owner
// alone; what another connection has not committed yet is not in it. Restored, it gives the
// journal back exactly, and the journal it replaced is kept beside it.
TEST_F(JournalRestoreTest, ABackupRestoredGivesBackExactlyTheJournal) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
    sqlite3_exec(other, "BEGIN; INSERT INTO tblDreams (JournalName) VALUES ('Uncommitted')",
                 nullptr, nullptr, nullptr);
    const QString backup = file("Oneirion journal 2026-12-06.db");
    ASSERT_TRUE(store->backupTo(backup));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    const QString original = Dump(path);
    EXPECT_EQ(Dump(backup), original);
    EXPECT_EQ(coretest::fileMode(backup), 0600);
    // A rollback-journal file: any tool reads it without a -wal or -shm beside it.
    EXPECT_EQ(coretest::fileBytes(backup).mid(18, 2), QByteArray("\x01\x01"));
    EXPECT_FALSE(QFileInfo::exists(backup + "-wal"));

    add(*store, "Added after the backup");
    ASSERT_TRUE(store->remove(1));
    const QString changed = Dump(path);
    const auto source = JournalRestore::inspect(backup, path);
    ASSERT_TRUE(source) << source.errorMessage().toStdString();
    EXPECT_EQ(source->kind, RestoreSource::Kind::Backup);
    EXPECT_EQ(source->entryCount, 3);
    const auto kept = JournalRestore::restore(*store, *source, kNow);
    ASSERT_TRUE(kept) << kept.errorMessage().toStdString();
    EXPECT_EQ(*kept, keptCopy());

    EXPECT_EQ(Dump(path), original);
    EXPECT_EQ(Dump(*kept), changed);
    EXPECT_EQ(coretest::fileMode(path), 0600);
    EXPECT_EQ(files(), QStringList({"Dreams.dll", "Dreams.dll-shm", "Dreams.dll-wal",
                                    "Dreams.dll.before-restore-2026-12-06-184530",
                                    "Oneirion journal 2026-12-06.db"}));
    // The store goes on with the restored journal.
    EXPECT_EQ(names(), QStringList({"Flying", "Ärger im Traum", "Lost teeth"}));
    add(*store, "After the restore");
    EXPECT_EQ(coretest::query(path, "SELECT count(*) FROM tblDreams"), QList<QVariantList>{{4}});
    // A second restore in the same second keeps its copy under a name of its own.
    const auto again = JournalRestore::restore(*store, *source, kNow);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, keptCopy() + "-2");
}

// What the journal held, an export brings back: names, texts and dates, as new entries.
TEST_F(JournalRestoreTest, AnExportRestoredGivesBackEveryEntry) {
    const auto before = store->entries();
    ASSERT_TRUE(before);
    const QString exported = file("journal.json");
    QFile out(exported);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(JournalExport::json(JournalExport::withSymbols(*before, nullptr), false));
    out.close();
    ASSERT_TRUE(store->remove(2));
    add(*store, "Not in the export");

    const auto source = JournalRestore::inspect(exported, path);
    ASSERT_TRUE(source) << source.errorMessage().toStdString();
    EXPECT_EQ(source->kind, RestoreSource::Kind::Export);
    EXPECT_EQ(source->entryCount, 3);
    ASSERT_TRUE(JournalRestore::restore(*store, *source, kNow));
    const auto after = store->entries();
    ASSERT_TRUE(after);
    ASSERT_EQ(after->size(), before->size());
    for (std::size_t i = 0; i < after->size(); ++i) {
        const JournalEntry& got = (*after)[i];
        const JournalEntry& wanted = (*before)[i];
        EXPECT_EQ(QStringList({got.name, got.text, got.year.toString(), got.month.toString(),
                               got.day.toString()}),
                  QStringList({wanted.name, wanted.text, wanted.year.toString(),
                               wanted.month.toString(), wanted.day.toString()}));
    }
    EXPECT_EQ(coretest::query(path, "PRAGMA integrity_check"), QList<QVariantList>{{"ok"}});
}

// A file that is no backup or export, a damaged or truncated one, or the journal in use itself
// is refused before anything changes, with the reason.
TEST_F(JournalRestoreTest, WhatIsNoUsableSourceIsRefusedAndNothingChanges) {
    const QString backup = file("backup.db");
    for (int i = 0; i < 200; ++i)
        add(*store, QStringLiteral("Filler %1").arg(i), QString(500, 'x'));
    ASSERT_TRUE(store->backupTo(backup));
    auto write = [this](const QString& name, const QByteArray& content) {
        QFile out(file(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        return file(name);
    };
    const QByteArray whole = coretest::fileBytes(backup);
    QByteArray damaged = whole;
    // The pages of the table's rows, overwritten in the middle.
    damaged.replace(whole.size() / 2, 4096, QByteArray(4096, '\x5a'));
    const QString otherTable = file("other.db");
    coretest::exec(otherTable, "CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT)");
    const QString fewerColumns = file("fewer.db");
    coretest::exec(fewerColumns, "CREATE TABLE tblDreams (ID INTEGER PRIMARY KEY, Year, Month, "
                                 "Day, JournalName)");
    const QString link = file("link.dll");
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);

    const struct {
        QString source;
        const char* reason;
    } cases[] = {
        {path, "It is the journal in use itself."},
        {link, "It is the journal in use itself."},
        {write("notes.txt", "Dear diary,\nI dreamt of cats.\n"),
         "It is neither a journal backup nor a journal export of Oneirion."},
        {write("empty.db", ""), "It is neither a journal backup nor a journal export"},
        {write("header.db", whole.left(60)), "The file is truncated: it ends inside its header."},
        {write("truncated.db", whole.left(whole.size() / 2)), "The file is truncated: it holds"},
        {write("damaged.db", damaged), "damaged"},
        {otherTable, "It holds no table tblDreams."},
        {fewerColumns, "Its table tblDreams has no column journaltext."},
        {write("faulty.json", R"({"format": "oneirion-journal", "version": 1, "entries": [{}]})"),
         "Entry 1 has no name."},
        {folder.path(), "It is a folder."},
    };
    const QString journal = Dump(path);
    const QStringList before = files();
    for (const auto& refused : cases) {
        const QByteArray bytes = coretest::fileBytes(refused.source);
        const auto source = JournalRestore::inspect(refused.source, path);
        ASSERT_FALSE(source) << refused.source.toStdString();
        EXPECT_TRUE(source.errorMessage().contains(QLatin1String(refused.reason)))
            << source.errorMessage().toStdString();
        EXPECT_EQ(coretest::fileBytes(refused.source), bytes) << refused.source.toStdString();
    }
    EXPECT_EQ(files(), before);
    EXPECT_EQ(Dump(path), journal);
}

// A source that changes after it was looked at, or a journal another program holds open, stops
// the restore with the journal as it was and nothing left behind.
TEST_F(JournalRestoreTest, AFailedRestoreLeavesTheJournalAsItWas) {
    const QString backup = file("backup.db");
    ASSERT_TRUE(store->backupTo(backup));
    add(*store, "Only in the journal");
    const QString journal = Dump(path);
    const QStringList before = files();

    const auto source = JournalRestore::inspect(backup, path);
    ASSERT_TRUE(source);
    coretest::exec(backup, "DELETE FROM tblDreams WHERE ID = 1");
    const auto changed = JournalRestore::restore(*store, *source, kNow);
    ASSERT_FALSE(changed);
    EXPECT_TRUE(changed.errorMessage().contains("it now holds 2 entries, not 3"))
        << changed.errorMessage().toStdString();

    // Another connection keeps the write-ahead log from being folded in and removed.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
    sqlite3_exec(other, "SELECT count(*) FROM tblDreams", nullptr, nullptr, nullptr);
    const auto again = JournalRestore::inspect(backup, path);
    ASSERT_TRUE(again);
    const auto held = JournalRestore::restore(*store, *again, kNow);
    sqlite3_close(other);
    ASSERT_FALSE(held);
    EXPECT_EQ(held.errorMessage(), "Another program has the journal open.");

    EXPECT_EQ(Dump(path), journal);
    EXPECT_EQ(files(), before);
    EXPECT_EQ(names().size(), 4);
}

// A disk that fills up midway (here a limit on the size of files) fails an export or a backup
// with the reason; the file it was to replace stays as it was, and nothing half written is left.
TEST_F(JournalRestoreTest, AWriteCutShortLeavesNoHalfFile) {
    for (int i = 0; i < 50; ++i)
        add(*store, QStringLiteral("Filler %1").arg(i), QString(1000, 'x'));
    const QString exported = file("journal.md");
    const QString backup = file("backup.db");
    ASSERT_TRUE(SafeFile::write(exported, "An earlier export."));
    ASSERT_TRUE(store->backupTo(backup));
    const QByteArray earlier = coretest::fileBytes(backup);
    add(*store, "Not in the backup");
    const QStringList before = files();

    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const Status written = SafeFile::write(exported, QByteArray(10 * 1024, 'x'));
    const Status copied = store->backupTo(backup);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);

    ASSERT_FALSE(written);
    EXPECT_TRUE(written.errorMessage().startsWith(exported + ": "))
        << written.errorMessage().toStdString();
    ASSERT_FALSE(copied);
    EXPECT_EQ(coretest::fileBytes(exported), "An earlier export.");
    EXPECT_EQ(coretest::fileBytes(backup), earlier);
    EXPECT_EQ(files(), before);
}

// A process killed at any step of a restore leaves a usable journal: the old one, written
// entries and all, until the one rename that puts the restored journal in its place; after
// it, exactly the restored one.
TEST_F(JournalRestoreTest, AKilledRestoreLeavesAUsableJournal) {
    const QString backup = file("backup.db");
    ASSERT_TRUE(store->backupTo(backup));
    const QString restored = Dump(backup);
    store.reset();
    const QString pristine = file("pristine.dll");
    ASSERT_TRUE(QFile::copy(path, pristine));
    // What the journal holds once the child has written its three entries.
    const QString expected = file("expected.dll");
    ASSERT_TRUE(QFile::copy(path, expected));
    {
        auto journal = open(expected);
        for (int day = 1; day <= 3; ++day)
            ASSERT_TRUE(
                journal->insert({0, QStringLiteral("Written before the restore %1").arg(day),
                                 "text", 2020, 1, day}));
    }
    const QString old = Dump(expected);

    const struct {
        int rename;
        const char* when;
        bool replaced;
        bool keptCopy;
    } kills[] = {{1, "before", false, false},
                 {1, "after", false, true},
                 {2, "before", false, true},
                 {2, "after", true, true},
                 {0, "never", true, true}};
    for (const auto& kill : kills) {
        SCOPED_TRACE(std::to_string(kill.rename) + " " + kill.when);
        for (const QString& left : files()) {
            if (left.startsWith("Dreams.dll") || left.startsWith(".Dreams.dll"))
                QFile::remove(file(left));
        }
        ASSERT_TRUE(QFile::copy(pristine, path));
        QProcess child;
        child.start(RESTORE_KILL_CHILD,
                    {path, backup, QString::number(kill.rename), QLatin1String(kill.when)});
        ASSERT_TRUE(child.waitForFinished(30000));
        const bool killed = child.exitStatus() == QProcess::CrashExit;
        EXPECT_EQ(killed, kill.rename != 0) << child.readAllStandardOutput().toStdString();

        // The next start opens the journal and finds it whole.
        auto journal = open(path);
        ASSERT_TRUE(journal);
        EXPECT_EQ(coretest::query(path, "PRAGMA integrity_check"), QList<QVariantList>{{"ok"}});
        EXPECT_EQ(Dump(path), kill.replaced ? restored : old);
        const QStringList kept = QDir(folder.path()).entryList({"Dreams.dll.before-restore-*"});
        ASSERT_EQ(kept.size(), kill.keptCopy ? 1 : 0);
        if (kill.keptCopy) {
            EXPECT_EQ(Dump(file(kept.value(0))), old);
        }
    }
}

} // namespace
