// The keyword store on real files: the list the panel shows, the rows an edit touches, and the
// merge of an update under each policy, which commits all or nothing.

#include "CoreTestSupport.h"
#include "core/KeywordFinder.h"
#include "core/KeywordStore.h"

#include <QTemporaryDir>

#include <cstdio>

namespace {

class KeywordStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        coretest::createDictionary(path, {{"Snake", "Danger"},
                                          {"cat", "Independence"},
                                          {"Dog", "Loyalty"},
                                          {"dog", "Friendship"},
                                          {"water", "Emotions"}});
        auto opened = KeywordStore::open(path);
        ASSERT_TRUE(opened) << opened.errorMessage().toStdString();
        store = std::move(*opened);
    }
    // Every row as "keyword=description", in the table's order.
    QStringList dump() {
        QStringList rows;
        for (const QVariantList& row : coretest::query(
                 path,
                 QStringLiteral("SELECT Keyword, Description FROM tblKeywords ORDER BY rowid")))
            rows << row.value(0).toString() + QLatin1Char('=') + row.value(1).toString();
        return rows;
    }

    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Keywords.dll"));
    std::unique_ptr<KeywordStore> store;
};

TEST_F(KeywordStoreTest, TheListIsAlphabeticalAndFollowsEveryChange) {
    EXPECT_EQ(store->keywords().value_or({}), QStringList({"cat", "Dog", "dog", "Snake", "water"}));
    EXPECT_EQ(store->search(QStringLiteral("AT")).value_or({}), QStringList({"cat", "water"}));
    // Another program's write is seen at once: nothing stale is kept.
    coretest::exec(path, QStringLiteral("INSERT INTO tblKeywords VALUES ('Bat', 'Night'), "
                                        "(NULL, 'none'), ('', 'empty')"));
    EXPECT_EQ(store->keywords().value_or({}),
              QStringList({"", "Bat", "cat", "Dog", "dog", "Snake", "water"}));
    EXPECT_EQ(store->search(QString()).value_or({}),
              QStringList({"Bat", "cat", "Dog", "dog", "Snake", "water"}));
}

// A refresh takes over what the last read found and merges added rows into the last order; after
// each change from another program it lists exactly what a store reading afresh lists.
TEST_F(KeywordStoreTest, EachReadListsWhatAFreshReadLists) {
    const QStringList changes = {
        "INSERT INTO tblKeywords VALUES ('Bat', 'x')",
        "UPDATE tblKeywords SET Description = 'deep' WHERE Keyword = 'water'",
        "INSERT INTO tblKeywords VALUES ('cat', 'again'), ('CAT', 'loud'), ('ärger', 'y')",
        "INSERT INTO tblKeywords VALUES ('cat', 'thrice')",
        "DELETE FROM tblKeywords WHERE rowid = (SELECT max(rowid) FROM tblKeywords)",
        "INSERT INTO tblKeywords VALUES ('', 'empty'), ('zebra', 'z'), ('Aal', 'a')",
        "UPDATE tblKeywords SET Keyword = 'Wolf' WHERE Keyword = 'Dog'",
        "DELETE FROM tblKeywords WHERE Keyword = 'cat' AND Description = 'Independence'",
        "DELETE FROM tblKeywords WHERE Keyword = 'Snake'; "
        "INSERT INTO tblKeywords VALUES ('Snake', 'back'), ('Ant', 'b')",
        "DELETE FROM tblKeywords WHERE Keyword IN ('Bat', 'zebra')",
        "UPDATE tblKeywords SET Keyword = 1 WHERE Keyword = 'Aal'",
    };
    ASSERT_TRUE(store->keywords());
    for (const QString& change : changes) {
        SCOPED_TRACE(change.toStdString());
        for (const QString& statement : change.split(QStringLiteral("; ")))
            coretest::exec(path, statement);
        auto fresh = KeywordStore::open(path);
        ASSERT_TRUE(fresh);
        EXPECT_EQ(store->keywords().value_or({}), (*fresh)->keywords().value_or({"unread"}));
    }
}

