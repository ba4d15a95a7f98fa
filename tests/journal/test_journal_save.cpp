// Saving, updating and deleting entries, and what happens when the journal file refuses a write.

#include "JournalTestSupport.h"

using namespace journaltest;

namespace {

class JournalSave : public JournalFixture {};

const QString kTaken = "Critical: Journal With This Name Already Exists\nPlease Rename The Journal";
const QString kSaved = "Information: Journal Saved Successfully";
const QString kUpdated = "Information: Journal Updated Successfully";

TEST_F(JournalSave, NewEntryIsRefusedWhenBlankOrTakenAndOtherwiseStoredAsTyped) {
    Add(2008, 3, 14, "flying");
    Add(2001, 1, 1, "Spaced ");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    // Name, text, the message, and whether the focus goes to the name box or the text box.
    const std::tuple<const char*, const char*, QString, bool> refusals[] = {
        {"   ", "", "Exclamation: Journal Name cannot be blank.", true},
        {"Dream", "    ", "Exclamation: Journal Entry cannot be blank.", false},
        {"  FLYING  ", "A cat.", kTaken, true}};
    for (const auto& [name, text, message, toName] : refusals) {
        StartNew(w, name, text);
        (toName ? static_cast<QWidget*>(TextBox(w)) : NameBox(w))->setFocus();
        EXPECT_EQ(Save(w), QStringList{message}) << name;
        EXPECT_EQ(w->focusWidget(), toName ? static_cast<QWidget*>(NameBox(w)) : TextBox(w));
        EXPECT_EQ(Button(w, "cmdSave")->text(), "S&ave");
    }
    EXPECT_EQ(Count(), 2);

    // A stored name keeps its own spaces when compared; line breaks and tabs are text.
    StartNew(w, "  spaced ", " \n\t ", 2008, 2, 29);
    EXPECT_EQ(Save(w), QStringList{kSaved});
    const qlonglong id = Count("max(ID)");
    EXPECT_EQ(Row(id), (QVariantList{"  spaced ", " \n\t ", 2008LL, 2LL, 29LL}));
    EXPECT_EQ(SelectedKey(w), EntryKey(id));
    EXPECT_TRUE(Node(w, "_2008_2")->isExpanded());
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel on");
}

TEST_F(JournalSave, UpdateRenamesAndRedatesTheShownEntryByItsId) {
    const qlonglong flying = Add(2008, 3, 14, "Flying", "a");
    const qlonglong swim = Add(2008, 3, 15, "Swimming", "b");
    const qlonglong far = Add(2051, 6, 1, "Far ahead", "c");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    // Another entry's name is refused, and nothing at all is stored.
    Click(w, EntryKey(flying));
    NameBox(w)->setText(" swimming ");
    TextBox(w)->setPlainText("Lost?");
    EXPECT_EQ(Save(w), QStringList{kTaken});
    EXPECT_EQ(Row(flying), (QVariantList{"Flying", "a", 2008LL, 3LL, 14LL}));
    EXPECT_EQ(Editor(w).mid(0, 2), (QStringList{" swimming ", "Lost?"}));

    // A new name and date: stored, and the tree shows the entry there, selected.
    NameBox(w)->setText("Soaring");
    TextBox(w)->setPlainText("  Higher.  ");
    SetDate(w, 2009, 7, 4);
    EXPECT_EQ(Save(w), QStringList{kUpdated});
    EXPECT_EQ(Row(flying), (QVariantList{"Soaring", "Higher.", 2009LL, 7LL, 4LL}));
    EXPECT_EQ(Row(swim), (QVariantList{"Swimming", "b", 2008LL, 3LL, 15LL}));
    EXPECT_EQ(SelectedKey(w), EntryKey(flying));
    EXPECT_EQ(Node(w, EntryKey(flying))->text(0), "Soaring (7-4-2009)");
    EXPECT_EQ(Node(w, EntryKey(flying))->parent(), Node(w, "_2009_7"));
    EXPECT_EQ(Node(w, "_2008_3")->childCount(), 1);
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel off");
    EXPECT_EQ(Editor(w).value(1), "  Higher.  ");

    // Its own name in other letters is no clash; the name it gave up is free again.
    NameBox(w)->setText("SOARING");
    EXPECT_EQ(Save(w), QStringList{kUpdated});
    EXPECT_EQ(Row(flying).value(0), "SOARING");
    StartNew(w, "flying", "Again.");
    EXPECT_EQ(Save(w), QStringList{kSaved});

    // A year the list cannot show stays as stored while the list is left alone.
    Click(w, EntryKey(far));
    TextBox(w)->setPlainText("Later still.");
    EXPECT_EQ(Save(w), QStringList{kUpdated});
    EXPECT_EQ(Row(far), (QVariantList{"Far ahead", "Later still.", 2051LL, 6LL, 1LL}));
}

// Save, Analyze and Save again, on a new entry and on one opened from the tree: one row each,
// and no message but the save's own.
TEST_F(JournalSave, SavingAndAnalysingTheSameEntryAgainNeverDuplicatesIt) {
    const qlonglong shown = Add(2008, 3, 14, "Shown", "A cat.");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    StartNew(w, "Night", "Water.");
    EXPECT_EQ(Press(Button(w, "cmdAnalyze"), {Reply::OK}), QStringList{kSaved});
    const qlonglong night = Count("max(ID)");
    TextBox(w)->setPlainText("Water, then a cat.");
    for (const QString& entry : {EntryKey(night), EntryKey(shown)}) {
        if (SelectedKey(w) != entry)
            Click(w, entry);
        for (const char* button : {"cmdSave", "cmdAnalyze", "cmdAnalyze", "cmdSave", "cmdSave"})
            EXPECT_EQ(Press(Button(w, button), {Reply::OK}), QStringList{kUpdated}) << button;
        EXPECT_EQ(SelectedKey(w), entry);
    }
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Row(night).value(1), "Water, then a cat.");
}

