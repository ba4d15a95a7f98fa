// Backing up and restoring through the Journal menu: the backup's content, the questions a
// restore asks and what it shows afterwards, and the files it refuses with the journal left as
// it was.

#include "ExportTestSupport.h"

#include <QTextEdit>

using namespace exporttest;

namespace {

class BackupRestore : public JournalFixture {
protected:
    // Backs up to `path` through the menu; gives the messages shown.
    QStringList BackUp(const QString& path, std::initializer_list<Reply> replies = {Reply::OK}) {
        NextFileName(path);
        Answer(replies);
        Choose(window, "mnuBackup");
        return Shown();
    }
    QStringList Restore(const QString& path, std::initializer_list<Reply> replies) {
        NextFileName(path);
        Answer(replies);
        Choose(window, "mnuRestore");
        return Shown();
    }
    // The files of the program folder.
    QStringList Files() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString Confirmation(const QString& source, int brings, int holds) const {
        return QStringLiteral("Question: Replace Your Journal ?\n%1 brings %2 entries. Your "
                              "journal holds %3 entries now; it is kept as a copy beside the "
                              "restored one. [Yes No; No]")
            .arg(source)
            .arg(brings)
            .arg(holds);
    }
};

// The backup is the journal's content, readable by its owner alone; restored after the journal
// changed, it gives that content back, the tree shows it and the editor is emptied, and the
// journal it replaced is kept beside it.
TEST_F(BackupRestore, ABackupRestoredGivesTheJournalBack) {
    const QString backup = File("Oneirion journal 2026-12-06.db");
    EXPECT_EQ(BackUp(File("Oneirion journal 2026-12-06")),
              QStringList{"Information: Journal Backed Up\nA copy of your journal is in " + backup +
                          "."});
    const QByteArray saved = Dump(DreamsFile());
    EXPECT_EQ(Dump(backup), saved);
    EXPECT_EQ(Mode(backup), 0600);
    const QStringList tree = TreeEntries(window);

    AddJournalRow(DreamsFile(), 2011, 5, 5, "After the backup", "Gone after the restore.");
    const QByteArray changed = Dump(DreamsFile());
    // Rebuilt twice, the tree shows the entry added.
    for (int i = 0; i < 2; ++i)
        Find<QAbstractButton>(window, "Check1")->click();
    ASSERT_EQ(TreeEntries(window).size(), 5);
    // Declined, nothing changes.
    EXPECT_EQ(Restore(backup, {Reply::No}), QStringList{Confirmation(backup, 4, 5)});
    EXPECT_EQ(Dump(DreamsFile()), changed);

    auto* tree_ = Find<QTreeWidget>(window, "tvDreams");
    tree_->setCurrentItem(tree_->findItems("Later", Qt::MatchStartsWith | Qt::MatchRecursive)[0]);
    ProcessEvents();
    ASSERT_EQ(Find<QTextEdit>(window, "rtbJournalText")->toPlainText(), "A bat cave.");
    const QString kept = DreamsFile() + ".before-restore-2026-12-06-";
    const QStringList shown = Restore(backup, {Reply::Yes, Reply::OK});
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], Confirmation(backup, 4, 5));
    EXPECT_TRUE(shown[1].startsWith("Information: Journal Restored\nYour journal holds 4 entries "
                                    "now. The journal it replaced is kept as " +
                                    kept))
        << shown[1].toStdString();
    EXPECT_EQ(Dump(DreamsFile()), saved);
    const QStringList copies = QDir(folder.path()).entryList({"Dreams.dll.before-restore-*"});
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(Dump(File(copies[0])), changed);
    EXPECT_EQ(TreeEntries(window), tree);
    EXPECT_EQ(Find<QTextEdit>(window, "rtbJournalText")->toPlainText(), "");
    EXPECT_FALSE(Find<QTextEdit>(window, "rtbJournalText")->isEnabled());
    EXPECT_EQ(PanelInFront(), "Frame2");

    // The journal goes on as usual: a new entry is stored in the restored one.
    Find<QPushButton>(window, "cmdStartNewJournal")->click();
    Find<QLineEdit>(window, "txtJournalName")->setText("After the restore");
    Find<QTextEdit>(window, "rtbJournalText")->setPlainText("Stored.");
    Press(Find<QPushButton>(window, "cmdSave"), {Reply::OK});
    EXPECT_EQ(Query(DreamsFile(), "SELECT count(*) FROM tblDreams"), QList<QVariantList>{{5}});
}

