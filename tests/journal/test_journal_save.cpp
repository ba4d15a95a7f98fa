// Saving, updating and deleting entries, and what happens when the journal file refuses a write.

#include "JournalTestSupport.h"
#include "data/modDB.h"

using namespace journaltest;

namespace {

class JournalSave : public testsupport::ProgramFixture {};

// Starts a new entry, saves it through the button and gives the texts shown.
QStringList SaveNew(frmMain* w, const QString& name, const QString& text) {
    w->cmdStartNewJournal->click();
    Type(w, name, text);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    return testsupport::TakeMessageTexts();
}

qlonglong LastId(const QString& dreamsFile) {
    return testsupport::Query(dreamsFile, QStringLiteral("SELECT max(ID) FROM tblDreams"))
        .first()
        .first()
        .toLongLong();
}

TEST_F(JournalSave, NewEntryIsStoredAsTypedAndSelectedInTheTree) {
    testsupport::AddJournalRow(DreamsFile(), 2001, 1, 1, "Older", "o");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    w->cmdStartNewJournal->click();
    Type(w, "  Flying ", "  Over the sea.  ", 2008, 2, 31);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    const auto shown = MsgBox::TakeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().text, QStringLiteral("Journal Saved Successfully"));
    EXPECT_EQ(shown.first().icon, MsgBox::Icon::Information);

    const qlonglong id = LastId(DreamsFile());
    EXPECT_EQ(Row(DreamsFile(), id),
              (QVariantList{"  Flying ", "  Over the sea.  ", 2008LL, 2LL, 31LL}));
    EXPECT_EQ(SelectedKey(w), QStringLiteral("~%1").arg(id));
    EXPECT_TRUE(Node(w, "_2008_2")->isExpanded());
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel on");
}

TEST_F(JournalSave, TakenNamesAreRefusedIgnoringCaseAndSurroundingSpaces) {
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "flying", "a");
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 15, QString::fromUtf8("Ärger"), "b");
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 16, "Spaced ", "c");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    const QString taken = QStringLiteral("Journal With This Name Already Exists\n"
                                         "Please Rename The Journal");
    for (const QString& name :
         {QStringLiteral("Flying"), QStringLiteral("  FLYING  "), QString::fromUtf8("ärger")}) {
        w->cmdStartNewJournal->click();
        Type(w, name, "new");
        w->rtbJournalText->setFocus();
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        w->cmdSave->click();
        const auto shown = MsgBox::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown.first().text, taken);
        EXPECT_EQ(shown.first().icon, MsgBox::Icon::Critical);
        EXPECT_EQ(w->focusWidget(), w->txtJournalName);
        EXPECT_EQ(w->cmdSave->text(), QStringLiteral("S&ave"));
    }
    EXPECT_EQ(RowCount(DreamsFile()), 3);
    // A stored name keeps its own spaces when compared.
    EXPECT_EQ(SaveNew(w, "spaced", "d"), QStringList{"Journal Saved Successfully"});
    EXPECT_EQ(RowCount(DreamsFile()), 4);
}

TEST_F(JournalSave, UpdateWritesOnlyTheTextOfTheShownEntry) {
    const qlonglong flying = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "a");
    const qlonglong swim = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 15, "Swimming", "b");
    const qlonglong spaced = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 16, "Spaced ", "c");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);

    // Renamed in the editor to another entry's name: still the shown entry is written.
    Click(w, QStringLiteral("~%1").arg(flying));
    w->txtJournalName->setText("Swimming");
    w->rtbJournalText->setPlainText("  Higher.  ");
    w->cboYear->setCurrentIndex(0);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Journal Updated Successfully"});
    EXPECT_EQ(Row(DreamsFile(), flying), (QVariantList{"Flying", "Higher.", 2008LL, 3LL, 14LL}));
    EXPECT_EQ(Row(DreamsFile(), swim).at(1), QVariant("b"));
    EXPECT_EQ(State(w), "name on, text on, new on, save on (S&ave), delete off, cancel off");
    EXPECT_EQ(w->rtbJournalText->toPlainText(), QStringLiteral("  Higher.  "));

    // Now in new-entry mode, a second click meets the duplicate check.
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    EXPECT_EQ(testsupport::TakeMessageTexts().value(0).section('\n', 0, 0),
              QStringLiteral("Journal With This Name Already Exists"));
    EXPECT_EQ(RowCount(DreamsFile()), 3);

    // A stored name ending in a space is found all the same.
    Click(w, QStringLiteral("~%1").arg(spaced));
    w->rtbJournalText->setPlainText("Written.");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Journal Updated Successfully"});
    EXPECT_EQ(Row(DreamsFile(), spaced).at(1), QVariant("Written."));
}

