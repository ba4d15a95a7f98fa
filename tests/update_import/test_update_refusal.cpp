// Files that cannot be used as an update, and a dictionary that cannot take one: refused with a
// message that names the file and why, before any list shows, with no database touched.

#include "ImportTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace importtest;

struct Unusable {
    QString path;
    QString why; // a part of the reason the message must give
};

class UpdateRefusal : public ImportFixture {
protected:
    // Every kind of file an update cannot come from, made in the program folder.
    std::vector<Unusable> UnusableFiles() {
        const auto path = [this](const QString& name) { return UpdatePath(name); };
        std::vector<Unusable> files;
        QDir().mkpath(path("folder.udj"));
        files.push_back({path("folder.udj"), "folder"});
        // A named pipe would block the program forever once opened for reading.
        EXPECT_EQ(::mkfifo(QFile::encodeName(path("pipe.udj")).constData(), 0600), 0);
        files.push_back({path("pipe.udj"), "named pipe"});
        files.push_back({"/dev/zero", "device"});
        files.push_back({path("missing.udj"), "does not exist"});
        QFile::link(path("loop.udj"), path("loop.udj"));
        files.push_back({path("loop.udj"), "cannot be read"});
        WriteUpdateFile(path("locked.udj"), {{"Owl", "Wisdom"}});
        QFile::setPermissions(path("locked.udj"), QFileDevice::WriteOwner);
        files.push_back({path("locked.udj"), "Permission denied"});
        QFile text(path("text.udj"));
        EXPECT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("Keyword\tDescription\nOwl\tWisdom\n");
        text.close();
        files.push_back({path("text.udj"), "not an SQLite database"});

        std::vector<std::pair<QString, QVariant>> many;
        for (int i = 0; i < 300; ++i)
            many.push_back({QStringLiteral("Keyword %1").arg(i), QString(200, QChar('m'))});
        WriteUpdateFile(path("truncated.udj"), many);
        QFile::resize(path("truncated.udj"), QFileInfo(path("truncated.udj")).size() / 2);
        files.push_back({path("truncated.udj"), "damaged or incomplete"});

        Exec(path("no table.udj"), "CREATE TABLE tblWords (Keyword, Description)");
        files.push_back({path("no table.udj"), "no table named tblKeywords"});
        Exec(path("other columns.udj"), "CREATE TABLE tblKeywords (Word, Meaning)");
        Exec(path("other columns.udj"), "INSERT INTO tblKeywords VALUES ('Owl', 'x')");
        files.push_back({path("other columns.udj"), "lacks the columns Keyword and Description"});
        // Read, this view would never end, and its sort would fill the disk.
        Exec(path("endless.udj"),
             "CREATE VIEW tblKeywords AS WITH RECURSIVE r(Keyword, Description) AS "
             "(SELECT 'a', 'b' UNION ALL SELECT Keyword || 'a', Description FROM r) "
             "SELECT * FROM r");
        files.push_back({path("endless.udj"), "is a view"});

        // The program's own data files, under their names or through links.
        files.push_back({KeywordsFile(), "own data file"});
        files.push_back({folder.path() + "/DREAMS.DLL", "own data file"});
        QFile::link(KeywordsFile(), path("linked.udj"));
        files.push_back({path("linked.udj"), "own data file"});
        EXPECT_EQ(::link(QFile::encodeName(DreamsFile()).constData(),
                         QFile::encodeName(path("hard.udj")).constData()),
                  0);
        files.push_back({path("hard.udj"), "own data file"});
        return files;
    }

    // The one message shown must be a critical one naming `file` and giving `why`. A name in
    // other letter case is named as the file it found.
    static void ExpectRefused(const QStringList& shown, const Unusable& file) {
        ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
        EXPECT_TRUE(shown[0].startsWith("Critical: \"" + file.path +
                                            "\" cannot be used to update the dream dictionary.\n",
                                        Qt::CaseInsensitive))
            << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains(file.why)) << shown[0].toStdString();
    }

    // Both data files, dumped.
    QByteArray DataState() const { return Dump(KeywordsFile()) + Dump(DreamsFile()); }
    // An ordinary file's bytes; reading a pipe or a device here would never end.
    static QByteArray Bytes(const QString& path) {
        return QFileInfo(path).isFile() ? FileBytes(path) : QByteArray();
    }
};

TEST_F(UpdateRefusal, OnTheCommandLineAnUnusableFileIsRefusedAndTheProgramEnds) {
    const PermissionsApply permissions;
    const QByteArray before = DataState();
    for (const Unusable& file : UnusableFiles()) {
        SCOPED_TRACE(file.path.toStdString());
        const QByteArray bytes = Bytes(file.path);
        Answer({Reply::OK});
        EXPECT_EQ(StartProgram(file.path), nullptr);
        ExpectRefused(Shown(), file);
        EXPECT_TRUE(ProgramEnded());
        EXPECT_EQ(OpenedPages(), QStringList{}) << "the main window never opened";
        EXPECT_EQ(Bytes(file.path), bytes);
    }
    EXPECT_EQ(DataState(), before);
}

TEST_F(UpdateRefusal, FromTheDialogAnUnusableFileIsRefusedAndTheMainWindowStaysAsItWas) {
    QWidget* main = StartProgram();
    ASSERT_NE(main, nullptr);
    Find<QPushButton>(main, "cmdDreamDictionary")->click();
    const PermissionsApply permissions;
    const QByteArray before = DataState();
    for (const Unusable& file : UnusableFiles()) {
        SCOPED_TRACE(file.path.toStdString());
        NextFileName(file.path);
        ExpectRefused(Press(Find<QPushButton>(main, "cmdUpdateDreamDictionary"), {Reply::OK}),
                      file);
        ProcessEvents();
        EXPECT_EQ(ImportWindow(), nullptr);
        EXPECT_EQ(MainWindow(), main);
        EXPECT_EQ(PanelInFront(), "Frame4");
    }
    EXPECT_EQ(DataState(), before);
}

// A dictionary that cannot be read cannot take an update: it is named, with the reason, and
// never reported as updated.
TEST_F(UpdateRefusal, ATruncatedDictionaryIsNamedAndNothingIsImported) {
    const QString update = UpdatePath("update.udj");
    WriteUpdateFile(update, {{"Owl", "Wisdom"}});
    Exec(KeywordsFile(), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                         "300) INSERT INTO tblKeywords SELECT 'Keyword ' || i, printf('%.200c', "
                         "'m') FROM n");
    ASSERT_TRUE(QFile::resize(KeywordsFile(), QFileInfo(KeywordsFile()).size() / 2));
    const QByteArray damaged = FileBytes(KeywordsFile());

    Answer({Reply::OK});
    EXPECT_EQ(StartProgram(update), nullptr);
    const QStringList shown = Shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Critical: The dream dictionary cannot be read, so nothing can "
                                    "be imported.\n" +
                                    KeywordsFile() + ": "))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains("malformed")) << shown[0].toStdString();
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(FileBytes(KeywordsFile()), damaged);
}

} // namespace
