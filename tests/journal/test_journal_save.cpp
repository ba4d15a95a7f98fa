// Saving, updating and deleting entries, and what happens when the journal file refuses a write.

#include "JournalTestSupport.h"
#include "data/modDB.h"

using namespace journaltest;

namespace {

class JournalSave : public JournalFixture {};

TEST_F(JournalSave, NewEntryIsRefusedWhenBlankOrTakenAndOtherwiseStoredAsTyped) {
    Add(2008, 3, 14, "flying");
    Add(2008, 3, 15, QString::fromUtf8("Ärger"));
    Add(2001, 1, 1, "Spaced ");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    w->show();
    StartNew(w, "   ", "");
    EXPECT_EQ(Save(w), QStringList{"Exclamation: Journal Name cannot be blank."});
    EXPECT_EQ(w->focusWidget(), w->txtJournalName);
    StartNew(w, "Dream", "    ");
    EXPECT_EQ(Save(w), QStringList{"Exclamation: Journal Entry cannot be blank."});
    EXPECT_EQ(w->focusWidget(), w->rtbJournalText);

    for (const QString& name :
         {QStringLiteral("Flying"), QStringLiteral("  FLYING  "), QString::fromUtf8("ärger")}) {
        StartNew(w, name, "A cat by the water.");
        w->rtbJournalText->setFocus();
        EXPECT_EQ(Save(w), QStringList{"Critical: Journal With This Name Already Exists\n"
                                       "Please Rename The Journal"});
        EXPECT_EQ(w->focusWidget(), w->txtJournalName);
        EXPECT_EQ(w->cmdSave->text(), QStringLiteral("S&ave"));
    }
    // The analysis saves first and goes on silently with a taken name.
    w->cmdAnalyze->click();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(w->cmdSave->text(), QStringLiteral("S&ave"));
    EXPECT_EQ(RowCount(), 3);

    // A stored name keeps its own spaces when compared; line breaks and tabs are text.
    StartNew(w, "  spaced ", " \n\t ", 2008, 2, 31);
    EXPECT_EQ(Save(w), QStringList{"Information: Journal Saved Successfully"});
    const qlonglong id = LastId();
    EXPECT_EQ(Row(id), (QVariantList{"  spaced ", " \n\t ", 2008LL, 2LL, 31LL}));
    EXPECT_EQ(SelectedKey(w), EntryKey(id));
    EXPECT_TRUE(Node(w, "_2008_2")->isExpanded());
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel on");
}

TEST_F(JournalSave, UpdateWritesOnlyTheTextOfTheShownEntry) {
    const qlonglong flying = Add(2008, 3, 14, "Flying", "a");
    const qlonglong swim = Add(2008, 3, 15, "Swimming", "b");
    const qlonglong spaced = Add(2008, 3, 16, "Spaced ", "c");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);

    // Renamed in the editor to another entry's name: still the shown entry is written.
    Click(w, EntryKey(flying));
    w->txtJournalName->setText("Swimming");
    w->rtbJournalText->setPlainText("  Higher.  ");
    w->cboYear->setCurrentIndex(0);
    EXPECT_EQ(Save(w), QStringList{"Information: Journal Updated Successfully"});
    EXPECT_EQ(Row(flying), (QVariantList{"Flying", "Higher.", 2008LL, 3LL, 14LL}));
    EXPECT_EQ(Row(swim).value(1), QVariant("b"));
    EXPECT_EQ(State(w), "name on, text on, new on, save on (S&ave), delete off, cancel off");
    EXPECT_EQ(Editor(w).value(1), QStringLiteral("  Higher.  "));

    // A stored name ending in a space is found all the same.
    Click(w, EntryKey(spaced));
    w->rtbJournalText->setPlainText("Written.");
    EXPECT_EQ(Save(w), QStringList{"Information: Journal Updated Successfully"});
    EXPECT_EQ(Row(spaced).value(1), QVariant("Written."));
}

TEST_F(JournalSave, AwkwardAndHugeTextsRoundTrip) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    const QString name = QString::fromUtf8("O'Brien \"Ärger\" 🌙\tΣοφία");
    const QString text = QString::fromUtf8(
        "Line 'one' \"quoted\"\n\tTabbed 🐉 emoji\u00a0nbsp\u2028soft break\n\nend ");
    StartNew(w, name, text);
    Save(w);
    const qlonglong id = LastId();
    EXPECT_EQ(Row(id).mid(0, 2), (QVariantList{name, text}));
    Click(w, "MyDreams");
    Click(w, EntryKey(id));
    EXPECT_EQ(Editor(w).value(0), name);
    // Updating writes back the shown text, trimmed of its trailing space.
    Save(w);
    EXPECT_EQ(Row(id).value(1), QVariant(text.chopped(1)));

    // Five megabytes of text save, show and update.
    const QString big =
        QStringLiteral("A long dream goes on, line after line of it.\n").repeated(120000);
    StartNew(w, "Big", big);
    Save(w);
    const qlonglong bigId = LastId();
    Click(w, EntryKey(bigId));
    w->rtbJournalText->moveCursor(QTextCursor::Start);
    w->rtbJournalText->insertPlainText("Start. ");
    EXPECT_EQ(Save(w), QStringList{"Information: Journal Updated Successfully"});
    EXPECT_EQ(Row(bigId).value(1).toString(), QStringLiteral("Start. ") + big);
}