TEST_F(JournalSave, AwkwardTextsRoundTripAndAnUpdateTrimsTheTrailingSpace) {
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    const QString name = "O'Brien \"Ärger\" 🌙\tΣοφία";
    const QString text = "Line 'one' \"quoted\"\n\tTabbed 🐉\u00a0nbsp\u2028soft break\n\nend ";
    StartNew(w, name, text);
    EXPECT_EQ(Save(w), QStringList{kSaved});
    const qlonglong id = Count("max(ID)");
    EXPECT_EQ(Row(id).mid(0, 2), (QVariantList{name, text}));
    Click(w, "MyDreams");
    Click(w, EntryKey(id));
    EXPECT_EQ(Editor(w).value(0), name);
    EXPECT_EQ(Save(w), QStringList{kUpdated});
    EXPECT_EQ(Row(id).value(1).toString(), text.chopped(1));
}

TEST_F(JournalSave, DeleteRemovesTheShownEntryAndReselectsItsMonthYearOrRoot) {
    const qlonglong a = Add(2008, 3, 1, "A"), b = Add(2008, 3, 2, "B");
    Add(2008, 4, 1, "C");
    const qlonglong d = Add(2009, 1, 1, "D");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    const QString asked =
        "Question: Are you sure you want to delete this journal entry ? [Yes No; No]";
    const QStringList deleted = {asked, "Critical: Journal Deleted Successfully"};
    const auto deleteKey = [w](std::initializer_list<Reply> replies) {
        Answer(replies);
        TreeKey(w, Qt::Key_Delete);
        return Shown();
    };
    Click(w, EntryKey(a));
    EXPECT_EQ(deleteKey({Reply::No}), QStringList{asked});
    // Only Delete deletes: Qt's code for "." is the classic code of the Delete key.
    TreeKey(w, Qt::Key_Period);
    EXPECT_EQ(Shown(), QStringList{});
    EXPECT_EQ(Count(), 4);

    // The arrow key opens the next entry as a click would; Delete then removes that one.
    TreeKey(w, Qt::Key_Down);
    EXPECT_EQ(Editor(w).value(0), "B");
    EXPECT_EQ(deleteKey({Reply::Yes, Reply::OK}), deleted);
    EXPECT_EQ(Row(b), QVariantList{});
    EXPECT_EQ(SelectedKey(w), "_2008_3");
    EXPECT_TRUE(Node(w, "_2008_3")->isExpanded());
    EXPECT_EQ(State(w), "name off, text off, new on, save on (Upd&ate), delete on, cancel off");

    // The button acts on the entry shown, wherever the highlight was moved programmatically.
    Click(w, EntryKey(a));
    Tree(w)->clearSelection();
    EXPECT_EQ(Press(Button(w, "cmdDelete"), {Reply::Yes, Reply::OK}), deleted);
    EXPECT_EQ(Row(a), QVariantList{});
    EXPECT_EQ(SelectedKey(w), "_2008");
    Click(w, EntryKey(d));
    deleteKey({Reply::Yes, Reply::OK});
    EXPECT_EQ(SelectedKey(w), "MyDreams");
    // With no entry shown, neither the button nor the key deletes or asks anything.
    EXPECT_EQ(Press(Button(w, "cmdDelete")), QStringList{});
    EXPECT_EQ(deleteKey({}), QStringList{});
    EXPECT_EQ(Count(), 1);
}

