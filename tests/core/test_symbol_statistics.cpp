// Recurring symbols on a generated journal: every count checked against the whole-word matches
// of each keyword in each entry, as the analysis finds them; the date range; and changes to the
// journal and the dictionary reaching the counts.

#include "CoreTestSupport.h"
#include "core/CaseFold.h"
#include "core/KeywordMatcher.h"
#include "core/SymbolStatistics.h"

#include <QTemporaryDir>

#include <map>
#include <random>

namespace {

const std::vector<modDataFiles::Entry> kDictionary = {
    {"cat", "a cat"},   {"Cat", "again"},      {"water", "w"}, {"black cat", "bad luck"},
    {"ärger", "anger"}, {"flying", "freedom"}, {"sea", "s"},   {"teeth", "t"},
    {"door", "d"},      {"never found", "n"},
};

const char* const kWords[] = {"cat",   "Cat",   "CAT",    "catalogue", "bobcat", "water",  "black",
                              "ÄRGER", "Ärger", "flying", "sea",       "seas",   "teeth",  "door,",
                              "the",   "a",     "and",    "\n",        "over",   "watery", "door"};

class SymbolStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 rng(7);
        for (int i = 0; i < 150; ++i) {
            QString text;
            const int words = int(rng() % 40);
            for (int w = 0; w < words; ++w)
                text += QString::fromUtf8(kWords[rng() % std::size(kWords)]) + QLatin1Char(' ');
            add(2005 + int(rng() % 4), 1 + int(rng() % 12), 1 + int(rng() % 28), text);
        }
    }
    qint64 add(int year, int month, int day, const QString& text) {
        return journal->insert({0, QStringLiteral("Dream"), text, year, month, day}).value_or(-1);
    }

    // Per keyword (the first spelling of those equal ignoring case): entries and occurrences,
    // from one single-keyword whole-word search per keyword and entry.
    std::map<QString, std::pair<int, int>> expected(const DateRange& range) {
        std::map<QString, std::pair<int, int>> counts;
        for (const JournalEntry& entry : journal->entries().value_or({})) {
            if (!range.contains(dateKeyOf(entry)))
                continue;
            for (const char* keyword : {"cat", "water", "black cat", "ärger", "flying", "sea",
                                        "teeth", "door", "never found"}) {
                const auto found = findWholeWord(entry.text, QString::fromUtf8(keyword)).size();
                if (found > 0) {
                    ++counts[QString::fromUtf8(keyword)].first;
                    counts[QString::fromUtf8(keyword)].second += int(found);
                }
            }
        }
        return counts;
    }
    std::map<QString, std::pair<int, int>> counted(const DateRange& range) {
        EXPECT_TRUE(statistics.refresh());
        std::map<QString, std::pair<int, int>> counts;
        const std::vector<SymbolCount> table = statistics.table(range);
        for (std::size_t i = 0; i < table.size(); ++i) {
            // "cat" and "Cat" count as one, under whichever spelling comes first.
            counts[CaseFold::fold(table[i].keyword)] = {table[i].entries, table[i].occurrences};
            if (i > 0) {
                EXPECT_GE(table[i - 1].entries, table[i].entries) << "most entries first";
            }
        }
        return counts;
    }

    QTemporaryDir folder;
    QString journalPath = folder.filePath(QStringLiteral("Dreams.dll"));
    QString keywordsPath = folder.filePath(QStringLiteral("Keywords.dll"));
    std::unique_ptr<JournalStore> journal = [this] {
        coretest::createJournal(journalPath);
        return JournalStore::open(journalPath).value();
    }();
    std::unique_ptr<KeywordStore> dictionary = [this] {
        coretest::createDictionary(keywordsPath, kDictionary);
        return KeywordStore::open(keywordsPath).value();
    }();
    SymbolStatistics statistics{*journal, *dictionary};
};

TEST_F(SymbolStatisticsTest, CountsAgreeWithTheAnalysisOfEachEntry) {
    const auto counts = counted({});
    EXPECT_EQ(counts, expected({}));
    EXPECT_GT(counts.at("cat").first, 10);
    EXPECT_EQ(counts.count("never found"), 0u);

    // Each keyword's entries and months add up to its count.
    for (const SymbolCount& symbol : statistics.table({})) {
        EXPECT_EQ(int(statistics.entriesWith(symbol.keyword, {}).size()), symbol.entries);
        int inMonths = 0, occurrences = 0;
        for (const MonthCount& month : statistics.months(symbol.keyword, {})) {
            inMonths += month.entries;
            occurrences += month.occurrences;
        }
        EXPECT_EQ(inMonths, symbol.entries) << symbol.keyword.toStdString();
        EXPECT_EQ(occurrences, symbol.occurrences) << symbol.keyword.toStdString();
    }
    // Every month from the first entry's to the last's, in order, empty ones included.
    const std::vector<MonthCount> months = statistics.months(QStringLiteral("CAT"), {});
    ASSERT_FALSE(months.empty());
    for (std::size_t i = 1; i < months.size(); ++i)
        EXPECT_EQ(months[i].year * 12 + months[i].month,
                  months[i - 1].year * 12 + months[i - 1].month + 1);
}

