// Files that cannot be used as an update, and a dictionary that cannot take one: refused with a
// message that names the file and why, before any list shows, with no database touched.

#include "ImportTestSupport.h"
#include "app/CommonDialog.h"
#include "app/frmMain.h"

#include <QDir>
#include <QPushButton>
#include <QRadioButton>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using importtest::WriteUpdateFile;
using testsupport::Find;

struct Unusable {
    QString path;
    QString why; // a part of the reason the message must give
};

class UpdateRefusal : public importtest::ImportFixture {
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

        testsupport::Exec(path("no table.udj"), "CREATE TABLE tblWords (Keyword, Description)");
        files.push_back({path("no table.udj"), "no table named tblKeywords"});
        testsupport::Exec(path("other columns.udj"), "CREATE TABLE tblKeywords (Word, Meaning)");
        testsupport::Exec(path("other columns.udj"), "INSERT INTO tblKeywords VALUES ('Owl', 'x')");
        files.push_back({path("other columns.udj"), "lacks the columns Keyword and Description"});
        // Read, this view would never end, and its sort would fill the disk.
        testsupport::Exec(path("endless.udj"),
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

    // The one message shown must be a critical one naming `file` and giving `why`.
    void ExpectRefused(const Unusable& file) {
        const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].icon, MsgBox::Icon::Critical);
        // A name in other letter case is named as the file it found.
        EXPECT_TRUE(shown[0].text.startsWith(
            "\"" + file.path + "\" cannot be used to update the dream dictionary.\n",
            Qt::CaseInsensitive))
            << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains(file.why)) << shown[0].text.toStdString();
    }

    // Both data files, dumped.
    QByteArray DataState() const {
        return importtest::Dump(KeywordsFile()) + importtest::Dump(DreamsFile());
    }
    // An ordinary file's bytes; reading a pipe or a device here would never end.
    static QByteArray Bytes(const QString& path) {
        return QFileInfo(path).isFile() ? testsupport::FileBytes(path) : QByteArray();
    }
};

TEST_F(UpdateRefusal, OnTheCommandLineAnUnusableFileIsRefusedAndTheProgramEnds) {
    const testsupport::PermissionsApply permissions;
    const QByteArray before = DataState();
    for (const Unusable& file : UnusableFiles()) {
        SCOPED_TRACE(file.path.toStdString());
        const QByteArray bytes = Bytes(file.path);
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        EXPECT_EQ(StartWithCommandLine(file.path), nullptr);
        ExpectRefused(file);
        testsupport::ProcessEvents();
        EXPECT_TRUE(modMain::LoadedForms().isEmpty());
        EXPECT_EQ(Bytes(file.path), bytes);
    }
    EXPECT_EQ(DataState(), before);
}

TEST_F(UpdateRefusal, FromTheDialogAnUnusableFileIsRefusedAndTheMainWindowStaysAsItWas) {
    frmMain* main = StartMain();
    ASSERT_NE(main, nullptr);
    Find<QPushButton>(main, "cmdDreamDictionary")->click();
    QWidget* inFront = main->PanelInFront();
    const testsupport::PermissionsApply permissions;
    const QByteArray before = DataState();
    for (const Unusable& file : UnusableFiles()) {
        SCOPED_TRACE(file.path.toStdString());
        CommonDialog::SetNextFileName(file.path);
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        Find<QPushButton>(main, "cmdUpdateDreamDictionary")->click();
        ExpectRefused(file);
        testsupport::ProcessEvents();
        EXPECT_EQ(modMain::LoadedForms(), QList<QWidget*>{main});
        EXPECT_EQ(main->PanelInFront(), inFront);
    }
    EXPECT_EQ(DataState(), before);
}

// A dictionary that cannot be read cannot take an update: it is named, with the reason, and
// never reported as updated.
TEST_F(UpdateRefusal, ATruncatedDictionaryIsNamedAndNothingIsImported) {
    const QString update = UpdatePath("update.udj");
    WriteUpdateFile(update, {{"Owl", "Wisdom"}});
    testsupport::Exec(KeywordsFile(),
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                      "300) INSERT INTO tblKeywords SELECT 'Keyword ' || i, printf('%.200c', 'm') "
                      "FROM n");
    ASSERT_TRUE(QFile::resize(KeywordsFile(), QFileInfo(KeywordsFile()).size() / 2));
    const QByteArray damaged = testsupport::FileBytes(KeywordsFile());

    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    EXPECT_EQ(StartWithCommandLine(update), nullptr);
    const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].icon, MsgBox::Icon::Critical);
    EXPECT_TRUE(shown[0].text.startsWith(
        "The dream dictionary cannot be read, so nothing can be imported.\n" + KeywordsFile() +
        ": "))
        << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains("malformed")) << shown[0].text.toStdString();
    testsupport::ProcessEvents();
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_EQ(testsupport::FileBytes(KeywordsFile()), damaged);
}

} // namespace