// A backup never writes over the program's own data files.
TEST_F(BackupRestore, ABackupIsNeverWrittenOverTheDataFiles) {
    const QByteArray journal = FileBytes(DreamsFile());
    for (const QString& own : {DreamsFile(), KeywordsFile()}) {
        EXPECT_EQ(BackUp(own), QStringList{"Critical: The Journal Could Not Be Backed Up\n" + own +
                                           " is one of Oneirion's own data files; choose "
                                           "another name."});
    }
    EXPECT_EQ(FileBytes(DreamsFile()), journal);
}

// A JSON export brings every entry back, as new entries with their names, texts and dates.
TEST_F(BackupRestore, AnExportRestoredBringsEveryEntryBack) {
    const QString exported = File("journal.json");
    OnNextModal([exported](QWidget* dialog) {
        auto* format = Find<QComboBox>(dialog, "cboFormat");
        format->setCurrentIndex(format->findText("JSON (can be restored)"));
        NextFileName(exported);
        Answer({Reply::OK});
        Find<QPushButton>(dialog, "cmdExport")->click();
    });
    Choose(window, "mnuExport");
    Shown();
    const auto rows = [this] {
        return Query(DreamsFile(), "SELECT Year, Month, Day, JournalName, journaltext FROM "
                                   "tblDreams ORDER BY Year, Month, Day");
    };
    const QList<QVariantList> before = rows();
    Exec(DreamsFile(), "DELETE FROM tblDreams WHERE JournalName = 'Flying'");

    const QStringList shown = Restore(exported, {Reply::Yes, Reply::OK});
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], Confirmation(exported, 4, 3));
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(TreeEntries(window).size(), 4);
}

// A file the restore refuses (the core's tests cover every reason) is named in a critical
// message with the reason, and nothing changes: not the journal, not the folder.
TEST_F(BackupRestore, AFileThatCannotBeRestoredChangesNothing) {
    const QString backup = File("backup.db");
    for (int i = 0; i < 100; ++i)
        AddJournalRow(DreamsFile(), 2012, 1, 1, QStringLiteral("Filler %1").arg(i),
                      QString(800, 'x'));
    BackUp(backup);
    const QByteArray whole = FileBytes(backup);
    const QString truncated = File("truncated.db");
    QFile out(truncated);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(whole.left(whole.size() / 3));
    out.close();
    const std::pair<QString, QString> refused[] = {
        {truncated, QStringLiteral("The file is truncated: it holds %1 of its %2 bytes.")
                        .arg(whole.size() / 3)
                        .arg(whole.size())},
        {DreamsFile(), "It is the journal in use itself."},
    };
    const QByteArray journal = Dump(DreamsFile());
    const QStringList files = Files();
    for (const auto& [file, reason] : refused) {
        EXPECT_EQ(Restore(file, {Reply::OK}),
                  QStringList{"Critical: The Journal Cannot Be Restored From This File\n" + file +
                              "\n" + reason});
    }
    EXPECT_EQ(Dump(DreamsFile()), journal);
    EXPECT_EQ(Files(), files);
}

// Typed changes are asked about before anything is replaced; Cancel stays with them.
TEST_F(BackupRestore, UnsavedChangesAreAskedAboutFirst) {
    const QString backup = File("backup.db");
    BackUp(backup);
    Find<QPushButton>(window, "cmdStartNewJournal")->click();
    Find<QLineEdit>(window, "txtJournalName")->setText("Half written");
    EXPECT_EQ(Restore(backup, {Reply::Cancel}),
              QStringList{"Question: Do You Want To Save The Changes To This Journal ? [Yes No "
                          "Cancel; Yes]"});
    EXPECT_EQ(Find<QLineEdit>(window, "txtJournalName")->text(), "Half written");
    EXPECT_EQ(QDir(folder.path()).entryList({"Dreams.dll.before-restore-*"}), QStringList());
}

} // namespace
