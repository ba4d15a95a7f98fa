// Searching the journal: whole words and phrases, case folding beyond ASCII, a hit in the name
// against a hit in the text, the order of the results, their snippets, and a journal that
// changes between two searches.

#include "CoreTestSupport.h"
#include "core/CaseFold.h"
#include "core/JournalSearch.h"

#include <QTemporaryDir>

namespace {

struct MatchCase {
    const char* query;
    QString text;
    int begin; // -1: no match
    int end;
};

TEST(SearchQueryTest, MatchesWholeWordsAndPhrasesIgnoringCase) {
    const MatchCase cases[] = {
        {"cat", "A black cat sat.", 8, 11},
        {"cat", "Cat, then a dog.", 0, 3},
        {"cat", "catalogue and bobcat", -1, 0},
        {"cat", "cats, then one cat", 15, 18},
        {"cat", "cat2 or 3cat", -1, 0},
        {"car", "the car_park", 4, 7}, // an underscore is no letter or digit
        {"black cat", "A Black   CAT.", 2, 13},
        {"black cat", "black\tcat", 0, 9},
        {"black cat", "black\ncat", -1, 0},
        {"black cat", "black catalogue, blackcat", -1, 0},
        {"  black   cat ", "the black cat", 4, 13},
        {"cat,", "cat dog, cat, end", 9, 13},
        {"ärger", "Viel ÄRGER heute", 5, 10},
        {"STRAẞE", "die straße hinab", 4, 10},
        {"straße", "die strasse hinab", -1, 0}, // folding keeps lengths, as the analysis does
        {"σοφια", "ΣΟΦΙΑ και", 0, 5},
        {"snö", "Snö\u00a0föll", 0, 3},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(std::string(c.query) + " in " + c.text.toStdString());
        const SearchQuery query(QString::fromUtf8(c.query));
        ASSERT_TRUE(query.isSearchable());
        const QString folded = CaseFold::fold(c.text);
        const auto hit = query.firstMatch(c.text, folded);
        // Through the words of the text, as the journal's search goes, the same.
        const std::vector<TextWord> words = wordsOf(c.text, folded);
        const auto throughWords = query.firstMatch(c.text, folded, &words);
        // A text that holds the query holds its required words as whole words.
        for (const QString& word : query.requiredWords()) {
            const bool held = std::any_of(words.begin(), words.end(), [&](const TextWord& w) {
                return QStringView(folded).mid(w.at, w.length) == word;
            });
            EXPECT_TRUE(held || !hit) << word.toStdString();
        }
        EXPECT_EQ(throughWords.has_value(), hit.has_value());
        if (hit && throughWords) {
            EXPECT_EQ(*throughWords, *hit);
        }
        if (c.begin < 0) {
            EXPECT_FALSE(hit.has_value());
        } else {
            ASSERT_TRUE(hit.has_value());
            EXPECT_EQ(hit->begin, c.begin);
            EXPECT_EQ(hit->end, c.end);
        }
    }
}

TEST(SearchQueryTest, AQueryWithoutWordsFindsNothing) {
    for (const char* text : {"", "   ", "?!", " - , . ", "\t"}) {
        const SearchQuery query(QString::fromUtf8(text));
        EXPECT_FALSE(query.isSearchable()) << text;
        EXPECT_FALSE(query.firstMatch(QStringLiteral("?! - , ."), QStringLiteral("?! - , .")));
    }
}

TEST(SnippetTest, OneLineAroundTheHitCutBetweenWords) {
    QString text = QStringLiteral("First line.\n");
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    const qsizetype at = text.size();
    text += QStringLiteral("Flying\tover hills ");
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("more%1 ").arg(i);
    text += QStringLiteral("\nLast line.");

    const auto [snippet, span] = snippetAround(text, TextSpan{at, at + 6}, 90);
    EXPECT_EQ(snippet.mid(span.begin, span.end - span.begin), QStringLiteral("Flying"));
    EXPECT_TRUE(snippet.startsWith(QChar(0x2026))) << snippet.toStdString();
    EXPECT_TRUE(snippet.endsWith(QChar(0x2026))) << snippet.toStdString();
    EXPECT_LE(snippet.size(), 92);
    EXPECT_FALSE(snippet.contains(QLatin1Char('\n')) || snippet.contains(QLatin1Char('\t')));
    // Cut between words, never inside one.
    EXPECT_TRUE(snippet.mid(1, 4) == QStringLiteral("word")) << snippet.toStdString();

    const auto [whole, wholeSpan] = snippetAround(QStringLiteral("A cat."), TextSpan{2, 5}, 90);
    EXPECT_EQ(whole, QStringLiteral("A cat."));
    EXPECT_EQ(wholeSpan, (TextSpan{2, 5}));
}

class JournalSearchTest : public ::testing::Test {
protected:
    qint64 add(int year, int month, int day, const QString& name, const QString& text) {
        return store->insert({0, name, text, year, month, day}).value_or(-1);
    }
    QStringList found(const QString& query) {
        auto hits = search.find(query);
        EXPECT_TRUE(hits) << hits.errorMessage().toStdString();
        QStringList names;
        for (const SearchHit& hit : hits.value_or({}))
            names << hit.entry().name;
        return names;
    }

    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("Dreams.dll"));
    std::unique_ptr<JournalStore> store = [this] {
        coretest::createJournal(path);
        return JournalStore::open(path).value();
    }();
    JournalSearch search{*store};
};

