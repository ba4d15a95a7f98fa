// The dictionary panel's keyword list: the fill, the search and the picked keyword; and the
// ranks its order remembers between refills.

#include "DictionaryPanel.h"
#include "dictionary/KeywordOrder.h"

#include <QFile>

namespace {

using dictionary::SortAlphabetically;
using KeywordList = DictionaryPanel;

TEST_F(KeywordList, FillsSortedIgnoringCaseByTheLocaleAndShowsThePickedRow) {
    const QStringList all = {"Apple", "Ärger", "Bat", "cat", "Dog", "dog", "Water"};
    EXPECT_EQ(entries(), all);
    // Either entry of a keyword stored twice shows its last row; a NULL meaning shows empty.
    for (const char* entry : {"Dog", "dog"}) {
        pick(entry);
        EXPECT_EQ(shown(), "Dog=second");
    }
    testsupport::Exec(KeywordsFile(),
                      "UPDATE tblKeywords SET Description = NULL WHERE Keyword = 'cat'");
    pick("cat");
    EXPECT_EQ(shown(), "cat=");

    // A NULL keyword is left out; an empty one shows as an empty entry. Nothing gets selected and
    // the boxes keep what they showed.
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES (NULL, 'none'), ('', 'e')");
    pick("Dog");
    w->txtKeyword->setText("typed");
    w->cmdRefresh->click();
    EXPECT_EQ(entries(), QStringList{""} + all);
    EXPECT_TRUE(w->lstKeywords->selectedItems().isEmpty());
    EXPECT_EQ(shown(), "typed=second");

    // Rows gone from the table are gone from the list. Swedish puts Ä after Z.
    testsupport::Exec(KeywordsFile(), "DELETE FROM tblKeywords WHERE Keyword IN ('Bat', '')");
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    w->cmdRefresh->click();
    EXPECT_EQ(entries(), QStringList({"Apple", "cat", "Dog", "dog", "Water", "Ärger"}));
}

TEST_F(KeywordList, SearchFollowsTheTextAsTyped) {
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES ('', 'empty')");
    pick("Apple");
    w->txtSearch->setText("AT");
    EXPECT_EQ(entries(), QStringList({"Bat", "cat", "Water"}));
    EXPECT_TRUE(w->lstKeywords->selectedItems().isEmpty());
    EXPECT_EQ(shown(), "Apple=fruit");
    // The same search again, from a click into the box, leaves nothing selected either.
    pick("cat");
    w->txtSearch_Click();
    EXPECT_EQ(w->lstKeywords->currentItem(), nullptr);
    w->txtSearch->setText("  cat  ");
    EXPECT_EQ(entries(), QStringList{"cat"});
    w->txtSearch->setText("äR"); // case is ignored beyond ASCII
    EXPECT_EQ(entries(), QStringList{"Ärger"});

    // A keyword added meanwhile shows on the next search, from the button as from the keyboard.
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES ('Lärm', 'noise')");
    w->cmdSearch->click();
    EXPECT_EQ(entries(), QStringList({"Ärger", "Lärm"}));
    // Emptied, the box lists every keyword (eight) but the empty one.
    w->txtSearch->setText("   ");
    EXPECT_EQ(entries().size(), 8);
}

TEST_F(KeywordList, AMissingOrUnreadableDictionaryLeavesTheListEmpty) {
    pick("cat");
    ASSERT_TRUE(QFile::remove(KeywordsFile()));
    pick("Bat");
    EXPECT_EQ(shown(), "cat=c");
    w->txtSearch->setText("a");
    EXPECT_EQ(w->lstKeywords->count(), 0);
    QFile garbage(KeywordsFile());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a database at all");
    garbage.close();
    w->cmdRefresh->click();
    EXPECT_EQ(w->lstKeywords->count(), 0);
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
}

class LargeKeywordList : public DictionaryPanel {
protected:
    testsupport::Dictionary InitialDictionary() const override {
        testsupport::Dictionary many;
        for (int i = 0; i < 40000; ++i)
            many.push_back({"k" + QString::number(i), "meaning " + QString::number(i)});
        return many;
    }
};

// More rows than a 16-bit counter holds: the fill (which the search shares) and the pick see
// them all.
TEST_F(LargeKeywordList, EveryRowCountsPastSixteenBits) {
    EXPECT_EQ(w->lstKeywords->count(), 40000);
    pick("k39999");
    EXPECT_EQ(shown(), "k39999=meaning 39999");
}

TEST(KeywordOrder, RemembersRanksAcrossCallsAndPlacesNewTextsAmongThem) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    dictionary::testing::ForgetOrder();
    QStringList keywords;
    for (int i = 0; i < 200; i += 2)
        keywords << QStringLiteral("word%1").arg(i, 3, 10, QLatin1Char('0'));
    SortAlphabetically(keywords);
    // New texts land between remembered ones.
    const QStringList all =
        SortAlphabetically(keywords + QStringList({"WORD051", "word000a", "Aardvark"}));
    EXPECT_EQ(all.mid(0, 3), QStringList({"Aardvark", "word000", "word000a"}));
    EXPECT_EQ(all.indexOf("WORD051"), all.indexOf("word050") + 1);
    // Texts that keep landing in the same gap use it up; the order stays right throughout.
    QStringList growing = {"b", "a"}, expected = {"a"};
    for (QString text = "a1"; text.size() < 40; text += "1") {
        growing.prepend(text); // ahead of its neighbour, so a shared rank would show
        expected << text;
        ASSERT_EQ(SortAlphabetically(growing), expected + QStringList{"b"}) << text.size();
    }
    // A dictionary that shrank does not keep every text it ever had.
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many << "term" + QString::number(i);
    SortAlphabetically(many);
    SortAlphabetically({"one", "two"});
    EXPECT_LT(dictionary::testing::CollatedTexts(), 3000);
    EXPECT_EQ(SortAlphabetically({"two", "one"}), QStringList({"one", "two"}));
}

} // namespace