TEST_F(JournalSave, AnalysisGoesOnSilentlyWithATakenName) {
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "a");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    w->cmdStartNewJournal->click();
    Type(w, " flying ", "A cat by the water.");
    w->cmdAnalyze->click();
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
    EXPECT_EQ(RowCount(DreamsFile()), 1);
    EXPECT_EQ(w->cmdSave->text(), QStringLiteral("S&ave"));
}

TEST_F(JournalSave, AwkwardTextsRoundTripExactly) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    const QString name = QString::fromUtf8("O'Brien \"Ärger\" 🌙\tΣοφία");
    const QString text = QString::fromUtf8(
        "Line 'one' \"quoted\"\n\tTabbed 🐉 emoji\u00a0nbsp\u2028soft break\n\nend ");
    SaveNew(w, name, text);
    const qlonglong id = LastId(DreamsFile());
    EXPECT_EQ(Row(DreamsFile(), id).mid(0, 2), (QVariantList{name, text}));

    Click(w, "MyDreams");
    Click(w, QStringLiteral("~%1").arg(id));
    EXPECT_EQ(w->txtJournalName->text(), name);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    EXPECT_EQ(Row(DreamsFile(), id).at(1), QVariant(text.chopped(1)));

    // Five megabytes of text save, show and update.
    QString big;
    while (big.size() < 5 * 1024 * 1024)
        big += QStringLiteral("A long dream goes on and on, line after line of it. %1\n")
                   .arg(big.size());
    SaveNew(w, "Big", big);
    const qlonglong bigId = LastId(DreamsFile());
    EXPECT_EQ(Row(DreamsFile(), bigId).at(1).toString().size(), big.size());
    Click(w, QStringLiteral("~%1").arg(bigId));
    w->rtbJournalText->moveCursor(QTextCursor::Start);
    w->rtbJournalText->insertPlainText("Start. ");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    EXPECT_EQ(Row(DreamsFile(), bigId).at(1).toString(), QStringLiteral("Start. ") + big);
}

TEST_F(JournalSave, DeleteReselectsTheMonthTheYearOrTheRoot) {
    const qlonglong a = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 1, "A", "a");
    const qlonglong b = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 2, "B", "b");
    testsupport::AddJournalRow(DreamsFile(), 2008, 4, 1, "C", "c");
    const qlonglong d = testsupport::AddJournalRow(DreamsFile(), 2009, 1, 1, "D", "d");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);

    auto remove = [&](qlonglong id, MsgBox::Answer answer) {
        Click(w, QStringLiteral("~%1").arg(id));
        MsgBox::SetNextAnswer(answer);
        if (answer == MsgBox::Answer::Yes)
            MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        QTest::keyClick(w->tvDreams, Qt::Key_Delete);
        return MsgBox::TakeShown();
    };

    auto shown = remove(a, MsgBox::Answer::No);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text,
              QStringLiteral("Are you sure you want to delete this journal entry ?"));
    EXPECT_EQ(shown[0].icon, MsgBox::Icon::Question);
    EXPECT_EQ(RowCount(DreamsFile()), 4);
    EXPECT_EQ(w->txtJournalName->text(), QStringLiteral("A"));

    shown = remove(a, MsgBox::Answer::Yes);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].text, QStringLiteral("Journal Deleted Successfully"));
    EXPECT_EQ(shown[1].icon, MsgBox::Icon::Critical);
    EXPECT_EQ(SelectedKey(w), QStringLiteral("_2008_3"));
    EXPECT_TRUE(Node(w, "_2008_3")->isExpanded());
    EXPECT_EQ(State(w), "name off, text off, new on, save on (Upd&ate), delete on, cancel off");

    remove(b, MsgBox::Answer::Yes);
    EXPECT_EQ(SelectedKey(w), QStringLiteral("_2008"));
    EXPECT_EQ(Node(w, "_2008_3"), nullptr);
    remove(d, MsgBox::Answer::Yes);
    EXPECT_EQ(SelectedKey(w), QStringLiteral("MyDreams"));
    EXPECT_EQ(RowCount(DreamsFile()), 1);

    // A second click finds no entry selected; nor does a tree without a selection.
    w->cmdDelete->click();
    w->tvDreams->clearSelection();
    w->cmdDelete_Click();
    EXPECT_TRUE(MsgBox::TakeShown().isEmpty());
}

