// Adding, editing and deleting keywords on the dictionary panel, and the back buttons.

#include "DictionaryPanel.h"

namespace {

using KeywordEdit = DictionaryPanel;

// Exactly one message was shown, and it says `part`.
::testing::AssertionResult saysOnly(const QStringList& shown, const QString& part) {
    if (shown.size() == 1 && shown[0].contains(part))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "shown: " << shown.join(" | ").toStdString();
}

TEST_F(KeywordEdit, AddModeRefusesDuplicatesAndEmptyBoxesThenSavesTrimmed) {
    const QString before = rows();
    EXPECT_EQ(press("cmdAddKeyword"), QStringList{});
    EXPECT_EQ(addMode(), "&Save, list off, ''");

    type("apple", "another");
    EXPECT_EQ(press("cmdAddKeyword", {Reply::OK}),
              QStringList{"Critical: This Keyword Already Exists"});
    EXPECT_EQ(addMode(), "&Save, list off, 'apple'");

    meaning->setPlainText("   ");
    EXPECT_EQ(press("cmdAddKeyword", {Reply::OK}),
              QStringList{"Critical: Please Enter The Keyword And Its Corresponding Description"});
    EXPECT_EQ(addMode(), "&Save, list on, ''");
    EXPECT_EQ(rows(), before);

    // Still in add mode: the next click saves, trimmed of spaces only. A long meaning saves and
    // shows whole.
    const QString longMeaning(100000, QLatin1Char('m'));
    type("  pear  ", "  " + longMeaning + "\t ");
    EXPECT_EQ(press("cmdAddKeyword", {Reply::OK}),
              QStringList{"Information: Keyword Saved Successfully"});
    EXPECT_EQ(rows(), before + " pear=" + longMeaning + "\t");
    EXPECT_EQ(addMode(), "&Add, list on, ''");
    EXPECT_EQ(shown(), "=");
    EXPECT_EQ(entries().indexOf("pear"), 6);
    pick("pear");
    EXPECT_EQ(shown(), "pear=" + longMeaning + "\t");
}

TEST_F(KeywordEdit, EditRewritesEveryRowOfThePickedKeywordAndNoOther) {
    Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES (' Dog ', 'imported')");
    button("cmdRefresh")->click();
    pick("dog");
    type("DOG ", " loyal ");
    EXPECT_EQ(press("cmdUpdateKeyword", {Reply::OK}),
              QStringList{"Information: Keyword Updates Successfully"});
    const QString edited = "Apple=fruit DOG=loyal cat=c DOG=loyal Bat=b Ärger=ä Water=w ";
    EXPECT_EQ(rows(), edited + " Dog =imported");
    EXPECT_EQ(shown(), "=");

    // " Dog " differs in its spaces: it is a keyword of its own. The description is stored as
    // typed: no-break spaces and line separators stay what they are.
    const QString exact = QString::fromUtf8("pale\u00a0light\u2028second line");
    pick(" Dog ");
    EXPECT_EQ(shown(), " Dog =imported");
    meaning->setPlainText(exact);
    press("cmdUpdateKeyword", {Reply::OK});
    EXPECT_EQ(rows(), edited + "Dog=" + exact);

    // Picked cat, then typed another keyword over it; or nothing picked, as in add mode:
    // nothing changes, and the typing stays.
    const QString before = rows();
    pick("cat");
    type("Bat", "night");
    EXPECT_EQ(press("cmdUpdateKeyword", {Reply::OK}),
              QStringList{"Critical: Please Select The Keyword From The Given List"});
    EXPECT_EQ(shown(), "Bat=night");
    press("cmdAddKeyword");
    type("Water", "rain");
    EXPECT_EQ(press("cmdUpdateKeyword", {Reply::OK}),
              QStringList{"Critical: Please Select The Keyword From The Given List"});
    EXPECT_EQ(rows(), before);
    press("cmdBack_1", {Reply::No});

    // A picked keyword that is gone meanwhile: nothing changes, and the user is told so.
    pick("Bat");
    Exec(KeywordsFile(), "DELETE FROM tblKeywords WHERE Keyword = 'Bat'");
    type("Bat", "horn");
    EXPECT_TRUE(saysOnly(press("cmdUpdateKeyword", {Reply::OK}), "Not Found"));
    EXPECT_EQ(shown(), "Bat=horn");
    EXPECT_FALSE(rows().contains("horn"));
}

TEST_F(KeywordEdit, DeleteAsksPerRowAndGoesByTheListSelection) {
    const QString question = "Exclamation: Are You Sure To Delete The Keyword ? [Yes No; No]";
    pick("dog");
    EXPECT_EQ(press("cmdDeleteKeyword", {Reply::No, Reply::Yes, Reply::OK}),
              QStringList({question, question, "Critical: Keyword Deleted Successfully"}));
    EXPECT_EQ(rows(), "Apple=fruit dog=first cat=c Bat=b Ärger=ä Water=w");

    pick("cat");
    keyword->setText("Bat");
    press("cmdDeleteKeyword", {Reply::Yes, Reply::OK});
    const QString left = rows();
    EXPECT_EQ(left, "Apple=fruit dog=first Bat=b Ärger=ä Water=w");
    EXPECT_EQ(entries().size(), 5);

    // Nothing selected (the refresh cleared it): nothing asked, nothing deleted.
    EXPECT_EQ(press("cmdDeleteKeyword"), QStringList{});
    EXPECT_EQ(rows(), left);
}

TEST_F(KeywordEdit, BackButtonsAskAboutAPendingAddAndStay) {
    const QString question = "Critical: Do You Want To Save Keyword [Yes No; Yes]";
    for (const auto& [back, target] :
         {std::pair("cmdBack_1", "Frame1"), std::pair("cmdBackToDream_3", "Frame2")}) {
        SCOPED_TRACE(back);
        button("cmdDreamDictionary")->click();
        press("cmdAddKeyword");
        type("heron", "patience");
        EXPECT_EQ(press(back, {Reply::No}), QStringList{question});
        EXPECT_EQ(PanelInFront(), "Frame4");
        EXPECT_EQ(addMode(), "&Add, list on, 'heron'");
        EXPECT_EQ(shown(), "heron=patience");
        // The list answers a click again.
        const QListWidgetItem* bat = list->findItems("Bat", Qt::MatchExactly).value(0);
        ASSERT_NE(bat, nullptr);
        list->scrollToItem(bat);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(bat).center());
        EXPECT_EQ(shown(), "Bat=b");
        EXPECT_EQ(press(back), QStringList{});
        EXPECT_EQ(PanelInFront(), target);
    }