// A read-only journal file, or a full disk.
class JournalWriteFailure : public JournalFixture, public ::testing::WithParamInterface<Fault> {};

TEST_P(JournalWriteFailure, EveryFailedWriteIsReportedAndTheEditorKept) {
    const qlonglong id = Add(2008, 3, 14, "Flying", "Up.");
    const bool diskFull = GetParam() == Fault::DiskFull;
    // A file that cannot be written is opened for reading and said so once at start; a disk
    // fills up while the program runs.
    if (!diskFull) {
        SimulateFault(Fault::ReadOnly, DreamsFile());
        Answer({Reply::OK});
    }
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Shown().size(), diskFull ? 0 : 1);
    if (diskFull)
        SimulateFault(Fault::DiskFull);
    // The first line of the one message shown.
    const auto failure = [](const QStringList& shown) {
        return shown.size() == 1 ? shown[0].section('\n', 0, 0) : shown.join(" | ");
    };
    StartNew(w, "New dream", "Never stored.");
    EXPECT_EQ(failure(Save(w)), "Critical: Journal Could Not Be Saved");
    EXPECT_EQ(Editor(w).mid(0, 2), (QStringList{"New dream", "Never stored."}));
    EXPECT_EQ(State(w), "name on, text on, new off, save on (S&ave), delete off, cancel on");

    Button(w, "cmdCancel")->click();
    Click(w, EntryKey(id));
    TextBox(w)->setPlainText("Changed.");
    EXPECT_EQ(failure(Save(w)), "Critical: Journal Could Not Be Updated");
    EXPECT_EQ(Editor(w).value(1), "Changed.");
    EXPECT_EQ(Button(w, "cmdSave")->text(), "Upd&ate");
    EXPECT_EQ(failure(Press(Button(w, "cmdDelete"), {Reply::Yes, Reply::OK}).mid(1)),
              "Critical: Journal Could Not Be Deleted");
    EXPECT_NE(Node(w, EntryKey(id)), nullptr);
    SimulateFault(Fault::None);
    EXPECT_EQ(Row(id).value(1), "Up.");
    EXPECT_EQ(Count(), 1);
    // The unsaved text is still asked about on leaving.
    EXPECT_EQ(Press(Button(w, "cmdStartNewJournal"), {Reply::No}).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(ReadOnlyOrFull, JournalWriteFailure,
                         ::testing::Values(Fault::ReadOnly, Fault::DiskFull));

} // namespace
