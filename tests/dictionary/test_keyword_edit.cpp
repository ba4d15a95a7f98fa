// Adding, editing and deleting keywords on the dictionary panel, and the back buttons.

#include "TestSupport.h"
#include "app/frmMain.h"
#include "data/modDB.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using MsgBox::Answer;

class KeywordEdit : public testsupport::ProgramFixture {
protected:
    testsupport::Dictionary InitialDictionary() const override {
        return {
            {"Apple", "fruit"}, {"Dog", "first"}, {"cat", "c"}, {"dog", "second"}, {"Bat", "b"}};
    }
    void SetUp() override {
        ProgramFixture::SetUp();
        w = StartMain();
        ASSERT_NE(w, nullptr);
        w->BringToFront(w->Frame4);
        testsupport::TakeMessageTexts();
    }
    // Every row as "keyword=description", in table order.
    QStringList rows() const {
        QStringList out;
        for (const auto& row : testsupport::Query(
                 KeywordsFile(), "SELECT Keyword, Description FROM tblKeywords ORDER BY rowid"))
            out << row[0].toString() + "=" + row[1].toString();
        return out;
    }
    void type(const QString& keyword, const QString& description) {
        w->txtKeyword->setText(keyword);
        w->txtKeywordDesc->setPlainText(description);
    }
    void pick(const QString& text) {
        const auto found = w->lstKeywords->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        w->lstKeywords->setCurrentItem(found.first());
    }
    QString caption() const { return w->cmdAddKeyword->text(); }
    // Clicks `button`, answering its message boxes in turn, and gives the texts they showed.
    QStringList press(QPushButton* button, std::initializer_list<Answer> answers) {
        for (const Answer answer : answers)
            MsgBox::SetNextAnswer(answer);
        button->click();
        EXPECT_EQ(MsgBox::PendingAnswers(), 0) << "fewer messages than answers";
        return testsupport::TakeMessageTexts();
    }

    frmMain* w = nullptr;
};

TEST_F(KeywordEdit, AddModeSavesATrimmedKeyword) {
    EXPECT_TRUE(press(w->cmdAddKeyword, {}).isEmpty());
    EXPECT_EQ(caption(), QStringLiteral("&Save"));
    EXPECT_FALSE(w->lstKeywords->isEnabled());
    EXPECT_TRUE(w->txtKeyword->text().isEmpty());

    type("  pear  ", "  Sweet, soft.\t ");
    EXPECT_EQ(press(w->cmdAddKeyword, {Answer::OK}), QStringList{"Keyword Saved Successfully"});
    EXPECT_EQ(rows().last(), QStringLiteral("pear=Sweet, soft.\t"));
    EXPECT_EQ(caption(), QStringLiteral("&Add"));
    EXPECT_TRUE(w->lstKeywords->isEnabled());
    EXPECT_TRUE(w->txtKeyword->text().isEmpty() && w->txtKeywordDesc->toPlainText().isEmpty());
    EXPECT_EQ(w->lstKeywords->count(), 6);
}

TEST_F(KeywordEdit, AddRefusesDuplicatesAndEmptyBoxesButStaysInAddMode) {
    press(w->cmdAddKeyword, {});
    type("apple", "another");
    EXPECT_EQ(press(w->cmdAddKeyword, {Answer::OK}), QStringList{"This Keyword Already Exists"});
    EXPECT_EQ(caption(), QStringLiteral("&Save"));
    EXPECT_FALSE(w->lstKeywords->isEnabled());
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("apple"));
    EXPECT_EQ(rows().size(), 5);

    w->txtKeywordDesc->setPlainText("   ");
    EXPECT_EQ(press(w->cmdAddKeyword, {Answer::OK}),
              QStringList{"Please Enter The Keyword And Its Corresponding Description"});
    EXPECT_EQ(caption(), QStringLiteral("&Save"));
    EXPECT_TRUE(w->lstKeywords->isEnabled());
    EXPECT_TRUE(w->txtKeyword->text().isEmpty());

    // Still in add mode: the next click saves. A long meaning saves and shows whole.
    const QString longMeaning(100000, QLatin1Char('m'));
    type("owl", longMeaning);
    press(w->cmdAddKeyword, {Answer::OK});
    EXPECT_EQ(caption(), QStringLiteral("&Add"));
    pick("owl");
    EXPECT_EQ(w->txtKeywordDesc->toPlainText(), longMeaning);
}

TEST_F(KeywordEdit, EditRewritesEveryRowWithTheKeyword) {
    type("DOG ", " loyal ");
    EXPECT_EQ(press(w->cmdUpdateKeyword, {Answer::OK}),
              QStringList{"Keyword Updates Successfully"});
    EXPECT_EQ(rows(), QStringList({"Apple=fruit", "DOG=loyal", "cat=c", "DOG=loyal", "Bat=b"}));
    EXPECT_TRUE(w->txtKeyword->text().isEmpty());

    // A keyword that no row has: nothing changes, and the user is told so.
    type("Unicorn", "horn");
    const QStringList shown = press(w->cmdUpdateKeyword, {Answer::OK});
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("Not Found")) << shown[0].toStdString();
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("Unicorn"));
    EXPECT_EQ(rows().size(), 5);

    type("cat", "");
    EXPECT_EQ(press(w->cmdUpdateKeyword, {Answer::OK}),
              QStringList{"Please Select The Keyword From The Given List"});
    EXPECT_TRUE(w->txtKeyword->text().isEmpty());
}

