// The data store: connections, client-side recordsets, filters and writes, on real files.

#include "TestSupport.h"
#include "data/QueryText.h"
#include "data/modDB.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <sqlite3.h>

using namespace modDB;
using testsupport::Exec;
using testsupport::Query;

namespace {

class DataStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        testsupport::CreateDataFiles(folder.path(), {});
    }
    void TearDown() override { SimulateFault(QString(), SimulatedFault::None); }

    QString dreams() const { return folder.path() + QStringLiteral("/Dreams.dll"); }
    QString keywords() const { return folder.path() + QStringLiteral("/Keywords.dll"); }

    ConnectionPtr connect(const QString& file, OpenMode mode = OpenMode::ReadWrite) {
        ConnectionPtr cn;
        QString path = file;
        const Status opened = OpenConnection(cn, path, mode);
        EXPECT_TRUE(opened.ok()) << opened.reason().toStdString();
        return cn;
    }
    RecordsetPtr open(ConnectionPtr& cn, const QString& sql) {
        RecordsetPtr rs;
        const Status opened = OpenRecordset(rs, cn, sql);
        EXPECT_TRUE(opened.ok()) << opened.reason().toStdString();
        return rs;
    }
    void addKeyword(const QString& keyword, const QString& description = QStringLiteral("d")) {
        Exec(keywords(), QStringLiteral("INSERT INTO tblKeywords VALUES (?, ?)"),
             {keyword, description});
    }
    static QStringList column(Recordset& rs, const QString& name) {
        QStringList values;
        for (Status s = rs.MoveFirst(); s.ok() && !rs.EOF_(); rs.MoveNext())
            values << rs.Field(name).toString();
        return values;
    }

    QTemporaryDir folder;
};

TEST_F(DataStore, OpenConnectionStripsQuotesAndMatchesTheFileNameIgnoringCase) {
    ConnectionPtr cn;
    QString path = QLatin1Char('"') + folder.path() + QStringLiteral("/dreams.DLL\"");
    ASSERT_TRUE(OpenConnection(cn, path).ok());
    EXPECT_EQ(path, folder.path() + QStringLiteral("/dreams.DLL"));
    EXPECT_EQ(
        cn->ConnectionString(),
        QStringLiteral("DRIVER=Microsoft Access Driver (*.mdb);UID=;PWD=Kq8Vn2ZtRw5HyD3sLm;DBQ=") +
            path);
    EXPECT_EQ(cn->FilePath(), dreams());
}

TEST_F(DataStore, BadFilesFailAsValuesAndLeaveUnusableObjects) {
    QFile text(folder.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    QDir(folder.path()).mkdir(QStringLiteral("sub"));

    for (const QString& name :
         {QStringLiteral("missing.dll"), QStringLiteral("notes.txt"), QStringLiteral("sub")}) {
        ConnectionPtr cn;
        QString path = folder.filePath(name);
        const Status opened = OpenConnection(cn, path);
        EXPECT_FALSE(opened.ok()) << name.toStdString();
        EXPECT_FALSE(opened.reason().isEmpty());
        RecordsetPtr rs;
        EXPECT_FALSE(OpenRecordset(rs, cn, QStringLiteral("select * from tblKeywords")).ok());
        ASSERT_TRUE(rs);
        EXPECT_EQ(rs->RecordCount(), 0);
        EXPECT_TRUE(rs->EOF_());
        EXPECT_FALSE(rs->MoveFirst().ok());
        EXPECT_FALSE(rs->AddNew().ok());
        EXPECT_FALSE(rs->Update().ok());
        EXPECT_FALSE(rs->Requery().ok());
        EXPECT_FALSE(rs->Field(QStringLiteral("Keyword")).isValid());
    }
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("missing.dll"))))
        << "opening must never create a file";

    ConnectionPtr cn = connect(keywords());
    RecordsetPtr rs;
    EXPECT_FALSE(OpenRecordset(rs, cn, QStringLiteral("select * from tblNothing")).ok());
    EXPECT_FALSE(OpenRecordset(rs, cn, QStringLiteral("select from where")).ok());
    EXPECT_FALSE(rs->LastError().isEmpty());
}