TEST_F(JournalSearchTest, NameAndTextHitsNewestFirstWithTheirPlaces) {
    const qint64 inName = add(2008, 3, 14, QStringLiteral("Flying high"), QStringLiteral("Calm."));
    add(2009, 1, 2, QStringLiteral("Over the sea"), QStringLiteral("Then I was FLYING, alone."));
    add(2009, 1, 2, QStringLiteral("Fish"), QStringLiteral("A flyingfish."));
    add(2007, 12, 31, QStringLiteral("Both"), QStringLiteral("flying"));
    const qint64 both = add(2010, 5, 1, QStringLiteral("flying again"), QStringLiteral("Flying."));

    const auto hits = search.find(QStringLiteral("Flying")).value_or({});
    ASSERT_EQ(hits.size(), 4u);
    QStringList order;
    for (const SearchHit& hit : hits)
        order << hit.entry().name;
    EXPECT_EQ(order, QStringList({"flying again", "Over the sea", "Flying high", "Both"}));

    EXPECT_EQ(hits[0].entry().id, both);
    EXPECT_EQ(hits[0].nameHit, (TextSpan{0, 6}));
    EXPECT_EQ(snippetOf(hits[0]).hit, (TextSpan{0, 6}));
    // A hit in the text only: the snippet marks it.
    EXPECT_FALSE(hits[1].nameHit);
    EXPECT_EQ(snippetOf(hits[1]).text, QStringLiteral("Then I was FLYING, alone."));
    EXPECT_EQ(snippetOf(hits[1]).hit, (TextSpan{11, 17}));
    // A hit in the name only: the snippet is the text's beginning, with nothing marked.
    EXPECT_EQ(hits[2].entry().id, inName);
    EXPECT_EQ(hits[2].nameHit, (TextSpan{0, 6}));
    EXPECT_EQ(snippetOf(hits[2]).text, QStringLiteral("Calm."));
    EXPECT_FALSE(snippetOf(hits[2]).hit);
}

TEST_F(JournalSearchTest, FollowsChangesToTheJournal) {
    const qint64 id = add(2008, 3, 14, QStringLiteral("Dream"), QStringLiteral("A red door."));
    EXPECT_EQ(found(QStringLiteral("red door")), QStringList{"Dream"});
    ASSERT_TRUE(
        store->update({id, QStringLiteral("Dream"), QStringLiteral("A blue door."), 2008, 3, 14}));
    EXPECT_EQ(found(QStringLiteral("red door")), QStringList());
    EXPECT_EQ(found(QStringLiteral("blue door")), QStringList{"Dream"});
    // Another program's write is seen as well.
    coretest::exec(path, QStringLiteral("INSERT INTO tblDreams (Year, Month, Day, JournalName, "
                                        "journaltext) VALUES (2011, 1, 1, 'Later', 'blue  door')"));
    EXPECT_EQ(found(QStringLiteral("blue door")), QStringList({"Later", "Dream"}));
    ASSERT_TRUE(store->remove(id));
    EXPECT_EQ(found(QStringLiteral("blue door")), QStringList{"Later"});
}

TEST_F(JournalSearchTest, AHugeEntryIsSearchedLikeAnyOther) {
    QString text;
    text.reserve(5 * 1024 * 1024);
    while (text.size() < 5 * 1024 * 1024)
        text += QStringLiteral("catalogue bobcat dogs ");
    text += QStringLiteral("and at last a dog.");
    add(2008, 3, 14, QStringLiteral("Long"), text);
    const auto hits = search.find(QStringLiteral("dog")).value_or({});
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_TRUE(snippetOf(hits[0]).text.endsWith(QStringLiteral("at last a dog.")))
        << snippetOf(hits[0]).text.size();
    EXPECT_LE(snippetOf(hits[0]).text.size(), 92);
    EXPECT_EQ(found(QStringLiteral("cat")), QStringList());
}

} // namespace
