// The keyword list's order and search match, apart from the window.

#include "dictionary/KeywordOrder.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

QStringList sorted(const QStringList& keywords) {
    return dictionary::SortAlphabetically(keywords);
}

class KeywordOrder : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        dictionary::testing::ForgetOrder();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(KeywordOrder, SortsIgnoringCaseWithTheLocalesAlphabet) {
    EXPECT_EQ(sorted({"cat", "Bird", "apple"}), QStringList({"apple", "Bird", "cat"}));
    // Equal but for case: one fixed order, whatever order they came in; same text twice stays.
    EXPECT_EQ(sorted({"dog", "Dog", "dog"}), QStringList({"Dog", "dog", "dog"}));
    EXPECT_EQ(sorted({"Zebra", "Ärger", "apple", "éclair", ""}),
              QStringList({"", "apple", "Ärger", "éclair", "Zebra"}));
    // Swedish puts Ä after Z; the order follows a change of locale at once.
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    EXPECT_EQ(sorted({"Zebra", "Ärger", "apple"}), QStringList({"apple", "Zebra", "Ärger"}));
}

TEST_F(KeywordOrder, RemembersRanksAcrossCallsAndPlacesNewTextsAmongThem) {
    QStringList keywords;
    for (int i = 0; i < 200; i += 2)
        keywords << QStringLiteral("word%1").arg(i, 3, 10, QLatin1Char('0'));
    sorted(keywords);
    EXPECT_EQ(dictionary::testing::CollatedTexts(), 100);
    // New texts land between remembered ones, and a subset sorts by the remembered ranks.
    QStringList more = keywords;
    more << "WORD051"
         << "word000a"
         << "Aardvark";
    const QStringList all = sorted(more);
    EXPECT_EQ(all.mid(0, 3), QStringList({"Aardvark", "word000", "word000a"}));
    EXPECT_EQ(all.indexOf("WORD051"), all.indexOf("word050") + 1);
    EXPECT_EQ(sorted({"word100", "WORD051", "word002"}),
              QStringList({"word002", "WORD051", "word100"}));
    // Texts that keep landing in the same gap use it up; the order stays right throughout.
    QStringList growing = {"b", "a"}, expected = {"a"};
    for (QString text = "a1"; text.size() < 40; text += "1") {
        growing << text;
        expected << text;
        ASSERT_EQ(sorted(growing), expected + QStringList{"b"}) << text.size();
    }
    // A dictionary that shrank does not keep every text it ever had.
    QStringList few;
    for (int i = 0; i < 3000; ++i)
        few << QStringLiteral("term%1").arg(i);
    sorted(few);
    sorted({"one", "two"});
    EXPECT_LT(dictionary::testing::CollatedTexts(), 3000);
    EXPECT_EQ(sorted({"two", "one"}), QStringList({"one", "two"}));
}

} // namespace
