// Backing up and restoring through the Journal menu: the messages, the question a restore asks,
// the tree reloaded afterwards, and a refusal leaving everything as it was. What a backup holds
// and every reason a restore refuses a file are the core's to test.

#include "ExportTestSupport.h"

#include <QTextEdit>
#include <QTreeWidgetItemIterator>

using namespace exporttest;

namespace {

// The entries the tree shows, in its order.
QStringList TreeEntries(const QWidget* window) {
    QStringList entries;
    for (QTreeWidgetItemIterator it(Find<QTreeWidget>(window, "tvDreams")); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString().startsWith('~'))
            entries << (*it)->text(0);
    }
    return entries;
}

class BackupRestore : public JournalFixture {
protected:
    // Chooses `action`, the file dialog answering `path`; gives the messages shown.
    QStringList Run(const char* action, const QString& path, std::initializer_list<Reply> replies) {
        NextFileName(path);
        Answer(replies);
        Choose(window, action);
        return Shown();
    }
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

// The backup, restored after the journal changed, gives its content back; the tree shows it,
// the editor is emptied, and the journal it replaced is kept beside it. Declined, nothing
// changes.
TEST_F(BackupRestore, ABackupRestoredGivesTheJournalBack) {
    const QString backup = File("Oneirion journal 2026-12-06.db");
    EXPECT_EQ(Run("mnuBackup", File("Oneirion journal 2026-12-06"), {Reply::OK}),
              QStringList{"Information: Journal Backed Up\nA copy of your journal is in " + backup +
                          "."});
    const QByteArray saved = Dump(DreamsFile());
    const QStringList tree = TreeEntries(window);

    AddJournalRow(DreamsFile(), 2011, 5, 5, "After the backup", "Gone after the restore.");
    const QByteArray changed = Dump(DreamsFile());
    // Rebuilt twice, the tree shows the entry added.
    for (int i = 0; i < 2; ++i)
        Find<QAbstractButton>(window, "Check1")->click();
    ASSERT_EQ(TreeEntries(window).size(), 5);
    EXPECT_EQ(Run("mnuRestore", backup, {Reply::No}), QStringList{Confirmation(backup, 4, 5)});
    EXPECT_EQ(Dump(DreamsFile()), changed);

    auto* tree_ = Find<QTreeWidget>(window, "tvDreams");
    tree_->setCurrentItem(tree_->findItems("Later", Qt::MatchStartsWith | Qt::MatchRecursive)[0]);
    ProcessEvents();
    ASSERT_EQ(Find<QTextEdit>(window, "rtbJournalText")->toPlainText(), "A bat cave.");
    const QStringList shown = Run("mnuRestore", backup, {Reply::Yes, Reply::OK});
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].startsWith("Information: Journal Restored\nYour journal holds 4 entries "
                                    "now. The journal it replaced is kept as " +
                                    DreamsFile() + ".before-restore-2026-12-06-"))
        << shown[1].toStdString();
    EXPECT_EQ(Dump(DreamsFile()), saved);
    EXPECT_EQ(TreeEntries(window), tree);
    EXPECT_EQ(Find<QTextEdit>(window, "rtbJournalText")->toPlainText(), "");
    EXPECT_EQ(PanelInFront(), "Frame2");
}

// A refused file (the core's tests cover every reason), or a backup over the journal itself, is
// named in a critical message with the reason, and nothing changes.
TEST_F(BackupRestore, WhatCannotBeDoneIsRefusedAndChangesNothing) {
    const QByteArray journal = Dump(DreamsFile());
    const QStringList files = Files();
    EXPECT_EQ(Run("mnuRestore", DreamsFile(), {Reply::OK}),
              QStringList{"Critical: The Journal Cannot Be Restored From This File\n" +
                          DreamsFile() + "\nIt is the journal in use itself."});
    EXPECT_EQ(Run("mnuBackup", DreamsFile(), {Reply::OK}),
              QStringList{"Critical: The Journal Could Not Be Backed Up\n" + DreamsFile() +
                          " is one of Oneirion's own data files; choose another name."});
    EXPECT_EQ(Dump(DreamsFile()), journal);
    EXPECT_EQ(Files(), files);
}

// Typed changes are asked about before anything is replaced; Cancel stays with them.
TEST_F(BackupRestore, UnsavedChangesAreAskedAboutFirst) {
    const QString backup = File("backup.db");
    Run("mnuBackup", backup, {Reply::OK});
    Find<QPushButton>(window, "cmdStartNewJournal")->click();
    Find<QLineEdit>(window, "txtJournalName")->setText("Half written");
    EXPECT_EQ(Run("mnuRestore", backup, {Reply::Cancel}),
              QStringList{"Question: Do You Want To Save The Changes To This Journal ? [Yes No "
                          "Cancel; Yes]"});
    EXPECT_EQ(Find<QLineEdit>(window, "txtJournalName")->text(), "Half written");
    EXPECT_EQ(QDir(folder.path()).entryList({"Dreams.dll.before-restore-*"}), QStringList());
}

} // namespace
