// The journal store on real files: the entries it stores, finds and orders. What it refuses to
// open, and what it opens only for reading, the start-up tests show with the program's messages.

#include "CoreTestSupport.h"
#include "core/JournalStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class JournalStoreTest : public ::testing::Test {
protected:
    void SetUp() override { coretest::createJournal(path); }
    std::unique_ptr<JournalStore> open() {
        auto opened = JournalStore::open(path);
        EXPECT_TRUE(opened) << opened.errorMessage().toStdString();
        return opened ? std::move(*opened) : nullptr;
    }
    qint64 add(JournalStore& store, const QString& name, int year = 2008, int month = 3,
               int day = 14) {
        auto id = store.insert({0, name, QStringLiteral("text"), year, month, day});
        EXPECT_TRUE(id) << id.errorMessage().toStdString();
        return id.value_or(-1);
    }
    static QStringList names(const std::vector<JournalEntry>& entries) {
        QStringList shown;
        for (const JournalEntry& entry : entries)
            shown << entry.name;
        return shown;
    }

    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Dreams.dll"));
};

TEST_F(JournalStoreTest, EntriesAreWrittenFoundAndRemovedByTheirId) {
    auto store = open();
    const qint64 id = add(*store, QStringLiteral("Flying"));
    const qint64 other = add(*store, QStringLiteral("Falling"));
    ASSERT_NE(id, other);
    ASSERT_TRUE(
        store->update({id, QStringLiteral("Soaring"), QStringLiteral("Higher."), 2009, 12, 31}));
    const auto entry = store->entry(id);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, QStringLiteral("Soaring"));
    EXPECT_EQ(entry->text, QStringLiteral("Higher."));
    EXPECT_EQ(QVariantList({entry->year, entry->month, entry->day}),
              QVariantList({2009LL, 12LL, 31LL}));
    EXPECT_EQ(store->entry(other)->name, QStringLiteral("Falling"));

    ASSERT_TRUE(store->remove(id));
    EXPECT_FALSE(store->entry(id));
    EXPECT_EQ(store->remove(id).errorMessage(), QStringLiteral("The entry no longer exists."));
    EXPECT_FALSE(store->update({id, QStringLiteral("Gone"), QString(), 2009, 1, 1}));
}

// Names compare ignoring case for all of Unicode, with the spaces they were stored with; an
// entry never clashes with itself.
TEST_F(JournalStoreTest, ANameIsTakenOnlyByAnotherEntry) {
    auto store = open();
    const qint64 anger = add(*store, QStringLiteral("Ärger"));
    add(*store, QStringLiteral("Spaced "));
    EXPECT_TRUE(store->isNameTaken(QStringLiteral("ärger")).value_or(false));
    EXPECT_FALSE(store->isNameTaken(QStringLiteral("ÄRGER"), anger).value_or(true));
    EXPECT_FALSE(store->isNameTaken(QStringLiteral("Spaced")).value_or(true));
    EXPECT_TRUE(store->isNameTaken(QStringLiteral("spaced ")).value_or(false));
}

TEST_F(JournalStoreTest, TheTreeRowsComeByMonthThenByDayOrByName) {
    auto store = open();
    add(*store, QStringLiteral("zebra"), 2008, 3, 1);
    add(*store, QStringLiteral("Ärger"), 2008, 3, 2);
    add(*store, QStringLiteral("Apple"), 2008, 3, 3);
    add(*store, QStringLiteral("Later"), 2009, 1, 1);
    add(*store, QStringLiteral("Earlier"), 2007, 12, 31);
    EXPECT_EQ(names(store->treeRows(JournalOrder::ByDate).value_or({})),
              QStringList({"Earlier", "zebra", "Ärger", "Apple", "Later"}));
    EXPECT_EQ(names(store->treeRows(JournalOrder::ByName).value_or({})),
              QStringList({"Earlier", "Apple", "zebra", "Ärger", "Later"}));
}

// The date order is SQLite's own, whether the journal holds only whole numbers (sorted by the
// store) or parts another tool stored as text, NULL or a fraction (sorted by SQLite).
TEST_F(JournalStoreTest, TheDateOrderIsSQLitesForWholeNumbersAndForAnythingElse) {
    const QString insert =
        QStringLiteral("INSERT INTO tblDreams (ID, Year, Month, Day, JournalName) VALUES ");
    const QString whole = QStringLiteral("(7, 2008, 3, 14, 'a'), (3, 2008, 3, 14, 'b'), "
                                         "(5, 2008, 12, 1, 'c'), (9, 2008, 2, 28, 'd'), "
                                         "(2, 1999, 12, 31, 'e'), (4, -1, 0, 0, 'f'), "
                                         "(8, 2008, 3, 2, 'g')");
    const QStringList odd = {
        QStringLiteral("(6, 'MMVIII', 1, 1, 'h')"), QStringLiteral("(6, NULL, 1, 1, 'h')"),
        QStringLiteral("(6, 2008, 3.5, 1, 'h')"), QStringLiteral("(6, 2008, 3, x'01', 'h')")};
    for (const QString& extra : QStringList{QString()} + odd) {
        SCOPED_TRACE(extra.toStdString());
        coretest::exec(path, QStringLiteral("DELETE FROM tblDreams"));
        coretest::exec(path, insert + whole + (extra.isEmpty() ? QString() : ", " + extra));
        QList<qint64> expected;
        for (const QVariantList& row :
             coretest::query(path, QStringLiteral("SELECT ID FROM tblDreams "
                                                  "ORDER BY Year, Month, Day, ID")))
            expected << row.value(0).toLongLong();
        auto store = open();
        QList<qint64> listed;
        for (const JournalEntry& entry : store->treeRows(JournalOrder::ByDate).value_or({}))
            listed << entry.id;
        EXPECT_EQ(listed, expected);
    }
}

// What another program writes is seen, because the revision moves; a file put in the journal's
// place (as a restore puts it) starts its counters again, and must still never repeat a revision
// seen before.
TEST_F(JournalStoreTest, TheRevisionMovesWithEveryChangeFromAnywhere) {
    auto store = open();
    const qint64 start = store->revision();
    add(*store, QStringLiteral("Own"));
    const qint64 afterOwn = store->revision();
    EXPECT_NE(afterOwn, start);
    coretest::exec(path, QStringLiteral("INSERT INTO tblDreams (JournalName) VALUES ('Theirs')"));
    const qint64 afterTheirs = store->revision();
    EXPECT_NE(afterTheirs, afterOwn);

    const QString other = path + QStringLiteral(".new");
    coretest::createJournal(other);
    ASSERT_TRUE(store->replaceFile([&]() -> Status {
        if (std::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()))
            return Error(QStringLiteral("rename failed"));
        return Status();
    }));
    const qint64 replaced = store->revision();
    EXPECT_GT(replaced, afterTheirs);
    EXPECT_EQ(names(store->treeRows(JournalOrder::ByDate).value_or({})), QStringList());
}

} // namespace
