// Opening an update file: from the main window (modal) or the command line (the only window),
// what is listed and pre-checked as new, and in which order.

#include "ImportTestSupport.h"

#include <QDialog>

namespace {

using namespace importtest;

class UpdateLoading : public ImportFixture {};

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
        before << FileBytes(file);
    QWidget* window = StartProgram('"' + update + '"');
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(Find<QLabel>(window, "lblInfo")->text(), "7 updates(s) found");
    EXPECT_EQ(Listed(window), "apple|Temptation|0|+; Blank||0|- (off); moon|Cycles|0|+; "
                              "Zebra|Stripes|0|+; BAT|Night|1|-; Cat|Grace|1|-; Water|Flow|1|-");
    for (const char* option : {"optOption_0", "optOption_1", "optOption_2"})
        EXPECT_FALSE(Find<QRadioButton>(window, option)->isChecked()) << option;

    // Cancel writes nothing, and the program ends with its only window.
    SetChecked(window, "Cat");
    Find<QRadioButton>(window, "optOption_0")->click();
    QTimer::singleShot(0, Find<QPushButton>(window, "cmdCancel"), &QPushButton::click);
    QObject guard; // ends the loop in case the program never does
    QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the program did not end";
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(Shown(), QStringList{});
    CloseAll();
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(FileBytes(files[i]), before[i]) << files[i].toStdString();
}

TEST_F(UpdateLoading, AnEmptyTableListsNothingAndAnEmptyDictionaryChecksNothing) {
    const QString empty = UpdatePath("empty.udj"), first = UpdatePath("first.udj");
    WriteUpdateFile(empty, {});
    QWidget* window = StartProgram(empty);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Listed(window), "");
    EXPECT_EQ(Find<QLabel>(window, "lblInfo")->text(), "Update Records");
    Find<QPushButton>(window, "cmdCancel")->click();
    EXPECT_TRUE(ProgramEnded());

    Exec(KeywordsFile(), "DELETE FROM tblKeywords");
    WriteUpdateFile(first, {{"Owl", "Wisdom"}, {"ant", "Work"}});
    window = StartProgram(first);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Listed(window), "ant|Work||-; Owl|Wisdom||-");
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(ProgramEnded()) << "Escape only hid the window";
}

// The import window is modal over the main window. Its marks come from the dictionary as it is
// when it opens: a keyword just added on the dictionary panel is known, one just deleted is new.
TEST_F(UpdateLoading, FromTheMainWindowTheMarksFollowTheDictionaryPanelsLatestChanges) {
    QWidget* main = StartProgram();
    ASSERT_NE(main, nullptr);
    const auto button = [main](const char* name) { return Find<QPushButton>(main, name); };
    button("cmdDreamDictionary")->click();
    button("cmdAddKeyword")->click();
    Find<QLineEdit>(main, "txtKeyword")->setText("Owl");
    Find<QPlainTextEdit>(main, "txtKeywordDesc")->setPlainText("Night bird");
    EXPECT_EQ(Press(button("cmdAddKeyword"), {Reply::OK}),
              QStringList{"Information: Keyword Saved Successfully"});
    auto* list = Find<QListWidget>(main, "lstKeywords");
    list->setCurrentItem(list->findItems("cat", Qt::MatchExactly).value(0));
    EXPECT_EQ(Press(button("cmdDeleteKeyword"), {Reply::Yes, Reply::OK}).value(1),
              "Critical: Keyword Deleted Successfully");

    const QString update = UpdatePath("spring.udj");
    WriteUpdateFile(update, {{"owl", "Wisdom"}, {"CAT", "Grace"}});
    NextFileName(update);
    OnNextModal([main](QWidget* window) {
        EXPECT_EQ(window, ImportWindow());
        EXPECT_EQ(window->parentWidget(), main);
        EXPECT_EQ(Listed(window), "CAT|Grace|0|+; owl|Wisdom|1|-");
        SetChecked(window, "owl");
        Find<QRadioButton>(window, "optOption_2")->click();
        Answer({Reply::OK});
        Find<QPushButton>(window, "cmdImport")->click();
    });
    button("cmdUpdateDreamDictionary")->click();

    EXPECT_EQ(ImportWindow(), nullptr);
    EXPECT_EQ(Shown(), QStringList{"Information: Dream Meanings Updated Successfully."});
    EXPECT_EQ(Stored(), "Bat=Something hidden in the dark.; water=Emotions and the "
                        "unconscious.; Ant=Patient, shared work.; flying=Freedom and a wider "
                        "view.; Owl=Night bird ; Wisdom; CAT=Grace");
    // One file at a time, and both of the program's extensions on offer.
    EXPECT_EQ(OfferedFileTypes(), "Oneirion Keywords Update (*.kwu *.udj)");
}

} // namespace