TEST_F(SymbolStatisticsTest, OnlyTheEntriesOfTheRangeCount) {
    const DateRange span = statistics.refresh() ? statistics.journalSpan() : DateRange();
    EXPECT_EQ(span.from.year(), 2005);
    EXPECT_EQ(span.to.year(), 2008);
    for (const DateRange range :
         {DateRange{QDate(2006, 1, 1), QDate(2006, 12, 31)}, DateRange{QDate(2007, 6, 15), {}},
          DateRange{{}, QDate(2005, 3, 3)}, DateRange{QDate(2009, 1, 1), QDate(2010, 1, 1)}}) {
        SCOPED_TRACE(range.from.toString().toStdString() + " - " +
                     range.to.toString().toStdString());
        EXPECT_EQ(counted(range), expected(range));
        for (const JournalEntry& entry : statistics.entriesWith(QStringLiteral("cat"), range))
            EXPECT_TRUE(range.contains(dateKeyOf(entry)));
    }
    // Both ends belong to the range.
    const qint64 id = add(2020, 2, 29, QStringLiteral("teeth"));
    const DateRange day{QDate(2020, 2, 29), QDate(2020, 2, 29)};
    ASSERT_TRUE(statistics.refresh());
    ASSERT_EQ(statistics.entriesWith(QStringLiteral("teeth"), day).size(), 1u);
    EXPECT_EQ(statistics.entriesWith(QStringLiteral("teeth"), day)[0].id, id);
    // A date another tool stored as words counts only where the range is open.
    coretest::exec(journalPath, QStringLiteral("UPDATE tblDreams SET Year = 'soon' WHERE ID = ?"),
                   {id});
    ASSERT_TRUE(statistics.refresh());
    EXPECT_EQ(statistics.entriesWith(QStringLiteral("teeth"), day).size(), 0u);
    EXPECT_EQ(counted({}), expected({}));
}

TEST_F(SymbolStatisticsTest, ChangesToEntriesAndKeywordsReachTheCounts) {
    ASSERT_TRUE(statistics.refresh());
    const int before = counted({}).at("water").first;
    const qint64 id = add(2006, 6, 6, QStringLiteral("Water, water and a black cat."));
    auto counts = counted({});
    EXPECT_EQ(counts.at("water"), std::make_pair(before + 1, expected({}).at("water").second));
    EXPECT_EQ(counts, expected({}));

    ASSERT_TRUE(journal->update(
        {id, QStringLiteral("Dream"), QStringLiteral("Only the sea."), 2006, 6, 6}));
    EXPECT_EQ(counted({}).at("water").first, before);
    EXPECT_EQ(counted({}), expected({}));

    // Another program's write, and a removal.
    coretest::exec(journalPath,
                   QStringLiteral("UPDATE tblDreams SET journaltext = 'never found' "
                                  "WHERE ID = ?"),
                   {id});
    EXPECT_EQ(counted({}).at("never found"), std::make_pair(1, 1));
    ASSERT_TRUE(journal->remove(id));
    EXPECT_EQ(counted({}).count("never found"), 0u);

    // Many entries changed at once, and one renamed without a change to its text.
    coretest::exec(journalPath,
                   QStringLiteral("UPDATE tblDreams SET journaltext = journaltext || ' water'"));
    EXPECT_EQ(counted({}), expected({}));
    EXPECT_EQ(counted({}).at("water").first, int(journal->entries().value_or({}).size()));
    coretest::exec(journalPath, QStringLiteral("UPDATE tblDreams SET JournalName = 'Renamed', "
                                               "Year = 1999 WHERE ID = 1"));
    ASSERT_TRUE(statistics.refresh());
    EXPECT_EQ(statistics.entriesWith(QStringLiteral("water"), {}).front().name, "Renamed");
    EXPECT_EQ(counted({}), expected({}));

    // A keyword added to the dictionary is counted at once.
    ASSERT_TRUE(dictionary->add(QStringLiteral("watery"), QStringLiteral("wet")));
    EXPECT_GT(counted({}).count("watery"), 0u);
    const auto table = statistics.table({});
    const auto watery = std::find_if(table.begin(), table.end(),
                                     [](const SymbolCount& s) { return s.keyword == "watery"; });
    ASSERT_NE(watery, table.end());
    EXPECT_EQ(watery->meaning, QStringLiteral("wet"));
}

} // namespace
