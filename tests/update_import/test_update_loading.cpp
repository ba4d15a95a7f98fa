// Opening an update file: from the main window (modal) or the command line (the only window),
// what is listed and pre-checked as new, in which order, and files that are no usable update.

#include "ImportTestSupport.h"
#include "app/CommonDialog.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
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
    EXPECT_EQ(Listed(window), "apple|Temptation|0|+; Blank||0|+; moon|Cycles|0|+; "
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

TEST_F(UpdateLoading, UnusableFilesListNothingAndAnEmptyDictionaryChecksNothing) {
    const auto path = [this](const char* name) { return UpdatePath(name) + ".udj"; };
    QFile text(path("text"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Keyword\tDescription\nOwl\tWisdom\n");
    text.close();
    testsupport::Exec(path("no table"), "CREATE TABLE tblWords (Keyword, Description)");
    testsupport::Exec(path("no table"), "INSERT INTO tblWords VALUES ('Owl', 'x')");
    testsupport::Exec(path("other columns"), "CREATE TABLE tblKeywords (Word, Meaning)");
    testsupport::Exec(path("other columns"), "INSERT INTO tblKeywords VALUES ('Owl', 'x')");
    WriteUpdateFile(path("empty table"), {});
    QDir().mkpath(path("folder"));
    for (const char* kind :
         {"text", "no table", "other columns", "empty table", "folder", "missing"}) {
        SCOPED_TRACE(kind);
        const QByteArray before = testsupport::FileBytes(path(kind));
        frmKeyUpdate* window = StartWithCommandLine(path(kind));
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->ListView1->topLevelItemCount(), 0);
        EXPECT_EQ(window->lblInfo->text(), "Update Records");
        window->cmdCancel->click();
        testsupport::ProcessEvents();
        EXPECT_EQ(testsupport::FileBytes(path(kind)), before);
    }
    testsupport::Exec(KeywordsFile(), "DELETE FROM tblKeywords");
    WriteUpdateFile(path("first"), {{"Owl", "Wisdom"}, {"ant", "Work"}});
    frmKeyUpdate* window = StartWithCommandLine(path("first"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Listed(window), "ant|Work||-; Owl|Wisdom||-");
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(modMain::LoadedForms().isEmpty()) << "Escape only hid the window";
}

// The import window is modal over the main window. The shared dictionary recordset is only
// re-read by the merge: a keyword added on the dictionary panel meanwhile is offered as new,
// and then found and not added twice.
TEST_F(UpdateLoading, FromTheMainWindowAKeywordAddedSinceTheLastReadIsNewThenFound) {
    frmMain* main = StartMain();
    ASSERT_NE(main, nullptr);
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords (Keyword, Description) VALUES "
                                      "('Owl', 'Night bird')");
    const QString update = UpdatePath("spring.udj");
    WriteUpdateFile(update, {{"owl", "Wisdom"}});
    CommonDialog::SetNextFileName(update);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    QTimer::singleShot(0, [&] {
        frmKeyUpdate* window = importtest::ImportWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), window);
        EXPECT_EQ(window->parentWidget(), main);
        EXPECT_EQ(Listed(window), "owl|Wisdom|0|+");
        window->optOption[2]->click();
        window->cmdImport->click();
    });
    main->cmdUpdateDreamDictionary->click();
    testsupport::ProcessEvents();

    EXPECT_EQ(modMain::LoadedForms(), QList<QWidget*>{main});
    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Dream Meanings Updated Successfully."});
    const QStringList rows = importtest::DictionaryRows(KeywordsFile());
    EXPECT_EQ(rows.size(), 6);
    EXPECT_EQ(rows.last(), "Owl=Night bird ; Wisdom");
    // One file at a time, and both of the program's extensions on offer.
    EXPECT_EQ(CommonDialog::Last().nameFilters, "Oneirion Keywords Update (*.kwu *.udj)");
}

} // namespace