TEST_F(DataStore, EmptyTableHasNoRowsAndMoveFirstFails) {
    ConnectionPtr cn = connect(dreams());
    RecordsetPtr rs = open(cn, QStringLiteral("SELECT * From tblDreams ORDER BY Year,Month,Day"));
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_TRUE(rs->EOF_());
    EXPECT_FALSE(rs->MoveFirst().ok());
    EXPECT_TRUE(rs->EOF_());
}

TEST_F(DataStore, AnInsertedEntryHasItsIdAtOnceAndRoundTripsExactly) {
    ConnectionPtr cn = connect(dreams());
    RecordsetPtr rs = open(cn, QStringLiteral("SELECT * From tblDreams ORDER BY Year,Month,Day"));
    const QString name = QStringLiteral("O'Neil \"dream\" \u00c4rger \U0001F319\ttab");
    const QString text =
        QStringLiteral("line one\r\nline two\n\u4e2d\u6587 ") + QString(100000, 'z');
    ASSERT_TRUE(rs->AddNew().ok());
    ASSERT_TRUE(rs->SetField(QStringLiteral("JournalName"), name).ok());
    ASSERT_TRUE(rs->SetField(QStringLiteral("journaltext"), text).ok());
    ASSERT_TRUE(rs->SetField(QStringLiteral("Year"), qint16(2008)).ok());
    ASSERT_TRUE(rs->SetField(QStringLiteral("Month"), qint16(3)).ok());
    ASSERT_TRUE(rs->SetField(QStringLiteral("Day"), qint16(14)).ok());
    ASSERT_TRUE(rs->Update().ok());
    const qlonglong id = rs->Field(QStringLiteral("id")).toLongLong();
    EXPECT_GT(id, 0);
    EXPECT_EQ(rs->RecordCount(), 1);

    const auto rows =
        Query(dreams(), QStringLiteral("SELECT ID, JournalName, journaltext, Year FROM tblDreams"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toLongLong(), id);
    EXPECT_EQ(rows[0][1].toString(), name);
    EXPECT_EQ(rows[0][2].toString(), text);
    EXPECT_EQ(rows[0][3].toLongLong(), 2008);
    EXPECT_EQ(rs->Field(QStringLiteral("JOURNALNAME")).toString(), name);
}

TEST_F(DataStore, FiltersNarrowByIdAndByKeywordIgnoringCase) {
    for (const char* k : {"Apple", "O'Brien", "it's", "x", "\u00c4rger"})
        addKeyword(QString::fromUtf8(k));
    ConnectionPtr cn = connect(keywords());
    RecordsetPtr rs = open(cn, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
    ASSERT_EQ(rs->RecordCount(), 5);

    ASSERT_TRUE(rs->Filter(QStringLiteral("Keyword='apple'")).ok());
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Field(QStringLiteral("Keyword")).toString(), QStringLiteral("Apple"));
    ASSERT_TRUE(rs->Filter(QStringLiteral("Keyword='\u00e4rger'")).ok());
    EXPECT_EQ(rs->RecordCount(), 1) << "case is ignored beyond ASCII";

    // A doubled quote stands for one: the keyword finds exactly itself.
    ASSERT_TRUE(rs->Filter(QStringLiteral("Keyword='o''brien'")).ok());
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Field(QStringLiteral("Keyword")).toString(), QStringLiteral("O'Brien"));

    // An injection attempt, escaped as every caller escapes it, is just a keyword nobody has.
    ASSERT_TRUE(rs->Filter(QStringLiteral("Keyword='x'' OR ''1''=''1'")).ok());
    EXPECT_EQ(rs->RecordCount(), 0);
    // Unescaped, it cannot be read: the filter fails and shows nothing.
    EXPECT_FALSE(rs->Filter(QStringLiteral("Keyword='x' OR '1'='1'")).ok());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_TRUE(rs->EOF_());
    EXPECT_FALSE(rs->Filter(QStringLiteral("Keyword='O'Brien'")).ok());
    EXPECT_EQ(rs->RecordCount(), 0);

    ASSERT_TRUE(rs->Filter(QString()).ok());
    EXPECT_EQ(rs->RecordCount(), 5);

    ConnectionPtr dcn = connect(dreams());
    const qlonglong id =
        testsupport::AddJournalRow(dreams(), 2008, 3, 14, QStringLiteral("a"), QStringLiteral("t"));
    RecordsetPtr drs = open(dcn, QStringLiteral("SELECT * From tblDreams ORDER BY Year,Month,Day"));
    ASSERT_TRUE(drs->Filter(QStringLiteral("ID=") + QString::number(id)).ok());
    EXPECT_EQ(drs->RecordCount(), 1);
    ASSERT_TRUE(drs->Filter(QStringLiteral("ID=") + QString::number(id + 100)).ok());
    EXPECT_EQ(drs->RecordCount(), 0);
    EXPECT_TRUE(drs->EOF_());
}

