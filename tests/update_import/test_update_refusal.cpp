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
        std::vector<Unusable> files;
        const auto add = [&](const QString& name, const char* why) {
            files.push_back({name.startsWith('/') ? name : UpdatePath(name), why});
            return files.back().path;
        };
        QDir().mkpath(add("folder.udj", "folder"));
        // A named pipe would block the program forever once opened for reading.
        EXPECT_EQ(::mkfifo(QFile::encodeName(add("pipe.udj", "named pipe")).constData(), 0600), 0);
        add("/dev/zero", "device");
        add("missing.udj", "does not exist");
        QFile::link(UpdatePath("loop.udj"), add("loop.udj", "cannot be read"));
        WriteUpdateFile(UpdatePath("locked.udj"), {{"Owl", "Wisdom"}});
        QFile::setPermissions(add("locked.udj", "Permission denied"), QFileDevice::WriteOwner);
        QFile text(add("text.udj", "not an SQLite database"));
        EXPECT_TRUE(text.open(QIODevice::WriteOnly) && text.write("Keyword\tDescription\n"));
        text.close();
        const QString truncated = add("truncated.udj", "damaged or incomplete");
        Exec(truncated, "CREATE TABLE tblKeywords (Keyword, Description)");
        Exec(truncated, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                        "300) INSERT INTO tblKeywords SELECT i, printf('%.200c', 'm') FROM n");
        QFile::resize(truncated, QFileInfo(truncated).size() / 2);
        Exec(add("no table.udj", "no table named tblKeywords"), "CREATE TABLE tblWords (Keyword)");
        const QString columns =
            add("other columns.udj", "lacks the columns Keyword and Description");
        Exec(columns, "CREATE TABLE tblKeywords (Word, Meaning)");
        Exec(columns, "INSERT INTO tblKeywords VALUES ('Owl', 'x')");
        // Read, this view would never end, and its sort would fill the disk.
        Exec(add("endless.udj", "is a view"),
             "CREATE VIEW tblKeywords AS WITH RECURSIVE r(Keyword, Description) AS "
             "(SELECT 'a', 'b' UNION ALL SELECT Keyword || 'a', Description FROM r) "
             "SELECT * FROM r");
        // The program's own data files, under their names or through links.
        add(KeywordsFile(), "own data file");
        add(folder.path() + "/DREAMS.DLL", "own data file");
        QFile::link(KeywordsFile(), add("linked.udj", "own data file"));
        EXPECT_EQ(::link(QFile::encodeName(DreamsFile()).constData(),
                         QFile::encodeName(add("hard.udj", "own data file")).constData()),
                  0);
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
