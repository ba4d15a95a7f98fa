// Start-up: the two ways in, the single-instance and required-files checks, and the closing page.

#include "TestSupport.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "shell/modRegistry.h"
#include "update_import/frmKeyUpdate.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QThread>
#include <QTreeWidget>

namespace {

class Startup : public testsupport::ProgramFixture {
protected:
    template <typename Form>
    int loaded() const {
        int count = 0;
        for (QWidget* form : modMain::LoadedForms())
            count += qobject_cast<Form*>(form) != nullptr ? 1 : 0;
        return count;
    }
    int closingPages() const { return int(urls.urls.count(modRegistry::ThankYouPageUrl())); }
};

TEST_F(Startup, WithoutACommandLineOnlyTheMainWindowLoads) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(loaded<frmKeyUpdate>(), 0);
    EXPECT_TRUE(modDB::cnDreams && modDB::cnDreams->IsOpen());
    EXPECT_TRUE(modDB::rsKeywords && modDB::rsKeywords->IsOpen());
    EXPECT_EQ(modDB::rsKeywords->RecordCount(), 5);
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
}

// A command line that names no usable file still takes the import path: the refusal names the
// file, and the program ends without ever showing the main window.
TEST_F(Startup, AnyCommandLineTakesTheImportPathAndNeverShowsTheMainWindow) {
    for (const QString& commandLine :
         {QStringLiteral("\"") + folder.path() + QStringLiteral("/nothing here.udj\""),
          QStringLiteral("not a file at all")}) {
        modMain::testing::SetCommandLine(commandLine);
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        EXPECT_EQ(StartMain(), nullptr);
        const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
        ASSERT_EQ(shown.size(), 1) << commandLine.toStdString();
        EXPECT_EQ(shown[0].icon, MsgBox::Icon::Critical);
        EXPECT_TRUE(shown[0].text.startsWith("\"" + QString(commandLine).remove('"') + "\""))
            << shown[0].text.toStdString();
        testsupport::ProcessEvents();
        EXPECT_TRUE(modMain::LoadedForms().isEmpty());
        EXPECT_EQ(loaded<frmMain>(), 0);
    }
    EXPECT_EQ(closingPages(), 0) << "a start on an update file opens no page";
}

TEST_F(Startup, AMissingDictionaryLeavesTheListEmptyThenEndsTheProgram) {
    ASSERT_TRUE(QFile::remove(KeywordsFile()));
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    EXPECT_EQ(StartMain(), nullptr);
    EXPECT_EQ(
        testsupport::TakeMessageTexts(),
        QStringList({"File(s) Required To Run Oneirion Is Missing\nPlease ReInstall Oneirion"}));
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_EQ(closingPages(), 1);
}

TEST_F(Startup, HiddenOrNonOrdinaryDataFilesCountAsAbsent) {
    ASSERT_TRUE(QFile::rename(DreamsFile(), folder.filePath(QStringLiteral(".Dreams.dll"))));
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    EXPECT_EQ(StartMain(), nullptr);
    EXPECT_EQ(testsupport::TakeMessageTexts().size(), 1);

    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Dreams.dll")));
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    EXPECT_EQ(StartMain(), nullptr);
    EXPECT_EQ(testsupport::TakeMessageTexts().size(), 1);
    EXPECT_EQ(closingPages(), 2);
}

TEST_F(Startup, DataFilesNamedInOtherLetterCaseAreFound) {
    ASSERT_TRUE(QFile::rename(DreamsFile(), folder.filePath(QStringLiteral("dreams.DLL"))));
    ASSERT_TRUE(QFile::rename(KeywordsFile(), folder.filePath(QStringLiteral("KEYWORDS.dll"))));
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->lstKeywords->count(), 5);
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
}

TEST_F(Startup, ACorruptJournalDoesNotStopTheStart) {
    QFile dreams(DreamsFile());
    ASSERT_TRUE(dreams.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dreams.write(QByteArray(10000, '\x7f'));
    dreams.close();
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->tvDreams->topLevelItemCount(), 1);
    EXPECT_EQ(w->tvDreams->topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(w->lstKeywords->count(), 5);
}

// Another running instance, even one showing only the import window, refuses a normal start;
// one that started later does not.
TEST_F(Startup, AnEarlierInstanceOfTheSameExecutableRefusesTheStart) {
    const QString program = testsupport::ProgramBinary();
    ASSERT_TRUE(QFile::exists(program)) << "the suite needs the built program";
    modMain::testing::SetExePath(program);
    modMain::testing::ReleaseInstance();
    modMain::RegisterInstance();

    QProcess other;
    other.start(program, {folder.filePath(QStringLiteral("no-such-update.udj"))});
    ASSERT_TRUE(other.waitForStarted());
    for (int attempt = 0; attempt < 200 && modMain::testing::OtherInstances() == 0; ++attempt)
        QThread::msleep(50);
    ASSERT_EQ(modMain::testing::OtherInstances(), 1);
    EXPECT_FALSE(modMain::PrevInstance()) << "the other process started after this one";

    // Started again now, this process comes after the other one and is refused.
    modMain::testing::ReleaseInstance();
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    EXPECT_EQ(StartMain(), nullptr);
    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList({"Oneirion Is Already Running"}));
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_EQ(closingPages(), 1);
    EXPECT_EQ(other.state(), QProcess::Running) << "the running instance is not touched";

    other.kill();
    other.waitForFinished();
    EXPECT_FALSE(modMain::PrevInstance()) << "a process that has ended no longer counts";
    EXPECT_EQ(modMain::testing::OtherInstances(), 0);
    modMain::testing::SetExePath(std::nullopt);
}

} // namespace
