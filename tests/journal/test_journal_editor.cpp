// The journal editor: its states, showing stored entries and refusing blank ones.

#include "JournalTestSupport.h"

using namespace journaltest;

namespace {

class JournalEditor : public testsupport::ProgramFixture {};

TEST_F(JournalEditor, StateTableHoldsAfterEveryTransition) {
    const qlonglong id = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "Up.");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    const QString key = QStringLiteral("~%1").arg(id);
    EXPECT_EQ(State(w).section(", ", 2),
              "new on, save off (S&ave/Update Journal), delete off, cancel off");
    EXPECT_FALSE(w->txtJournalName->isEnabled());

    w->cmdStartNewJournal->click();
    EXPECT_EQ(w->PanelInFront(), static_cast<QWidget*>(w->Frame2));
    EXPECT_EQ(State(w), "name on, text on, new off, save on (S&ave), delete off, cancel on");
    EXPECT_EQ(w->focusWidget(), w->txtJournalName);
    EXPECT_TRUE(w->tvDreams->selectedItems().isEmpty());

    Click(w, key);
    EXPECT_EQ(State(w), "name on, text on, new off, save on (Upd&ate), delete on, cancel on");

    w->cmdCancel->click();
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");
    EXPECT_FALSE(w->rtbJournalText1->isEnabled());
    EXPECT_TRUE(w->txtJournalName->text().isEmpty());
    EXPECT_TRUE(w->rtbJournalText->toPlainText().isEmpty());
    EXPECT_TRUE(w->rtbJournalText1->toPlainText().isEmpty());
    EXPECT_TRUE(w->tvDreams->selectedItems().isEmpty());

    Click(w, key);
    EXPECT_EQ(w->rtbJournalText1->toPlainText(), QStringLiteral("Up."));
    Click(w, "MyDreams");
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");
    EXPECT_TRUE(w->rtbJournalText1->toPlainText().isEmpty());
}

TEST_F(JournalEditor, ShowsDatesByListPositionAndKeepsListsForOutOfRangeValues) {
    const qlonglong leap = testsupport::AddJournalRow(DreamsFile(), 2000, 2, 29, "Leap", "x");
    const qlonglong early = testsupport::AddJournalRow(DreamsFile(), 1899, 7, 4, "Early", "y");
    const qlonglong late = testsupport::AddJournalRow(DreamsFile(), 2051, 13, 32, "Late", "z");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);

    Click(w, QStringLiteral("~%1").arg(leap));
    EXPECT_EQ(w->cboMonth->currentIndex(), 1);
    EXPECT_EQ(w->cboDate->currentIndex(), 28);
    EXPECT_EQ(w->cboYear->currentIndex(), 100);

    Click(w, QStringLiteral("~%1").arg(early));
    EXPECT_EQ(w->cboYear->currentIndex(), 100);
    EXPECT_EQ(w->cboMonth->currentIndex(), 6);
    EXPECT_EQ(w->cboDate->currentIndex(), 3);
    EXPECT_EQ(w->txtJournalName->text(), QStringLiteral("Early"));

    Click(w, QStringLiteral("~%1").arg(late));
    EXPECT_EQ(w->cboYear->currentIndex(), 100);
    EXPECT_EQ(w->cboMonth->currentIndex(), 6);
    EXPECT_EQ(w->cboDate->currentIndex(), 3);
    EXPECT_EQ(w->rtbJournalText->toPlainText(), QStringLiteral("z"));
}

TEST_F(JournalEditor, RefusesBlankNamesAndTextsCountingOnlySpacesAsBlank) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    w->cmdStartNewJournal->click();
    w->show();

    auto refused = [&](const QString& name, const QString& text, const QString& message,
                       QWidget* focus) {
        Type(w, name, text);
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        w->cmdSave->click();
        const auto shown = MsgBox::TakeShown();
        ASSERT_EQ(shown.size(), 1) << name.toStdString();
        EXPECT_EQ(shown.first().text, message);
        EXPECT_EQ(shown.first().icon, MsgBox::Icon::Exclamation);
        EXPECT_EQ(w->focusWidget(), focus);
        EXPECT_EQ(RowCount(DreamsFile()), 0);
    };
    refused("   ", "", "Journal Name cannot be blank.", w->txtJournalName);
    refused("Dream", "    ", "Journal Entry cannot be blank.", w->rtbJournalText);

    // Line breaks and tabs are text.
    for (const QString& text : {QStringLiteral("\n\n"), QStringLiteral("\t")}) {
        Type(w, QStringLiteral("Dream %1").arg(text.size()), text);
        w->cmdSave->setText(QStringLiteral("S&ave"));
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        w->cmdSave->click();
        EXPECT_EQ(testsupport::TakeMessageTexts(),
                  QStringList{QStringLiteral("Journal Saved Successfully")});
    }
    EXPECT_EQ(RowCount(DreamsFile()), 2);
}

} // namespace
