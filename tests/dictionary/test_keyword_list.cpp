// The dictionary panel's keyword list: the fill, the search and the picked keyword.

#include "TestSupport.h"
#include "app/frmMain.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QStringList entries(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Picks the `nth` entry with this text, as a click would.
void pick(QListWidget* list, const QString& text, int nth = 0) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_GT(found.size(), nth) << text.toStdString();
    list->setCurrentItem(found[nth]);
}

class KeywordList : public testsupport::ProgramFixture {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ProgramFixture::SetUp();
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        QLocale::setDefault(QLocale::system());
    }
    testsupport::Dictionary InitialDictionary() const override {
        return {{"cat", "c"},   {"Dog", "first dog"}, {"Water", "w"},
                {"Bird", "b"},  {"Ant", "a"},         {"dog", "second dog"},
                {"Bat", "bat"}, {"apple", "fruit"},   {"Ärger", "ä"}};
    }
};

TEST_F(KeywordList, FillsSortedIgnoringCaseWithOneEntryPerRow) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    const QStringList all = {"Ant", "apple", "Ärger", "Bat", "Bird", "cat", "Dog", "dog", "Water"};
    EXPECT_EQ(entries(w->lstKeywords), all);

    // A NULL keyword is left out; an empty one shows as an empty entry. Nothing gets selected and
    // the boxes keep what they showed.
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES (NULL, 'none'), ('', 'e')");
    pick(w->lstKeywords, "Bird");
    w->txtKeyword->setText("typed");
    w->cmdRefresh->click();
    EXPECT_EQ(entries(w->lstKeywords), QStringList{""} + all);
    EXPECT_TRUE(w->lstKeywords->selectedItems().isEmpty());
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("typed"));
    EXPECT_EQ(w->txtKeywordDesc->toPlainText(), QStringLiteral("b"));

    // Rows gone from the table are gone from the list.
    testsupport::Exec(KeywordsFile(), "DELETE FROM tblKeywords WHERE Keyword IN ('Bat', '')");
    w->cmdRefresh->click();
    EXPECT_EQ(entries(w->lstKeywords),
              QStringList({"Ant", "apple", "Ärger", "Bird", "cat", "Dog", "dog", "Water"}));
}

TEST_F(KeywordList, SearchFollowsTheTextAsTyped) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES ('', 'empty')");
    pick(w->lstKeywords, "Ant");

    w->txtSearch->setText("AT");
    EXPECT_EQ(entries(w->lstKeywords), QStringList({"Bat", "cat", "Water"}));
    EXPECT_TRUE(w->lstKeywords->selectedItems().isEmpty());
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("Ant"));
    // The same search again, from a click into the box, leaves nothing selected either.
    pick(w->lstKeywords, "cat");
    w->txtSearch_Click();
    EXPECT_EQ(entries(w->lstKeywords), QStringList({"Bat", "cat", "Water"}));
    EXPECT_TRUE(w->lstKeywords->selectedItems().isEmpty());
    EXPECT_EQ(w->lstKeywords->currentItem(), nullptr);
    w->txtSearch->setText("  cat  ");
    EXPECT_EQ(entries(w->lstKeywords), QStringList({"cat"}));
    w->txtSearch->setText("c at");
    EXPECT_TRUE(entries(w->lstKeywords).isEmpty());
    w->txtSearch->setText("äR"); // case is ignored beyond ASCII
    EXPECT_EQ(entries(w->lstKeywords), QStringList({"Ärger"}));

    // A keyword added meanwhile shows on the next search, from the button as from the keyboard.
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES ('Lärm', 'noise')");
    w->cmdSearch->click();
    EXPECT_EQ(entries(w->lstKeywords), QStringList({"Ärger", "Lärm"}));
    // Emptied, the box lists every keyword but the empty one.
    w->txtSearch->setText("   ");
    EXPECT_EQ(entries(w->lstKeywords).size(), 10);
    EXPECT_FALSE(entries(w->lstKeywords).contains(QString("")));
}

TEST_F(KeywordList, PickingAnEntryShowsTheLastRowWithThatKeyword) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    for (int nth : {0, 1}) {
        pick(w->lstKeywords, nth == 0 ? "Dog" : "dog");
        EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("dog"));
        EXPECT_EQ(w->txtKeywordDesc->toPlainText(), QStringLiteral("second dog"));
    }
    testsupport::Exec(KeywordsFile(),
                      "UPDATE tblKeywords SET Description = NULL WHERE Keyword = 'Bat'");
    pick(w->lstKeywords, "Bat");
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("Bat"));
    EXPECT_TRUE(w->txtKeywordDesc->toPlainText().isEmpty());
}

TEST_F(KeywordList, AMissingDictionaryLeavesTheListEmpty) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    pick(w->lstKeywords, "cat");
    ASSERT_TRUE(QFile::remove(KeywordsFile()));
    pick(w->lstKeywords, "Bird");
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("cat"));
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

class LargeKeywordList : public KeywordList {
protected:
    testsupport::Dictionary InitialDictionary() const override {
        testsupport::Dictionary many;
        for (int i = 0; i < 40000; ++i)
            many.push_back({QStringLiteral("k%1").arg(i, 5, 10, QLatin1Char('0')),
                            QStringLiteral("meaning %1").arg(i)});
        return many;
    }
};

TEST_F(LargeKeywordList, EveryRowCountsPastSixteenBits) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->lstKeywords->count(), 40000);
    pick(w->lstKeywords, "k39999");
    EXPECT_EQ(w->txtKeywordDesc->toPlainText(), QStringLiteral("meaning 39999"));
    w->txtSearch->setText("K3999");
    EXPECT_EQ(entries(w->lstKeywords),
              QStringList({"k39990", "k39991", "k39992", "k39993", "k39994", "k39995", "k39996",
                           "k39997", "k39998", "k39999"}));
}

} // namespace