// The keywords the analysis finds, as "keyword@begin-end" for every marked stretch.
QStringList findings(KeywordFinder& finder, const QString& text) {
    const Result<KeywordFinder::Found> found = finder.find(text);
    EXPECT_TRUE(found) << found.errorMessage().toStdString();
    QStringList listed;
    for (const KeywordEntry& entry : found ? found->entries : std::vector<KeywordEntry>())
        listed << entry.keyword;
    for (const KeywordFinder::Span& span :
         found ? found->spans : std::vector<KeywordFinder::Span>())
        listed << QStringLiteral("@%1-%2").arg(span.begin).arg(span.end);
    return listed;
}

// The finder keeps its matcher between analyses, never past a change to the dictionary: its own
// edits, another program's, or a file put in its place.
TEST_F(KeywordStoreTest, TheFinderSeesEveryChangeToTheDictionary) {
    KeywordFinder finder(*store);
    const QString text = QStringLiteral("A black cat, a DOG and Ärger.");
    EXPECT_EQ(findings(finder, text), QStringList({"cat", "Dog", "dog", "@8-11", "@15-18"}));

    // A file of the same size and age put in its place: its counters start again from nothing.
    const QString other = folder.filePath(QStringLiteral("other.dll"));
    coretest::createDictionary(other, {{"black cat", "Luck"}, {"ärger", "Anger"}});
    ASSERT_EQ(
        std::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
    // The phrase and the word inside it mark one stretch.
    EXPECT_EQ(findings(finder, text), QStringList({"black cat", "ärger", "@2-11", "@23-28"}));

    ASSERT_TRUE(store->add(QStringLiteral("cat"), QStringLiteral("Independence")));
    EXPECT_EQ(findings(finder, text),
              QStringList({"black cat", "cat", "ärger", "@2-11", "@23-28"}));
    coretest::exec(path, QStringLiteral("UPDATE tblKeywords SET Keyword = 'a' WHERE Keyword = "
                                        "'black cat'"));
    EXPECT_EQ(findings(finder, text),
              QStringList({"a", "cat", "ärger", "@0-1", "@8-11", "@13-14", "@23-28"}));
    coretest::exec(path, QStringLiteral("DELETE FROM tblKeywords"));
    EXPECT_EQ(findings(finder, text), QStringList());
}

// Occurrences that overlap join into one marked stretch, also when a later, longer one bridges
// two that were apart; occurrences apart stay apart.
TEST_F(KeywordStoreTest, OverlappingOccurrencesMarkOneStretch) {
    coretest::exec(path, QStringLiteral("INSERT INTO tblKeywords VALUES ('black cat', ''), "
                                        "('cat and dog', ''), ('and', '')"));
    KeywordFinder finder(*store);
    EXPECT_EQ(findings(finder, QStringLiteral("A black cat and dog. Dog, cat.")),
              QStringList({"and", "black cat", "cat", "cat and dog", "Dog", "dog", "@2-19",
                           "@21-24", "@26-29"}));
}

// The search ignores case beyond ASCII, one letter for one letter.
TEST_F(KeywordStoreTest, TheSearchIgnoresCaseInEveryAlphabet) {
    coretest::exec(path, QStringLiteral("INSERT INTO tblKeywords VALUES ('Ärger', ''), "
                                        "('STRASSE', ''), ('Straße', ''), ('ЖУК', '')"));
    EXPECT_EQ(store->search(QStringLiteral("äR")).value_or({}), QStringList({"Ärger"}));
    EXPECT_EQ(store->search(QStringLiteral("aSSe")).value_or({}), QStringList({"STRASSE"}));
    EXPECT_EQ(store->search(QStringLiteral("ẞE")).value_or({}), QStringList({"Straße"}));
    EXPECT_EQ(store->search(QStringLiteral("жу")).value_or({}), QStringList({"ЖУК"}));
}

// Rows equal but for case are one keyword: the last shows its meaning, an edit rewrites them all
// and nothing else, and a delete is offered row by row.
TEST_F(KeywordStoreTest, AKeywordIsAllItsRowsThatCompareEqual) {
    EXPECT_EQ(store->find(QStringLiteral("DOG"))->value().description,
              QStringLiteral("Friendship"));
    EXPECT_FALSE(store->find(QStringLiteral("Do"))->has_value());
    EXPECT_EQ(store->rowsOf(QStringLiteral("dog"))->size(), 2u);

    EXPECT_EQ(store->update(QStringLiteral("dog"), QStringLiteral("DOG"), QStringLiteral("Trust"))
                  .value_or(-1),
              2);
    EXPECT_EQ(
        store->update(QStringLiteral("Do"), QStringLiteral("Do"), QStringLiteral("x")).value_or(-1),
        0);
    ASSERT_TRUE(store->removeRow(store->rowsOf(QStringLiteral("dog"))->front()));
    EXPECT_EQ(dump(),
              QStringList({"Snake=Danger", "cat=Independence", "DOG=Trust", "water=Emotions"}));
}

// An existing keyword keeps its own spelling under every policy, and a meaning appended twice is
// there twice; a keyword added earlier in the same run is found by the later item; a quote is
// part of the keyword, never of a query.
TEST_F(KeywordStoreTest, EachPolicyMergesExistingKeywordsItsWay) {
    const struct {
        MergePolicy policy;
        QStringList expected;
    } cases[] = {
        {MergePolicy::KeepExisting, {"Snake=Danger", "Owl=Wisdom", "x' OR 'a'='a=Injected"}},
        {MergePolicy::Overwrite, {"Snake=Healing", "Owl=Night", "x' OR 'a'='a=Injected"}},
        {MergePolicy::Append,
         {"Snake=Danger ; Healing ; Healing", "Owl=Wisdom ; Night", "x' OR 'a'='a=Injected"}},
    };
    for (const auto& merge : cases) {
        coretest::exec(path, QStringLiteral("DELETE FROM tblKeywords WHERE Keyword <> 'Snake'"));
        coretest::exec(path, QStringLiteral("UPDATE tblKeywords SET Description = 'Danger'"));
        const auto outcome = store->merge({{"SNAKE", "Healing"},
                                           {"Owl", "Wisdom"},
                                           {"owl", "Night"},
                                           {"snake", "Healing"},
                                           {"x' OR 'a'='a", "Injected"}},
                                          merge.policy);
        ASSERT_TRUE(outcome) << outcome.errorMessage().toStdString();
        EXPECT_EQ(outcome->refused, 0);
        EXPECT_EQ(dump(), merge.expected);
    }
}

// A cancelled merge leaves the dictionary as it was; a row the dictionary refuses is left out
// alone and counted.
TEST_F(KeywordStoreTest, AMergeCommitsAllButRefusedRowsOrNothing) {
    const QStringList before = dump();
    int seen = 0;
    const auto cancelled =
        store->merge({{"Owl", "Wisdom"}, {"Bat", "Night"}}, MergePolicy::Overwrite, [&](int done) {
            seen = done;
            return done < 2;
        });
    ASSERT_TRUE(cancelled);
    EXPECT_TRUE(cancelled->cancelled);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(dump(), before);

    coretest::exec(path, QStringLiteral("CREATE TRIGGER no_bats BEFORE INSERT ON tblKeywords "
                                        "WHEN NEW.Keyword = 'Bat' BEGIN "
                                        "SELECT RAISE(ABORT, 'no bats here'); END"));
    const auto merged = store->merge({{"Owl", "Wisdom"}, {"Bat", "Night"}, {"Eel", "Slip"}},
                                     MergePolicy::Overwrite);
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->refused, 1);
    EXPECT_EQ(merged->firstRefusal, QStringLiteral("Bat: no bats here"));
    EXPECT_EQ(dump(), before + QStringList({"Owl=Wisdom", "Eel=Slip"}));
}

} // namespace
