// Adding, editing and deleting keywords on the dictionary panel, and the back buttons.

#include "DictionaryPanel.h"
#include "data/modDB.h"

#include <QListWidget>
#include <QTest>

namespace {

using MsgBox::Answer;
using KeywordEdit = DictionaryPanel;

// Exactly one message was shown, and it says `part`.
::testing::AssertionResult saysOnly(const QStringList& shown, const QString& part) {
    if (shown.size() == 1 && shown[0].contains(part))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "shown: " << shown.join(" | ").toStdString();
}

TEST_F(KeywordEdit, AddModeRefusesDuplicatesAndEmptyBoxesThenSavesTrimmed) {
    const QString before = rows();
    EXPECT_TRUE(press(w->cmdAddKeyword, {}).isEmpty());
    EXPECT_EQ(addMode(), "&Save, list off, ''");

    type("apple", "another");
    EXPECT_EQ(press(w->cmdAddKeyword, {Answer::OK}), QStringList{"This Keyword Already Exists"});
    EXPECT_EQ(addMode(), "&Save, list off, 'apple'");

    w->txtKeywordDesc->setPlainText("   ");
    EXPECT_EQ(press(w->cmdAddKeyword, {Answer::OK}),
              QStringList{"Please Enter The Keyword And Its Corresponding Description"});
    EXPECT_EQ(addMode(), "&Save, list on, ''");
    EXPECT_EQ(rows(), before);

    // Still in add mode: the next click saves, trimmed of spaces only. A long meaning saves and
    // shows whole.
    const QString longMeaning(100000, QLatin1Char('m'));
    type("  pear  ", "  " + longMeaning + "\t ");
    EXPECT_EQ(press(w->cmdAddKeyword, {Answer::OK}), QStringList{"Keyword Saved Successfully"});
    EXPECT_EQ(rows(), before + " pear=" + longMeaning + "\t");
    EXPECT_EQ(addMode(), "&Add, list on, ''");
    EXPECT_EQ(shown(), "=");
    EXPECT_EQ(entries().indexOf("pear"), 6);
    pick("pear");
    EXPECT_EQ(shown(), "pear=" + longMeaning + "\t");
}

TEST_F(KeywordEdit, EditRewritesEveryRowWithThePickedKeyword) {
    pick("dog");
    type("DOG ", " loyal ");
    EXPECT_EQ(press(w->cmdUpdateKeyword, {Answer::OK}),
              QStringList{"Keyword Updates Successfully"});
    EXPECT_EQ(rows(), "Apple=fruit DOG=loyal cat=c DOG=loyal Bat=b Ärger=ä Water=w");
    EXPECT_EQ(shown(), "=");

    // The description is stored as typed: no-break spaces and line separators stay what they are.
    const QString exact = QString::fromUtf8("pale\u00a0light\u2028second line");
    pick("Water");
    type("Water", exact);
    press(w->cmdUpdateKeyword, {Answer::OK});
    EXPECT_TRUE(rows().contains("Water=" + exact));

    // A picked keyword that is gone meanwhile: nothing changes, and the user is told so.
    pick("Bat");
    testsupport::Exec(KeywordsFile(), "DELETE FROM tblKeywords WHERE Keyword = 'Bat'");
    type("Bat", "horn");
    EXPECT_TRUE(saysOnly(press(w->cmdUpdateKeyword, {Answer::OK}), "Not Found"));
    EXPECT_EQ(shown(), "Bat=horn");
    EXPECT_FALSE(rows().contains("horn"));
}

// Edit changes the keyword picked in the list, in all its rows, and never a keyword that only
// looks like it: one differing in spaces, or one typed over the picked one.
TEST_F(KeywordEdit, EditNeverChangesAKeywordThatWasNotPicked) {
    testsupport::Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES (' Dog ', 'imported')");
    w->cmdRefresh_Click();
    pick(" Dog ");
    EXPECT_EQ(shown(), " Dog =imported");
    w->txtKeywordDesc->setPlainText("guarding");
    EXPECT_EQ(press(w->cmdUpdateKeyword, {Answer::OK}),
              QStringList{"Keyword Updates Successfully"});
    EXPECT_EQ(rows(), "Apple=fruit dog=first cat=c Dog=second Bat=b Ärger=ä Water=w Dog=guarding");

    // Picked cat, then typed another keyword over it: nothing changes, and the typing stays.
    pick("cat");
    type("Bat", "night");
    const QString before = rows();
    EXPECT_EQ(press(w->cmdUpdateKeyword, {Answer::OK}),
              QStringList{"Please Select The Keyword From The Given List"});
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(shown(), "Bat=night");
    // Nothing picked at all, as in add mode: the same.
    press(w->cmdAddKeyword, {});
    type("Water", "rain");
    EXPECT_EQ(press(w->cmdUpdateKeyword, {Answer::OK}),
              QStringList{"Please Select The Keyword From The Given List"});
    EXPECT_EQ(rows(), before);
}

TEST_F(KeywordEdit, DeleteAsksPerRowAndGoesByTheListSelection) {
    const QString question = "Are You Sure To Delete The Keyword ?";
    pick("dog");
    EXPECT_EQ(press(w->cmdDeleteKeyword, {Answer::No, Answer::Yes, Answer::OK}),
              QStringList({question, question, "Keyword Deleted Successfully"}));
    EXPECT_EQ(rows(), "Apple=fruit dog=first cat=c Bat=b Ärger=ä Water=w");

    pick("cat");
    w->txtKeyword->setText("Bat");
    press(w->cmdDeleteKeyword, {Answer::Yes, Answer::OK});
    const QString left = rows();
    EXPECT_EQ(left, "Apple=fruit dog=first Bat=b Ärger=ä Water=w");
    EXPECT_EQ(entries().size(), 5);

    // Nothing selected (the refresh cleared it): nothing asked, nothing deleted.
    EXPECT_TRUE(press(w->cmdDeleteKeyword, {}).isEmpty());
    EXPECT_EQ(rows(), left);
}

TEST_F(KeywordEdit, BackButtonsAskAboutAPendingAddAndStay) {
    const QString question = "Do You Want To Save Keyword";
    for (const auto& [button, target] :
         {std::pair(w->cmdBack[1], w->Frame1), std::pair(w->cmdBackToDream[3], w->Frame2)}) {
        SCOPED_TRACE(button->objectName().toStdString());
        w->BringToFront(w->Frame4);
        press(w->cmdAddKeyword, {});
        type("heron", "patience");
        EXPECT_EQ(press(button, {Answer::No}), QStringList{question});
        EXPECT_EQ(w->PanelInFront(), w->Frame4);
        EXPECT_EQ(addMode(), "&Add, list on, 'heron'");
        EXPECT_EQ(shown(), "heron=patience");
        // The list answers a click again.
        auto* list = testsupport::Find<QListWidget>(w, "lstKeywords");
        const QListWidgetItem* bat = list->findItems("Bat", Qt::MatchExactly).value(0);
        ASSERT_NE(bat, nullptr);
        list->scrollToItem(bat);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(bat).center());
        EXPECT_EQ(shown(), "Bat=b");
        EXPECT_TRUE(press(button, {}).isEmpty());
        EXPECT_EQ(w->PanelInFront(), target);
    }