TEST_F(JournalSave, DeleteReselectsTheMonthTheYearOrTheRoot) {
    const qlonglong a = Add(2008, 3, 1, "A");
    const qlonglong b = Add(2008, 3, 2, "B");
    Add(2008, 4, 1, "C");
    const qlonglong d = Add(2009, 1, 1, "D");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    const QString asked = "Question: Are you sure you want to delete this journal entry ?";
    const auto remove = [&](qlonglong id, MsgBox::Answer answer) {
        Click(w, EntryKey(id));
        MsgBox::SetNextAnswer(answer);
        if (answer == MsgBox::Answer::Yes)
            MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        QTest::keyClick(w->tvDreams, Qt::Key_Delete);
        return Shown();
    };

    EXPECT_EQ(remove(a, MsgBox::Answer::No), QStringList{asked});
    EXPECT_EQ(RowCount(), 4);
    // Only Delete deletes: Qt's code for "." is the classic code of the Delete key.
    QTest::keyClick(w->tvDreams, Qt::Key_Period);
    EXPECT_EQ(Shown(), QStringList{});
    EXPECT_EQ(Editor(w).value(0), QStringLiteral("A"));
    EXPECT_EQ(remove(a, MsgBox::Answer::Yes),
              (QStringList{asked, "Critical: Journal Deleted Successfully"}));
    EXPECT_EQ(SelectedKey(w), QStringLiteral("_2008_3"));
    EXPECT_TRUE(Node(w, "_2008_3")->isExpanded());
    EXPECT_EQ(State(w), "name off, text off, new on, save on (Upd&ate), delete on, cancel off");
    remove(b, MsgBox::Answer::Yes);
    EXPECT_EQ(SelectedKey(w), QStringLiteral("_2008"));
    EXPECT_EQ(Node(w, "_2008_3"), nullptr);
    remove(d, MsgBox::Answer::Yes);
    EXPECT_EQ(SelectedKey(w), QStringLiteral("MyDreams"));
    EXPECT_EQ(RowCount(), 1);

    // A second click finds no entry selected; nor does a tree without a selection.
    w->cmdDelete->click();
    w->tvDreams->clearSelection();
    w->cmdDelete_Click();
    EXPECT_TRUE(Shown().isEmpty());
}

class JournalWriteFailure : public JournalFixture,
                            public ::testing::WithParamInterface<modDB::SimulatedFault> {};

TEST_P(JournalWriteFailure, EveryFailedWriteIsReportedAndTheEditorKept) {
    const qlonglong id = Add(2008, 3, 14, "Flying", "Up.");
    modDB::SimulateFault(DreamsFile(), GetParam());
    if (GetParam() == modDB::SimulatedFault::ReadOnly)
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    // A file that cannot be written says so once at start; a full disk shows only on writing.
    EXPECT_EQ(Shown().size(), GetParam() == modDB::SimulatedFault::ReadOnly ? 1 : 0);
    // The first line of the one message shown.
    const auto failure = [](const QStringList& shown) {
        return shown.size() == 1 ? shown[0].section('\n', 0, 0) : shown.join(" | ");
    };

    StartNew(w, "New dream", "Never stored.");
    EXPECT_EQ(failure(Save(w)), QStringLiteral("Critical: Journal Could Not Be Saved"));
    EXPECT_EQ(Editor(w).mid(0, 2), (QStringList{"New dream", "Never stored."}));
    EXPECT_EQ(State(w), "name on, text on, new off, save on (S&ave), delete off, cancel on");
    EXPECT_EQ(RowCount(), 1);

    Click(w, EntryKey(id));
    w->rtbJournalText->setPlainText("Changed.");
    EXPECT_EQ(failure(Save(w)), QStringLiteral("Critical: Journal Could Not Be Updated"));
    EXPECT_EQ(Row(id).value(1), QVariant("Up."));
    EXPECT_EQ(Editor(w).value(1), QStringLiteral("Changed."));
    EXPECT_EQ(w->cmdSave->text(), QStringLiteral("Upd&ate"));

    MsgBox::SetNextAnswer(MsgBox::Answer::Yes);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdDelete->click();
    EXPECT_EQ(failure(Shown().mid(1)), QStringLiteral("Critical: Journal Could Not Be Deleted"));
    EXPECT_EQ(RowCount(), 1);
    EXPECT_NE(Node(w, EntryKey(id)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(ReadOnlyOrFull, JournalWriteFailure,
                         ::testing::Values(modDB::SimulatedFault::ReadOnly,
                                           modDB::SimulatedFault::DiskFull));

} // namespace