TEST_F(DataStore, RequeryShowsOtherConnectionsWritesAndSkipsTheReadWhenNothingChanged) {
    addKeyword(QStringLiteral("moon"));
    ConnectionPtr shared = connect(keywords());
    RecordsetPtr rs = open(shared, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
    ASSERT_EQ(rs->RecordCount(), 1);
    const int reads = rs->fetchCount();
    ASSERT_TRUE(rs->Requery().ok());
    EXPECT_EQ(rs->fetchCount(), reads) << "nothing changed, so nothing is read again";

    {
        ConnectionPtr shortLived = connect(keywords());
        RecordsetPtr writer = open(shortLived, QStringLiteral("select * from tblKeywords"));
        ASSERT_TRUE(writer->AddNew().ok());
        ASSERT_TRUE(writer->SetField(QStringLiteral("Keyword"), QStringLiteral("Apple")).ok());
        ASSERT_TRUE(writer->Update().ok());
        writer->Close();
        shortLived->Close();
    }
    EXPECT_EQ(rs->RecordCount(), 1) << "a client-side copy sees the new row only after Requery";
    ASSERT_TRUE(rs->Requery().ok());
    EXPECT_EQ(column(*rs, QStringLiteral("Keyword")), QStringList({"Apple", "moon"}));

    // A write outside any program connection is seen too.
    Exec(keywords(), QStringLiteral("UPDATE tblKeywords SET Description = 'new'"));
    ASSERT_TRUE(rs->Requery().ok());
    ASSERT_TRUE(rs->MoveFirst().ok());
    EXPECT_EQ(rs->Field(QStringLiteral("Description")).toString(), QStringLiteral("new"));
}

// A closed connection's database is kept for the next one; its rows are reused only while
// nobody has changed the file, and a change through one copy never shows in another.
TEST_F(DataStore, ReopeningAFileReusesRowsOnlyWhileTheyAreCurrent) {
    addKeyword(QStringLiteral("moon"), QStringLiteral("old"));
    const QString sql = QStringLiteral("select * from tblKeywords");
    auto readOnce = [&](int* reads = nullptr) {
        ConnectionPtr cn = connect(keywords());
        RecordsetPtr rs = open(cn, sql);
        const QStringList descriptions = column(*rs, QStringLiteral("Description"));
        if (reads != nullptr)
            *reads = rs->fetchCount();
        rs->Close();
        cn->Close();
        return descriptions;
    };
    EXPECT_EQ(readOnce(), QStringList({"old"}));
    int reads = -1;
    EXPECT_EQ(readOnce(&reads), QStringList({"old"}));
    EXPECT_EQ(reads, 0) << "nothing changed, so the rows are not read again";

    Exec(keywords(), QStringLiteral("UPDATE tblKeywords SET Description = 'changed outside'"));
    EXPECT_EQ(readOnce(&reads), QStringList({"changed outside"}));
    EXPECT_EQ(reads, 1);

    // Two recordsets holding the same rows: an edit through one leaves the other as it was.
    ConnectionPtr first = connect(keywords());
    RecordsetPtr a = open(first, sql);
    first->Close();
    ConnectionPtr second = connect(keywords());
    RecordsetPtr b = open(second, sql);
    ASSERT_TRUE(b->MoveFirst().ok());
    ASSERT_TRUE(b->SetField(QStringLiteral("Description"), QStringLiteral("edited")).ok());
    ASSERT_TRUE(b->Update().ok());
    EXPECT_EQ(column(*a, QStringLiteral("Description")), QStringList({"changed outside"}));
    EXPECT_EQ(column(*b, QStringLiteral("Description")), QStringList({"edited"}));
    second->Close();
    EXPECT_EQ(readOnce(), QStringList({"edited"}));

    // A new file under the old name is a new file, whatever was kept of the old one.
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(keywords() + QLatin1String(suffix));
    ASSERT_TRUE(modDataFiles::CreateKeywords(keywords(),
                                             {{QStringLiteral("sun"), QStringLiteral("new file")}})
                    .ok);
    EXPECT_EQ(readOnce(), QStringList({"new file"}));
}

// Own writes are kept in query order in memory; a cheap Requery must equal a fresh read.
TEST_F(DataStore, OwnWritesKeepTheCopyEqualToAFreshRead) {
    ConnectionPtr cn = connect(keywords());
    RecordsetPtr rs = open(cn, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
    QRandomGenerator random(7);
    const QStringList words = {"b",     "B",     "a", "\u00c4pfel", "\u00e4pfel",
                               "zebra", "Zebra", "",  "10",         "9"};
    for (int step = 0; step < 150; ++step) {
        const QString word = words[random.bounded(words.size())];
        ASSERT_TRUE(rs->Filter(QString()).ok());
        ASSERT_TRUE(rs->Requery().ok());
        ASSERT_TRUE(rs->Filter(QueryText::EqualsFilter(QStringLiteral("Keyword"), word)).ok());
        if (rs->RecordCount() > 0 && random.bounded(3) == 0) {
            ASSERT_TRUE(rs->Delete().ok());
        } else if (rs->RecordCount() > 0) {
            ASSERT_TRUE(rs->SetField(QStringLiteral("Description"), QString::number(step)).ok());
            ASSERT_TRUE(rs->Update().ok());
        } else {
            ASSERT_TRUE(rs->AddNew().ok());
            ASSERT_TRUE(rs->SetField(QStringLiteral("Keyword"), word).ok());
            ASSERT_TRUE(rs->SetField(QStringLiteral("Description"), QString::number(step)).ok());
            ASSERT_TRUE(rs->Update().ok());
        }
    }
    ASSERT_TRUE(rs->Filter(QString()).ok());
    ASSERT_TRUE(rs->Requery().ok());
    ConnectionPtr fresh = connect(keywords());
    RecordsetPtr reread = open(fresh, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
    EXPECT_EQ(column(*rs, QStringLiteral("Keyword")), column(*reread, QStringLiteral("Keyword")));
    EXPECT_EQ(column(*rs, QStringLiteral("Description")),
              column(*reread, QStringLiteral("Description")));
    EXPECT_LT(rs->fetchCount(), 10) << "own writes should not force a full read each time";
}

TEST_F(DataStore, EveryQueryTextRunsAndOrdersIgnoringCase) {
    testsupport::AddJournalRow(dreams(), 2009, 1, 5, QStringLiteral("zeta"), QStringLiteral("t"));
    testsupport::AddJournalRow(dreams(), 2008, 3, 14, QStringLiteral("Beta"), QStringLiteral("t"));
    testsupport::AddJournalRow(dreams(), 2008, 3, 2, QStringLiteral("alpha"), QStringLiteral("t"));
    testsupport::AddJournalRow(dreams(), 2008, 11, 2, QStringLiteral("\u00c4rger"),
                               QStringLiteral("t"));
    ConnectionPtr cn = connect(dreams());

    RecordsetPtr years =
        open(cn, QStringLiteral("SELECT DISTINCT Year from tblDreams ORDER BY Year"));
    EXPECT_EQ(column(*years, QStringLiteral("Year")), QStringList({"2008", "2009"}));
    RecordsetPtr months =
        open(cn, QStringLiteral("SELECT DISTINCT Year, Month from tblDreams ORDER BY Year, Month"));
    EXPECT_EQ(column(*months, QStringLiteral("Month")), QStringList({"3", "11", "1"}));
    RecordsetPtr byDay = open(
        cn, QStringLiteral(
                "SELECT ID,Year,Month,Day,JournalName from tblDreams ORDER BY Year, Month, Day"));
    EXPECT_EQ(column(*byDay, QStringLiteral("JournalName")),
              QStringList({"alpha", "Beta", "\u00c4rger", "zeta"}));
    RecordsetPtr byName = open(cn, QStringLiteral("SELECT ID,Year,Month,Day,JournalName  from "
                                                  "tblDreams ORDER BY Year, Month, JournalName"));
    EXPECT_EQ(column(*byName, QStringLiteral("JournalName")),
              QStringList({"alpha", "Beta", "\u00c4rger", "zeta"}));
    RecordsetPtr all = open(cn, QStringLiteral("SELECT * From tblDreams ORDER BY Year,Month,Day"));
    EXPECT_EQ(all->RecordCount(), 4);

    for (const char* k : {"cat", "Bird", "apple", "\u00e9clair", "Eagle"})
        addKeyword(QString::fromUtf8(k));
    ConnectionPtr kc = connect(keywords());
    RecordsetPtr sorted = open(kc, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
    EXPECT_EQ(column(*sorted, QStringLiteral("Keyword")),
              QStringList({"apple", "Bird", "cat", "Eagle", "\u00e9clair"}));
    RecordsetPtr stored = open(kc, QStringLiteral("select * from tblKeywords"));
    EXPECT_EQ(column(*stored, QStringLiteral("Keyword")),
              QStringList({"cat", "Bird", "apple", "\u00e9clair", "Eagle"}))
        << "without ORDER BY the rows come in the store's own order";
}

TEST_F(DataStore, UpdateFilesMadeWithoutNocaseStillOrderAndMatchIgnoringCase) {
    const QString update = folder.filePath(QStringLiteral("update.udj"));
    Exec(update, QStringLiteral("CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT)"));
    for (const char* k : {"zebra", "Apple", "bird"})
        Exec(update, QStringLiteral("INSERT INTO tblKeywords VALUES (?, 'd')"),
             {QString::fromUtf8(k)});
    const QByteArray before = testsupport::FileBytes(update);
    {
        ConnectionPtr cn = connect(update, OpenMode::ReadOnly);
        RecordsetPtr rs = open(cn, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
        EXPECT_EQ(column(*rs, QStringLiteral("Keyword")), QStringList({"Apple", "bird", "zebra"}));
        ASSERT_TRUE(rs->Filter(QStringLiteral("Keyword='ZEBRA'")).ok());
        EXPECT_EQ(rs->RecordCount(), 1);
        ASSERT_TRUE(rs->MoveFirst().ok());
        EXPECT_FALSE(rs->SetField(QStringLiteral("Description"), QStringLiteral("x")).ok() &&
                     rs->Update().ok())
            << "an update file is only ever read";
    }
    EXPECT_EQ(testsupport::FileBytes(update), before);

    // Our own files use a write-ahead log; reading one as an update leaves nothing beside it.
    const QString walUpdate = folder.filePath(QStringLiteral("wal update.udj"));
    ASSERT_TRUE(
        modDataFiles::CreateKeywords(walUpdate, {{QStringLiteral("moon"), QStringLiteral("d")}})
            .ok);
    const QByteArray walBefore = testsupport::FileBytes(walUpdate);
    {
        ConnectionPtr cn = connect(walUpdate, OpenMode::ReadOnly);
        RecordsetPtr rs = open(cn, QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
        EXPECT_EQ(rs->RecordCount(), 1);
    }
    EXPECT_EQ(testsupport::FileBytes(walUpdate), walBefore);
    EXPECT_FALSE(QFile::exists(walUpdate + QStringLiteral("-wal")));
    EXPECT_FALSE(QFile::exists(walUpdate + QStringLiteral("-shm")));
}

TEST_F(DataStore, UpdateAndDeleteFindTheirRowByRowidNotByValues) {
    addKeyword(QStringLiteral("twin"), QStringLiteral("same"));
    addKeyword(QStringLiteral("twin"), QStringLiteral("same"));
    addKeyword(QStringLiteral("other"));
    ConnectionPtr cn = connect(keywords());
    RecordsetPtr rs = open(cn, QStringLiteral("select * from tblKeywords"));
    ASSERT_TRUE(rs->MoveFirst().ok());
    ASSERT_TRUE(rs->MoveNext().ok());
    ASSERT_TRUE(rs->SetField(QStringLiteral("Description"), QStringLiteral("changed")).ok());
    ASSERT_TRUE(rs->Update().ok());
    EXPECT_EQ(
        Query(keywords(), QStringLiteral("SELECT Description FROM tblKeywords ORDER BY rowid")),
        (QList<QVariantList>{{"same"}, {"changed"}, {"d"}}));

    ASSERT_TRUE(rs->MoveFirst().ok());
    ASSERT_TRUE(rs->Delete().ok());
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_FALSE(rs->Field(QStringLiteral("Keyword")).isValid()) << "the deleted row is gone";
    ASSERT_TRUE(rs->MoveNext().ok());
    EXPECT_EQ(rs->Field(QStringLiteral("Description")).toString(), QStringLiteral("changed"))
        << "MoveNext after Delete goes to the row that followed the deleted one";
    EXPECT_EQ(
        Query(keywords(), QStringLiteral("SELECT Description FROM tblKeywords ORDER BY rowid")),
        (QList<QVariantList>{{"changed"}, {"d"}}));
}

TEST_F(DataStore, FailedWritesReportAReasonAndLeaveTheFileIntact) {
    addKeyword(QStringLiteral("moon"), QStringLiteral("old"));
    const auto before =
        Query(keywords(), QStringLiteral("SELECT Keyword, Description FROM tblKeywords"));

    for (SimulatedFault fault : {SimulatedFault::ReadOnly, SimulatedFault::DiskFull}) {
        SimulateFault(keywords(), fault);
        ConnectionPtr cn = connect(keywords());
        RecordsetPtr rs = open(cn, QStringLiteral("select * from tblKeywords"));
        ASSERT_EQ(rs->RecordCount(), 1) << "reading still works";
        ASSERT_TRUE(rs->SetField(QStringLiteral("Description"), QStringLiteral("new")).ok());
        const Status updated = rs->Update();
        EXPECT_FALSE(updated.ok());
        EXPECT_FALSE(updated.reason().isEmpty());
        rs->CancelUpdate();
        ASSERT_TRUE(rs->AddNew().ok());
        ASSERT_TRUE(rs->SetField(QStringLiteral("Keyword"), QStringLiteral("sun")).ok());
        EXPECT_FALSE(rs->Update().ok());
        ASSERT_TRUE(rs->MoveFirst().ok());
        EXPECT_FALSE(rs->Delete().ok());
        EXPECT_EQ(rs->Field(QStringLiteral("Description")).toString(), QStringLiteral("old"));
        SimulateFault(QString(), SimulatedFault::None);
        EXPECT_EQ(Query(keywords(), QStringLiteral("SELECT Keyword, Description FROM tblKeywords")),
                  before);
    }

    // Another program holding the write lock: the write fails after a short wait.
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(keywords()).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        ConnectionPtr cn;
        QString path = keywords();
        OpenConnection(cn, path);
        RecordsetPtr rs;
        OpenRecordset(rs, cn, QStringLiteral("select * from tblKeywords"));
        rs->AddNew();
        rs->SetField(QStringLiteral("Keyword"), QStringLiteral("sun"));
        EXPECT_FALSE(rs->Update().ok());
    }
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(Query(keywords(), QStringLiteral("SELECT Keyword, Description FROM tblKeywords")),
              before);
}

} // namespace