    w->BringToFront(w->Frame4);
    press(w->cmdAddKeyword, {});
    type("heron", "patience");
    EXPECT_EQ(press(w->cmdBack[2], {Answer::Yes, Answer::OK}),
              QStringList({question, "Keyword Saved Successfully"}));
    EXPECT_EQ(w->PanelInFront(), w->Frame4);
    EXPECT_TRUE(rows().endsWith(" heron=patience"));
}

TEST_F(KeywordEdit, FailedWritesAreReportedAndKeepWhatWasTyped) {
    const QString before = rows();
    modDB::SimulateFault(KeywordsFile(), modDB::SimulatedFault::ReadOnly);
    press(w->cmdAddKeyword, {});
    type("owl", "wisdom");
    EXPECT_TRUE(saysOnly(press(w->cmdAddKeyword, {Answer::OK}), "Keyword \"owl\" Was Not Saved"));
    EXPECT_EQ(addMode(), "&Save, list off, 'owl'");
    EXPECT_EQ(shown(), "owl=wisdom");

    pick("cat");
    type("cat", "changed");
    EXPECT_TRUE(saysOnly(press(w->cmdUpdateKeyword, {Answer::OK}), "Were Not Saved"));
    EXPECT_EQ(shown(), "cat=changed");

    pick("Bat");
    const QStringList shownOnDelete = press(w->cmdDeleteKeyword, {Answer::Yes, Answer::OK});
    EXPECT_TRUE(saysOnly(shownOnDelete.mid(1), "Keyword \"Bat\" Was Not Deleted"));
    EXPECT_EQ(rows(), before);

    // A full disk fails the same way.
    modDB::SimulateFault(KeywordsFile(), modDB::SimulatedFault::DiskFull);
    type("owl", "wisdom");
    EXPECT_TRUE(saysOnly(press(w->cmdAddKeyword, {Answer::OK}), "Was Not Saved"));
    EXPECT_EQ(shown(), "owl=wisdom");
    modDB::SimulateFault(QString(), modDB::SimulatedFault::None);
    EXPECT_EQ(rows(), before);
}

} // namespace
