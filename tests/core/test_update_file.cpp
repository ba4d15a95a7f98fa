// Reading update files without the windows: the forms users make them in, a file whose latest
// rows still sit in its log, files no update can come from, and files that would take too long
// or too much to read.

#include "CoreTestSupport.h"
#include "core/UpdateFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class UpdateFileRead : public ::testing::Test {
protected:
    QString Make(const QString& name, const QString& sql) {
        const QString path = folder.filePath(name);
        coretest::exec(path, "PRAGMA journal_mode=DELETE");
        for (const QString& statement : sql.split(";\n"))
            coretest::exec(path, statement);
        return path;
    }
    // The rows as "keyword=description", "!" marking those that would be skipped.
    static std::string Rows(const Result<std::vector<UpdateFile::Row>>& contents) {
        if (!contents)
            return ("error: " + contents.errorMessage()).toStdString();
        QStringList rows;
        for (const UpdateFile::Row& row : *contents)
            rows << (row.importable ? "" : "!") + row.keyword + "=" + row.description;
        return rows.join("; ").toStdString();
    }

    QTemporaryDir folder;
};

// Names ignore case, further columns are ignored, a table without rowid reads alike; keywords
// are trimmed and sorted ignoring case, keeping the file's order among equal ones.
TEST_F(UpdateFileRead, TheFormsUsersMakeReadAlike) {
    const QString plain =
        Make("plain.udj", "CREATE TABLE TBLKEYWORDS (id INTEGER, KEYWORD, description, x);\n"
                          "INSERT INTO tblKeywords VALUES (1, 'zebra', 'Stripes', 0), "
                          "(2, ' Ärger ', 'Anger', 0), (3, 'ärger', 'Second', 0), "
                          "(4, 42, 'A number', 0), (5, NULL, 'None', 0), (6, 'Owl', NULL, 0)");
    EXPECT_EQ(Rows(UpdateFile::read(plain, {})), "!=None; 42=A number; !Owl=; zebra=Stripes; "
                                                 "Ärger=Anger; ärger=Second");
    const QString noRowid =
        Make("norowid.udj", "CREATE TABLE tblKeywords (Keyword TEXT PRIMARY KEY, Description) "
                            "WITHOUT ROWID;\n"
                            "INSERT INTO tblKeywords VALUES ('b', 'Bee'), ('A', 'Ant')");
    EXPECT_EQ(Rows(UpdateFile::read(noRowid, {})), "A=Ant; b=Bee");
}