    button("cmdDreamDictionary")->click();
    press("cmdAddKeyword");
    type("heron", "patience");
    EXPECT_EQ(press("cmdBack_2", {Reply::Yes, Reply::OK}),
              QStringList({question, "Information: Keyword Saved Successfully"}));
    EXPECT_EQ(PanelInFront(), "Frame4");
    EXPECT_TRUE(rows().endsWith(" heron=patience"));
}

class FailedKeywordWrite : public DictionaryPanel, public ::testing::WithParamInterface<Fault> {};

TEST_P(FailedKeywordWrite, IsReportedAndKeepsWhatWasTyped) {
    const QString before = rows();
    SimulateFault(GetParam(), KeywordsFile());
    press("cmdAddKeyword");
    type("owl", "wisdom");
    EXPECT_TRUE(saysOnly(press("cmdAddKeyword", {Reply::OK}), "Keyword \"owl\" Was Not Saved"));
    EXPECT_EQ(addMode(), "&Save, list off, 'owl'");
    EXPECT_EQ(shown(), "owl=wisdom");
    press("cmdBack_1", {Reply::No});

    pick("cat");
    type("cat", "changed");
    EXPECT_TRUE(saysOnly(press("cmdUpdateKeyword", {Reply::OK}), "Were Not Saved"));
    EXPECT_EQ(shown(), "cat=changed");

    pick("Bat");
    const QStringList shownOnDelete = press("cmdDeleteKeyword", {Reply::Yes, Reply::OK});
    EXPECT_TRUE(saysOnly(shownOnDelete.mid(1), "Keyword \"Bat\" Was Not Deleted"));
    SimulateFault(Fault::None);
    EXPECT_EQ(rows(), before);
}

INSTANTIATE_TEST_SUITE_P(ReadOnlyOrFull, FailedKeywordWrite,
                         ::testing::Values(Fault::ReadOnly, Fault::DiskFull));

} // namespace
