// The dictionary panel's keyword list: the fill, the search and the picked keyword.

#include "DictionaryPanel.h"

namespace {

using KeywordList = DictionaryPanel;

TEST_F(KeywordList, FillsSortedIgnoringCaseByTheLocaleAndShowsThePickedRow) {
    const QStringList all = {"Apple", "Ärger", "Bat", "cat", "Dog", "dog", "Water"};
    EXPECT_EQ(entries(), all);
    // Either entry of a keyword stored twice shows its last row; a NULL meaning shows empty.
    for (const char* entry : {"Dog", "dog"}) {
        pick(entry);
        EXPECT_EQ(shown(), "Dog=second");
    }
    Exec(KeywordsFile(), "UPDATE tblKeywords SET Description = NULL WHERE Keyword = 'cat'");
    pick("cat");
    EXPECT_EQ(shown(), "cat=");

    // A NULL keyword is left out; an empty one shows as an empty entry. Nothing gets selected and
    // the boxes keep what they showed.
    Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES (NULL, 'none'), ('', 'e')");
    pick("Dog");
    keyword->setText("typed");
    button("cmdRefresh")->click();
    EXPECT_EQ(entries(), QStringList{""} + all);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(shown(), "typed=second");

    // Rows gone from the table are gone from the list. Swedish puts Ä after Z.
    Exec(KeywordsFile(), "DELETE FROM tblKeywords WHERE Keyword IN ('Bat', '')");
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    button("cmdRefresh")->click();
    EXPECT_EQ(entries(), QStringList({"Apple", "cat", "Dog", "dog", "Water", "Ärger"}));
}

TEST_F(KeywordList, SearchFollowsTheTextAsTyped) {
    auto* search = Find<QLineEdit>(w, "txtSearch");
    Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES ('', 'empty')");
    pick("Apple");
    search->setText("AT");
    EXPECT_EQ(entries(), QStringList({"Bat", "cat", "Water"}));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(shown(), "Apple=fruit");
    // The same search again, from a click into the box, leaves nothing selected either.
    pick("cat");
    QTest::mouseClick(search, Qt::LeftButton);
    EXPECT_EQ(list->currentItem(), nullptr);
    search->setText("  cat  ");
    EXPECT_EQ(entries(), QStringList{"cat"});
    search->setText("äR"); // case is ignored beyond ASCII
    EXPECT_EQ(entries(), QStringList{"Ärger"});

    // A keyword added meanwhile shows on the next search, from the button as from the keyboard.
    Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES ('Lärm', 'noise')");
    button("cmdSearch")->click();
    EXPECT_EQ(entries(), QStringList({"Ärger", "Lärm"}));
    // Emptied, the box lists every keyword (eight) but the empty one.
    search->setText("   ");
    EXPECT_EQ(entries().size(), 8);
}

TEST_F(KeywordList, AMissingOrUnreadableDictionaryLeavesTheListEmptyAndSaysNothing) {
    pick("cat");
    ASSERT_TRUE(QFile::remove(KeywordsFile()));
    Find<QLineEdit>(w, "txtSearch")->setText("a");
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(shown(), "cat=c");
    QFile garbage(KeywordsFile());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a database at all");
    garbage.close();
    button("cmdRefresh")->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(Shown(), QStringList{});
}

class LargeKeywordList : public DictionaryPanel {
protected:
    Dictionary InitialDictionary() const override {
        Dictionary many;
        for (int i = 0; i < 40000; ++i)
            many.push_back({"k" + QString::number(i), "meaning " + QString::number(i)});
        return many;
    }
};

// More rows than a 16-bit counter holds: the fill (which the search shares) and the pick see
// them all.
TEST_F(LargeKeywordList, EveryRowCountsPastSixteenBits) {
    EXPECT_EQ(list->count(), 40000);
    pick("k39999");
    EXPECT_EQ(shown(), "k39999=meaning 39999");
}

} // namespace