// A file still open in the program that made it keeps its latest rows in a log beside it; they
// are read, and neither file changes.
TEST_F(UpdateFileRead, RowsStillInTheWriteAheadLogAreRead) {
    const QString path = folder.filePath("open.udj");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
    for (const char* sql : {"PRAGMA journal_mode=WAL", "PRAGMA wal_autocheckpoint=0",
                            "CREATE TABLE tblKeywords (Keyword, Description)",
                            "INSERT INTO tblKeywords VALUES ('Owl', 'Wisdom')"})
        ASSERT_EQ(sqlite3_exec(writer, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    const QByteArray main = coretest::fileBytes(path), log = coretest::fileBytes(path + "-wal");
    ASSERT_FALSE(log.isEmpty());

    EXPECT_EQ(Rows(UpdateFile::read(path, {})), "Owl=Wisdom");
    EXPECT_EQ(coretest::fileBytes(path), main);
    EXPECT_EQ(coretest::fileBytes(path + "-wal"), log);
    sqlite3_close(writer);
}

// Each is refused with its reason, and left as it was.
TEST_F(UpdateFileRead, FilesNoUpdateCanComeFromAreRefusedWithTheirReason) {
    const QString own = Make("Keywords.dll", "CREATE TABLE tblKeywords (Keyword, Description)");
    const auto path = [this](const QString& name) {
        return name.startsWith('/') ? name : folder.filePath(name);
    };
    QFile text(path("text.udj"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("Keyword\tDescription\n"));
    text.close();
    const QString truncated =
        Make("truncated.udj",
             "CREATE TABLE tblKeywords (Keyword, Description);\n"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
             "INSERT INTO tblKeywords SELECT i, printf('%.200c', 'm') FROM n");
    QFile::resize(truncated, QFileInfo(truncated).size() / 2);
    QFile::setPermissions(Make("locked.udj", "CREATE TABLE tblKeywords (Keyword, Description)"),
                          QFileDevice::WriteOwner);
    Make("no table.udj", "CREATE TABLE tblWords (Keyword)");
    Make("other columns.udj", "CREATE TABLE tblKeywords (Word, Meaning)");
    // Read, this view would never end, and its sort would fill the disk.
    Make("endless.udj", "CREATE VIEW tblKeywords AS WITH RECURSIVE r(Keyword, Description) AS "
                        "(SELECT 'a', 'b' UNION ALL SELECT Keyword || 'a', Description FROM r) "
                        "SELECT * FROM r");
    QDir(folder.path()).mkdir("folder.udj");
    // A named pipe would block the reader forever once opened.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.udj")).constData(), 0600), 0);
    QFile::link(path("loop.udj"), path("loop.udj"));
    QFile::link(own, path("linked.udj"));
    ASSERT_EQ(
        ::link(QFile::encodeName(own).constData(), QFile::encodeName(path("hard.udj")).constData()),
        0);

    const std::pair<const char*, const char*> refused[] = {
        {"text.udj", "not an SQLite database"},
        {"truncated.udj", "damaged or incomplete"},
        {"locked.udj", "Permission denied"},
        {"no table.udj", "no table named tblKeywords"},
        {"other columns.udj", "lacks the columns Keyword and Description"},
        {"endless.udj", "is a view"},
        {"folder.udj", "folder"},
        {"pipe.udj", "named pipe"},
        {"/dev/zero", "device"},
        {"missing.udj", "does not exist"},
        {"loop.udj", "cannot be read"},
        {"linked.udj", "own data file"},
        {"hard.udj", "own data file"}};
    const coretest::PermissionsApply asUser;
    for (const auto& [name, why] : refused) {
        const bool file = QFileInfo(path(name)).isFile();
        const QByteArray before = file ? coretest::fileBytes(path(name)) : QByteArray();
        const auto rows = UpdateFile::read(path(name), {own});
        EXPECT_TRUE(!rows && rows.errorMessage().contains(QLatin1String(why)))
            << name << ": " << Rows(rows);
        EXPECT_EQ(file ? coretest::fileBytes(path(name)) : QByteArray(), before) << name;
    }
}

// Work is bounded: too many rows, too large a value or file, too long a read, each refused
// with its reason rather than read without end.
TEST_F(UpdateFileRead, FilesBeyondTheLimitsAreRefusedWithTheirReason) {
    const QString rows =
        Make("rows.udj",
             "CREATE TABLE tblKeywords (Keyword, Description);\n"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
             "INSERT INTO tblKeywords SELECT 'k' || i, printf('%.300c', 'm') FROM n");
    UpdateFile::Limits limits;
    EXPECT_EQ(UpdateFile::read(rows, {}, limits)->size(), 2000u);
    limits.maxRows = 1999;
    EXPECT_EQ(Rows(UpdateFile::read(rows, {}, limits)),
              "error: It holds more than 1999 rows, too many for a dictionary update.");
    limits = {};
    limits.maxValueBytes = 256;
    EXPECT_EQ(
        Rows(UpdateFile::read(rows, {}, limits)),
        "error: It holds a value larger than 256 bytes, too large for a keyword or a meaning.");
    limits = {};
    limits.maxBytes = 100000;
    EXPECT_EQ(Rows(UpdateFile::read(rows, {}, limits)),
              "error: It is larger than 98 KiB, too large for a dictionary update.");

    // Every row computes a large value: reading all of them would take minutes.
    const QString slow = Make(
        "slow.udj", "CREATE TABLE tblKeywords (n, Description);\n"
                    "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < "
                    "100000) INSERT INTO tblKeywords SELECT 4000000, 'd' FROM k;\n"
                    "ALTER TABLE tblKeywords ADD COLUMN Keyword AS (length(hex(zeroblob(n))))");
    limits = {};
    limits.maxMilliseconds = 300;
    EXPECT_EQ(Rows(UpdateFile::read(slow, {}, limits)),
              "error: Reading it took longer than 0.3 seconds, so it was stopped.");
}

} // namespace