class JournalWriteFailure : public testsupport::ProgramFixture {};

TEST_F(JournalWriteFailure, ReadOnlyJournalReportsEveryFailedWriteAndKeepsTheEditor) {
    const qlonglong id = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "Up.");
    modDB::SimulateFault(DreamsFile(), modDB::SimulatedFault::ReadOnly);
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);

    auto failure = [](const QString& firstLine) {
        const auto shown = MsgBox::TakeShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].icon, MsgBox::Icon::Critical);
        EXPECT_EQ(shown[0].text.section('\n', 0, 0), firstLine);
        EXPECT_FALSE(shown[0].text.contains("Successfully"));
    };

    w->cmdStartNewJournal->click();
    Type(w, "New dream", "Never stored.");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    failure("Journal Could Not Be Saved");
    EXPECT_EQ(w->txtJournalName->text(), QStringLiteral("New dream"));
    EXPECT_EQ(w->rtbJournalText->toPlainText(), QStringLiteral("Never stored."));
    EXPECT_EQ(State(w), "name on, text on, new off, save on (S&ave), delete off, cancel on");
    EXPECT_EQ(RowCount(DreamsFile()), 1);
    EXPECT_EQ(Node(w, "_2008")->childCount(), 1);

    Click(w, QStringLiteral("~%1").arg(id));
    w->rtbJournalText->setPlainText("Changed.");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    failure("Journal Could Not Be Updated");
    EXPECT_EQ(Row(DreamsFile(), id).at(1), QVariant("Up."));
    EXPECT_EQ(w->rtbJournalText->toPlainText(), QStringLiteral("Changed."));
    EXPECT_EQ(w->cmdSave->text(), QStringLiteral("Upd&ate"));

    MsgBox::SetNextAnswer(MsgBox::Answer::Yes);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdDelete->click();
    const auto shown = MsgBox::TakeShown();
    EXPECT_EQ(shown.size(), 2);
    EXPECT_EQ(shown.value(1).text.section('\n', 0, 0),
              QStringLiteral("Journal Could Not Be Deleted"));
    EXPECT_EQ(RowCount(DreamsFile()), 1);
    EXPECT_NE(Node(w, QStringLiteral("~%1").arg(id)), nullptr);
}

TEST_F(JournalWriteFailure, FullDiskKeepsTheNewEntryInTheEditor) {
    modDB::SimulateFault(DreamsFile(), modDB::SimulatedFault::DiskFull);
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    w->cmdStartNewJournal->click();
    Type(w, "Full", "No room.");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
    const QStringList texts = testsupport::TakeMessageTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith("Journal Could Not Be Saved\n")) << texts[0].toStdString();
    EXPECT_EQ(RowCount(DreamsFile()), 0);
    EXPECT_EQ(w->txtJournalName->text(), QStringLiteral("Full"));
}

} // namespace
