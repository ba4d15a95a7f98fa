// Opening an update file: from the main window (modal) or the command line (the only window),
// what is listed and pre-checked as new, in which order, and files that are no usable update.

#include "ImportTestSupport.h"
#include "app/CommonDialog.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

namespace {

using importtest::Listed;
using importtest::WriteUpdateFile;

class UpdateLoading : public importtest::ImportFixture {};

TEST_F(UpdateLoading, FromTheCommandLineNewKeywordsComeFirstAndCancelEndsTheProgram) {
    // The dictionary holds cat, Bat, water, Ant and flying. The path comes in quotes, as a
    // double click on a file whose name has a space gives it.
    const QString update = UpdatePath("spring update.kwu");
    WriteUpdateFile(update, {{"Zebra", "Stripes"},
                             {"Cat", "Grace"},
                             {"moon", "Cycles"},
                             {"BAT", "Night"},
                             {"Blank", QVariant()},
                             {"apple", "Temptation"},
                             {"Water", "Flow"}});
    const QStringList files = {KeywordsFile(), DreamsFile(), update};
    QList<QByteArray> before;
    for (const QString& file : files)
        before << testsupport::FileBytes(file);
    frmKeyUpdate* window = StartWithCommandLine('"' + update + '"');
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(modMain::LoadedForms(), QList<QWidget*>{window});
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->lblInfo->text(), "7 updates(s) found");
    EXPECT_EQ(Listed(window), "apple|Temptation|0|+; Blank||0|- (off); moon|Cycles|0|+; "
                              "Zebra|Stripes|0|+; BAT|Night|1|-; Cat|Grace|1|-; Water|Flow|1|-");
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(window->optOption[i]->isChecked()) << "policy " << i;

    // Cancel writes nothing, and the program ends with its only window.
    importtest::SetChecked(window, "Cat");
    window->optOption[0]->click();
    QTimer::singleShot(0, window->cmdCancel, &QPushButton::click);
    QObject guard; // ends the loop in case the program never does
    QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the program did not end";
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
    modDB::rsKeywords.reset();
    modDB::cnKeywords.reset();
    modDB::rsDreams.reset();
    modDB::cnDreams.reset();
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(testsupport::FileBytes(files[i]), before[i]) << files[i].toStdString();
}

TEST_F(UpdateLoading, AnEmptyTableListsNothingAndAnEmptyDictionaryChecksNothing) {
    const QString empty = UpdatePath("empty.udj"), first = UpdatePath("first.udj");
    WriteUpdateFile(empty, {});
    frmKeyUpdate* window = StartWithCommandLine(empty);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Listed(window), "");
    EXPECT_EQ(testsupport::Find<QLabel>(window, "lblInfo")->text(), "Update Records");
    testsupport::Find<QPushButton>(window, "cmdCancel")->click();
    testsupport::ProcessEvents();

    testsupport::Exec(KeywordsFile(), "DELETE FROM tblKeywords");
    WriteUpdateFile(first, {{"Owl", "Wisdom"}, {"ant", "Work"}});
    window = StartWithCommandLine(first);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Listed(window), "ant|Work||-; Owl|Wisdom||-");
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(modMain::LoadedForms().isEmpty()) << "Escape only hid the window";
}

// The import window is modal over the main window. Its marks come from the dictionary as it is
// when it opens: a keyword just added on the dictionary panel is known, one just deleted is new.
TEST_F(UpdateLoading, FromTheMainWindowTheMarksFollowTheDictionaryPanelsLatestChanges) {
    using testsupport::Find;
    frmMain* main = StartMain();
    ASSERT_NE(main, nullptr);
    Find<QPushButton>(main, "cmdDreamDictionary")->click();
    auto* add = Find<QPushButton>(main, "cmdAddKeyword");
    add->click();
    Find<QLineEdit>(main, "txtKeyword")->setText("Owl");
    Find<QPlainTextEdit>(main, "txtKeywordDesc")->setPlainText("Night bird");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    add->click();
    auto* list = Find<QListWidget>(main, "lstKeywords");
    list->setCurrentItem(list->findItems("cat", Qt::MatchExactly).value(0));
    MsgBox::SetNextAnswer(MsgBox::Answer::Yes);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    Find<QPushButton>(main, "cmdDeleteKeyword")->click();
    EXPECT_EQ(testsupport::TakeMessageTexts(),
              QStringList({"Keyword Saved Successfully", "Are You Sure To Delete The Keyword ?",
                           "Keyword Deleted Successfully"}));

    const QString update = UpdatePath("spring.udj");
    WriteUpdateFile(update, {{"owl", "Wisdom"}, {"CAT", "Grace"}});
    CommonDialog::SetNextFileName(update);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    QTimer::singleShot(0, [&] {
        frmKeyUpdate* window = importtest::ImportWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), window);
        EXPECT_EQ(window->parentWidget(), main);
        EXPECT_EQ(Listed(window), "CAT|Grace|0|+; owl|Wisdom|1|-");
        importtest::SetChecked(window, "owl");
        Find<QRadioButton>(window, "optOption_2")->click();
        Find<QPushButton>(window, "cmdImport")->click();
    });
    Find<QPushButton>(main, "cmdUpdateDreamDictionary")->click();
    testsupport::ProcessEvents();

    EXPECT_EQ(modMain::LoadedForms(), QList<QWidget*>{main});
    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Dream Meanings Updated Successfully."});
    EXPECT_EQ(Dictionary(), "Bat=Something hidden in the dark.; water=Emotions and the "
                            "unconscious.; Ant=Patient, shared work.; flying=Freedom and a wider "
                            "view.; Owl=Night bird ; Wisdom; CAT=Grace");
    // One file at a time, and both of the program's extensions on offer.
    EXPECT_EQ(CommonDialog::Last().nameFilters, "Oneirion Keywords Update (*.kwu *.udj)");

    // An analysis finds the imported keywords at once.
    Find<QPushButton>(main, "cmdStartNewJournal")->click();
    Find<QLineEdit>(main, "txtJournalName")->setText("Night");
    Find<QTextEdit>(main, "rtbJournalText")->setPlainText("An owl and a cat.");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    Find<QPushButton>(main, "cmdAnalyze")->click();
    const auto* found = Find<QTreeWidget>(main, "lvKeywords");
    ASSERT_EQ(found->topLevelItemCount(), 2);
    EXPECT_EQ(found->topLevelItem(1)->text(1), "Night bird ; Wisdom");
}

} // namespace