TEST_F(KeywordEdit, DeleteAsksPerRowAndGoesByTheListSelection) {
    const QString question = QStringLiteral("Are You Sure To Delete The Keyword ?");
    pick("dog");
    EXPECT_EQ(press(w->cmdDeleteKeyword, {Answer::No, Answer::Yes, Answer::OK}),
              QStringList({question, question, "Keyword Deleted Successfully"}));
    EXPECT_EQ(rows(), QStringList({"Apple=fruit", "Dog=first", "cat=c", "Bat=b"}));
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("dog"));

    pick("cat");
    w->txtKeyword->setText("Bat");
    press(w->cmdDeleteKeyword, {Answer::Yes, Answer::OK});
    EXPECT_EQ(rows(), QStringList({"Apple=fruit", "Dog=first", "Bat=b"}));
    EXPECT_EQ(w->lstKeywords->count(), 3);

    // Nothing selected (the refresh cleared it): nothing asked, nothing deleted.
    EXPECT_TRUE(press(w->cmdDeleteKeyword, {}).isEmpty());
    EXPECT_EQ(rows().size(), 3);
    w->txtKeywordDesc->clear();
    EXPECT_EQ(press(w->cmdDeleteKeyword, {Answer::OK}),
              QStringList{"Please Select The Keyword To Delete"});
}

TEST_F(KeywordEdit, BackButtonsAskAboutAPendingAddAndStay) {
    const std::vector<std::pair<QPushButton*, QWidget*>> backs = {
        {w->cmdBack[0], w->Frame1},
        {w->cmdBack[1], w->Frame1},
        {w->cmdBack[2], w->Frame1},
        {w->cmdBackToDream[0], w->Frame2},
        {w->cmdBackToDream[3], w->Frame2}};
    for (const auto& [button, target] : backs) {
        SCOPED_TRACE(button->objectName().toStdString());
        w->BringToFront(w->Frame4);
        press(w->cmdAddKeyword, {});
        type("heron", "patience");
        EXPECT_EQ(press(button, {Answer::No}), QStringList{"Do You Want To Save Keyword"});
        EXPECT_EQ(w->PanelInFront(), w->Frame4);
        EXPECT_EQ(caption(), QStringLiteral("&Add"));
        EXPECT_FALSE(w->lstKeywords->isEnabled());
        EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("heron"));
        EXPECT_TRUE(press(button, {}).isEmpty());
        EXPECT_EQ(w->PanelInFront(), target);
    }

    w->BringToFront(w->Frame4);
    press(w->cmdAddKeyword, {});
    type("heron", "patience");
    EXPECT_EQ(press(w->cmdBack[2], {Answer::Yes, Answer::OK}),
              QStringList({"Do You Want To Save Keyword", "Keyword Saved Successfully"}));
    EXPECT_EQ(w->PanelInFront(), w->Frame4);
    EXPECT_EQ(rows().last(), QStringLiteral("heron=patience"));
}

TEST_F(KeywordEdit, FailedWritesAreReportedAndKeepWhatWasTyped) {
    const QStringList before = rows();
    modDB::SimulateFault(KeywordsFile(), modDB::SimulatedFault::ReadOnly);

    press(w->cmdAddKeyword, {});
    type("owl", "wisdom");
    QStringList shown = press(w->cmdAddKeyword, {Answer::OK});
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("The Keyword \"owl\" Was Not Saved")) << shown[0].toStdString();
    EXPECT_EQ(caption(), QStringLiteral("&Save"));
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("owl"));
    EXPECT_EQ(w->txtKeywordDesc->toPlainText(), QStringLiteral("wisdom"));

    type("cat", "changed");
    shown = press(w->cmdUpdateKeyword, {Answer::OK});
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("Were Not Saved")) << shown[0].toStdString();
    EXPECT_EQ(w->txtKeywordDesc->toPlainText(), QStringLiteral("changed"));

    pick("Bat");
    shown = press(w->cmdDeleteKeyword, {Answer::Yes, Answer::OK});
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].startsWith("The Keyword \"Bat\" Was Not Deleted"))
        << shown[1].toStdString();
    EXPECT_EQ(rows(), before);

    // A full disk fails the same way.
    modDB::SimulateFault(KeywordsFile(), modDB::SimulatedFault::DiskFull);
    type("owl", "wisdom");
    shown = press(w->cmdAddKeyword, {Answer::OK});
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("Was Not Saved")) << shown[0].toStdString();
    EXPECT_EQ(w->txtKeyword->text(), QStringLiteral("owl"));
    modDB::SimulateFault(QString(), modDB::SimulatedFault::None);
    EXPECT_EQ(rows(), before);
}

} // namespace
