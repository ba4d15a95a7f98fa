// Start-up: the two ways in, the single-instance and data-file checks, and the closing page.

#include "TestSupport.h"

namespace {

using namespace testsupport;

class Startup : public ProgramFixture {
protected:
    // Starts expecting one critical message and the end of the program, and gives the message.
    QString refusedStart(const QString& commandLine = QString()) {
        Answer({Reply::OK});
        EXPECT_EQ(StartProgram(commandLine), nullptr);
        const QStringList shown = Shown();
        EXPECT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
        EXPECT_TRUE(ProgramEnded());
        EXPECT_EQ(OpenedPages(), commandLine.isEmpty() ? QStringList{"closing"} : QStringList{});
        return shown.value(0);
    }
};

TEST_F(Startup, WithoutACommandLineOnlyTheMainWindowOpensAndFindsItsFilesInAnyLetterCase) {
    ASSERT_TRUE(QFile::rename(DreamsFile(), folder.filePath("dreams.DLL")));
    ASSERT_TRUE(QFile::rename(KeywordsFile(), folder.filePath("KEYWORDS.dll")));
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ImportWindow(), nullptr);
    // The keyword list is filled when its panel is first shown, from the dictionary as it is then.
    Exec(folder.filePath("KEYWORDS.dll"), "INSERT INTO tblKeywords VALUES ('Zebra', 'stripes')");
    Find<QPushButton>(w, "cmdDreamDictionary")->click();
    auto* list = Find<QListWidget>(w, "lstKeywords");
    EXPECT_EQ(list->count(), 6);
    EXPECT_EQ(list->item(5)->text(), "Zebra");
    EXPECT_EQ(Shown(), QStringList{});
}

TEST_F(Startup, AMissingHiddenOrNonOrdinaryDataFileEndsTheProgram) {
    const QString missing =
        "Critical: File(s) Required To Run Oneirion Is Missing\nPlease ReInstall Oneirion";
    ASSERT_TRUE(QFile::rename(KeywordsFile(), folder.filePath("keywords.bak")));
    EXPECT_EQ(refusedStart(), missing);
    ASSERT_TRUE(QFile::rename(folder.filePath("keywords.bak"), KeywordsFile()));
    ASSERT_TRUE(QFile::rename(DreamsFile(), folder.filePath(".Dreams.dll")));
    EXPECT_EQ(refusedStart(), missing);
    ASSERT_TRUE(QDir(folder.path()).mkdir("Dreams.dll"));
    EXPECT_EQ(refusedStart(), missing);
}

enum class Damage { Truncated, Zeroed, ForeignSchema, Unreadable };

class DamagedDataFile : public Startup,
                        public ::testing::WithParamInterface<std::tuple<const char*, Damage>> {};

TEST_P(DamagedDataFile, IsNamedWithItsReasonAndLeftExactlyAsItWas) {
    const auto [name, damage] = GetParam();
    const QString path = folder.filePath(QLatin1String(name));
    const bool dreams = path == DreamsFile();
    if (damage == Damage::Truncated) {
        // Many pages, so that cutting the file in half loses real content.
        const QString text = QString("A long dream about the sea. ").repeated(20);
        for (int i = 0; i < 400; ++i)
            Exec(path,
                 dreams ? "INSERT INTO tblDreams (JournalName, journaltext) VALUES (?, ?)"
                        : "INSERT INTO tblKeywords VALUES (?, ?)",
                 {text + QString::number(i), text});
        ASSERT_TRUE(QFile::resize(path, QFileInfo(path).size() / 2));
    } else if (damage == Damage::Zeroed) {
        const qint64 size = QFileInfo(path).size();
        ASSERT_TRUE(QFile::resize(path, 0) && QFile::resize(path, size));
    } else if (damage == Damage::ForeignSchema) {
        ASSERT_TRUE(QFile::remove(path));
        Exec(path, dreams ? "CREATE TABLE tblDreams (ID INTEGER PRIMARY KEY, Title)"
                          : "CREATE TABLE notes (Keyword, Description)");
    }
    const QByteArray before = FileBytes(path);
    std::optional<PermissionsApply> permissions;
    if (damage == Damage::Unreadable) {
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
        permissions.emplace();
    }

    const QStringList lines = refusedStart().split('\n');
    EXPECT_EQ(lines.value(0), "Critical: Oneirion Cannot Use " + QDir::toNativeSeparators(path));
    const char* const reasons[] = {"The file is damaged", "It is not a usable database",
                                   dreams ? "Its table tblDreams has no column Year"
                                          : "It holds no table tblKeywords",
                                   "The file cannot be read"};
    EXPECT_TRUE(lines.value(1).startsWith(QLatin1String(reasons[int(damage)])))
        << lines.value(1).toStdString();

    permissions.reset();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(FileBytes(path), before);
    for (const char* companion : {"-wal", "-shm", "-journal"})
        EXPECT_FALSE(QFile::exists(path + QLatin1String(companion))) << companion;
}

INSTANTIATE_TEST_SUITE_P(EitherFileFourWays, DamagedDataFile,
                         ::testing::Combine(::testing::Values("Dreams.dll", "Keywords.dll"),
                                            ::testing::Values(Damage::Truncated, Damage::Zeroed,
                                                              Damage::ForeignSchema,
                                                              Damage::Unreadable)));

TEST_F(Startup, AReadOnlyFolderOrFileOpensForReadingAndSaysSoOnce) {
    AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "Up.");
    for (const QString& locked : {folder.path(), DreamsFile()}) {
        SCOPED_TRACE(locked.toStdString());
        const QFileDevice::Permissions open = QFile::permissions(locked);
        ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        {
            const PermissionsApply permissions;
            Answer({Reply::OK});
            QWidget* w = StartProgram();
            ASSERT_NE(w, nullptr);
            const QStringList shown = Shown();
            EXPECT_EQ(shown.size(), 1);
            EXPECT_TRUE(shown.value(0).startsWith("Exclamation: Changes Cannot Be Saved\n"));
            EXPECT_TRUE(shown.value(0).contains(QDir::toNativeSeparators(DreamsFile())));
            // Everything reads; the journal's own tests show each write failing.
            auto* tree = Find<QTreeWidget>(w, "tvDreams");
            EXPECT_EQ(tree->findItems("Flying", Qt::MatchStartsWith | Qt::MatchRecursive).size(),
                      1);
            CloseAll();
        }
        ASSERT_TRUE(QFile::setPermissions(locked, open));
    }
}

// Another running instance, even one showing only the import window, refuses a normal start and
// is not touched; once it has ended, a start goes ahead.
TEST_F(Startup, AnEarlierRunningInstanceOfTheSameExecutableRefusesTheStart) {
    const QString program = BuildDir() + "/oneirion";
    ASSERT_TRUE(QFile::exists(program)) << "the suite needs the built program";
    SetExecutable(program);
    QProcess other;
    other.start(program, {folder.filePath("no-such-update.udj")});
    ASSERT_TRUE(other.waitForStarted());
    for (int attempt = 0; attempt < 200 && OtherInstances() == 0; ++attempt)
        QThread::msleep(50);
    ASSERT_EQ(OtherInstances(), 1);
    EXPECT_EQ(refusedStart(), "Critical: Oneirion Is Already Running");
    EXPECT_EQ(other.state(), QProcess::Running) << "the running instance is not touched";

    other.kill();
    other.waitForFinished();
    EXPECT_NE(StartProgram(), nullptr);
}

} // namespace
