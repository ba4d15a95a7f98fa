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
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QTreeWidget>

#include <optional>

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

enum class Damage { Truncated, Zeroed, ForeignSchema, Unreadable };

struct DamagedFile {
    const char* file;
    Damage damage;
};

void PrintTo(const DamagedFile& damaged, std::ostream* out) {
    *out << damaged.file << '/' << int(damaged.damage);
}

class DamagedDataFile : public Startup, public ::testing::WithParamInterface<DamagedFile> {
protected:
    // Fills the file to many pages, so that cutting it in half loses real content.
    void grow(const QString& path) {
        const bool dreams = path == DreamsFile();
        for (int i = 0; i < 400; ++i) {
            const QString text = QStringLiteral("A long dream about the sea, number %1. ").arg(i);
            if (dreams)
                testsupport::AddJournalRow(path, 2008, 3, 1 + i % 28, text, text.repeated(5));
            else
                testsupport::Exec(path, "INSERT INTO tblKeywords VALUES (?, ?)",
                                  {QStringLiteral("word%1").arg(i), text.repeated(5)});
        }
    }
    static void overwrite(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
};

TEST_P(DamagedDataFile, IsNamedWithItsReasonAndLeftExactlyAsItWas) {
    const QString path = folder.filePath(QLatin1String(GetParam().file));
    const bool dreams = path == DreamsFile();
    std::optional<testsupport::PermissionsApply> permissions;
    switch (GetParam().damage) {
    case Damage::Truncated: {
        grow(path);
        const QByteArray whole = testsupport::FileBytes(path);
        ASSERT_GT(whole.size(), 40000);
        overwrite(path, whole.left(whole.size() / 2));
        break;
    }
    case Damage::Zeroed:
        overwrite(path, QByteArray(testsupport::FileBytes(path).size(), '\0'));
        break;
    case Damage::ForeignSchema:
        ASSERT_TRUE(QFile::remove(path));
        testsupport::Exec(path, dreams ? "CREATE TABLE tblDreams (ID INTEGER PRIMARY KEY, Title)"
                                       : "CREATE TABLE notes (Keyword, Description)");
        break;
    case Damage::Unreadable:
        break;
    }
    const QByteArray before = testsupport::FileBytes(path);
    if (GetParam().damage == Damage::Unreadable) {
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
        permissions.emplace();
    }

    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    EXPECT_EQ(StartMain(), nullptr);
    const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].icon, MsgBox::Icon::Critical);
    const QStringList lines = shown[0].text.split('\n');
    EXPECT_EQ(lines.value(0), "Oneirion Cannot Use " + QDir::toNativeSeparators(path));
    const char* const reasons[] = {"The file is damaged", "It is not a usable database",
                                   dreams ? "Its table tblDreams has no column Year"
                                          : "It holds no table tblKeywords",
                                   "The file cannot be read"};
    EXPECT_TRUE(lines.value(1).startsWith(QLatin1String(reasons[int(GetParam().damage)])))
        << lines.value(1).toStdString();
    // It ends as a start with a missing file does.
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_EQ(closingPages(), 1);

    permissions.reset();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(testsupport::FileBytes(path), before);
    for (const char* companion : {"-wal", "-shm", "-journal"})
        EXPECT_FALSE(QFile::exists(path + QLatin1String(companion))) << companion;
}

INSTANTIATE_TEST_SUITE_P(FourWays, DamagedDataFile,
                         ::testing::Values(DamagedFile{"Dreams.dll", Damage::Truncated},
                                           DamagedFile{"Dreams.dll", Damage::Zeroed},
                                           DamagedFile{"Dreams.dll", Damage::ForeignSchema},
                                           DamagedFile{"Dreams.dll", Damage::Unreadable},
                                           DamagedFile{"Keywords.dll", Damage::Truncated},
                                           DamagedFile{"Keywords.dll", Damage::Zeroed},
                                           DamagedFile{"Keywords.dll", Damage::ForeignSchema},
                                           DamagedFile{"Keywords.dll", Damage::Unreadable}));

TEST_F(Startup, AReadOnlyFolderOrFileOpensForReadingAndSaysSoOnce) {
    const qlonglong id = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "Up.");
    for (const bool wholeFolder : {true, false}) {
        SCOPED_TRACE(wholeFolder ? "folder" : "file");
        const QString locked = wholeFolder ? folder.path() : DreamsFile();
        const QFileDevice::Permissions open = QFile::permissions(locked);
        ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        {
            const testsupport::PermissionsApply permissions;
            MsgBox::SetNextAnswer(MsgBox::Answer::OK);
            frmMain* w = StartMain();
            ASSERT_NE(w, nullptr);
            const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
            ASSERT_EQ(shown.size(), 1);
            EXPECT_EQ(shown[0].icon, MsgBox::Icon::Exclamation);
            EXPECT_TRUE(shown[0].text.startsWith("Changes Cannot Be Saved\n"));
            EXPECT_TRUE(shown[0].text.contains(QDir::toNativeSeparators(DreamsFile())));

            // Everything reads; a write fails and says so, keeping what was typed.
            auto* tree = testsupport::Find<QTreeWidget>(w, "tvDreams");
            QTreeWidgetItem* entry =
                tree->findItems("Flying", Qt::MatchStartsWith | Qt::MatchRecursive).value(0);
            ASSERT_NE(entry, nullptr);
            tree->scrollToItem(entry);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(entry).center());
            auto* text = testsupport::Find<QTextEdit>(w, "rtbJournalText");
            EXPECT_EQ(text->toPlainText(), QStringLiteral("Up."));
            EXPECT_EQ(testsupport::Find<QListWidget>(w, "lstKeywords")->count(), 5);
            text->setPlainText("Changed.");
            MsgBox::SetNextAnswer(MsgBox::Answer::OK);
            testsupport::Find<QPushButton>(w, "cmdSave")->click();
            EXPECT_TRUE(testsupport::TakeMessageTexts().value(0).startsWith(
                "Journal Could Not Be Updated\n"));
            EXPECT_EQ(text->toPlainText(), QStringLiteral("Changed."));
            testsupport::Find<QPushButton>(w, "cmdCancel")->click();
            modMain::UnloadAllForms();
            testsupport::ProcessEvents();
        }
        ASSERT_TRUE(QFile::setPermissions(locked, open));
        EXPECT_EQ(
            testsupport::Query(DreamsFile(), "SELECT journaltext FROM tblDreams WHERE ID = ?", {id})
                .value(0)
                .value(0),
            QVariant("Up."));
    }
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
