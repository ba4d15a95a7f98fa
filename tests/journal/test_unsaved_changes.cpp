// Leaving an entry with changes that are not stored: every way out asks, and Yes, No and Cancel
// each do what they say.

#include "JournalTestSupport.h"

#include <QWindow>

#include <functional>

using namespace journaltest;

namespace {

const QString kQuestion =
    "Question: Do You Want To Save The Changes To This Journal ? [Yes No Cancel; Yes]";

// One way of leaving the entry in the editor.
struct Leave {
    const char* name;
    // Whether the user does it from the home panel rather than the journal panel.
    bool fromHome;
    std::function<void(QWidget*)> act;
    // What the editor shows once the window has gone on; empty when it closes.
    QStringList leftEditor;
};

class UnsavedChanges : public JournalFixture, public ::testing::WithParamInterface<Leave> {};

TEST_P(UnsavedChanges, YesSavesNoDiscardsCancelStays) {
    const Leave& leave = GetParam();
    const qlonglong dream = Add(2008, 3, 14, "Dream", "Stored.");
    Add(2008, 3, 15, "Other", "Elsewhere.");
    enum class Choice { Cancel, No, Yes, YesButRefused };
    for (const Choice choice : {Choice::Cancel, Choice::No, Choice::Yes, Choice::YesButRefused}) {
        SCOPED_TRACE(int(choice));
        Exec(DreamsFile(), "UPDATE tblDreams SET journaltext = 'Stored.' WHERE ID = ?", {dream});
        QWidget* w = StartProgram();
        ASSERT_NE(w, nullptr);
        Click(w, EntryKey(dream));
        TextBox(w)->setPlainText("Typed.");
        if (choice == Choice::YesButRefused)
            NameBox(w)->setText("  ");
        if (leave.fromHome)
            Button(w, "cmdBack_1")->click();
        const QString panel = PanelInFront();

        const Reply replies[] = {Reply::Cancel, Reply::No, Reply::Yes, Reply::Yes};
        Answer({replies[int(choice)]});
        if (choice == Choice::Yes || choice == Choice::YesButRefused)
            Answer({Reply::OK}); // the save's own message
        leave.act(w);
        ProcessEvents();

        EXPECT_EQ(Shown().value(0), kQuestion);
        EXPECT_EQ(Row(dream).value(1), choice == Choice::Yes ? "Typed." : "Stored.");
        const bool goesOn = choice == Choice::No || choice == Choice::Yes;
        // Every way out opens the closing page once, and only on the way out.
        EXPECT_EQ(OpenedPages(), QStringList(goesOn && leave.leftEditor.isEmpty(), "closing"));
        if (goesOn && leave.leftEditor.isEmpty()) {
            EXPECT_TRUE(ProgramEnded());
            continue;
        }
        ASSERT_FALSE(ProgramEnded());
        if (goesOn) {
            EXPECT_EQ(Editor(w).mid(0, 2), leave.leftEditor);
        } else {
            // Nothing moved: the text is kept, and the highlight stays on its entry.
            EXPECT_EQ(Editor(w).value(1), "Typed.");
            EXPECT_EQ(SelectedKey(w), EntryKey(dream));
            // A refused save shows the editor it points at.
            EXPECT_EQ(PanelInFront(), choice == Choice::Cancel ? panel : "Frame2");
        }
        CloseAll();
        OpenedPages();
    }
}

const QStringList kOther{"Other", "Elsewhere."};
const QStringList kEmpty{"", ""};

INSTANTIATE_TEST_SUITE_P(
    EveryWayOut, UnsavedChanges,
    ::testing::Values(
        // "Other" is the second entry of a fresh journal.
        Leave{"ClickOnAnotherNode", false, [](QWidget* w) { Click(w, EntryKey(2)); }, kOther},
        Leave{"ClickOnAMonth", false, [](QWidget* w) { Click(w, "_2008_3"); }, kEmpty},
        Leave{"ArrowKeyInTheTree", false, [](QWidget* w) { TreeKey(w, Qt::Key_Down); }, kOther},
        Leave{"New", false, [](QWidget* w) { Button(w, "cmdNewJournal")->click(); }, kEmpty},
        Leave{"StartNewJournal", true, [](QWidget* w) { Button(w, "cmdStartNewJournal")->click(); },
              kEmpty},
        Leave{"FileExit", false, [](QWidget* w) { Find<QAction>(w, "mnuExit1")->trigger(); }, {}},
        Leave{"ExitButton", true, [](QWidget* w) { Button(w, "cmdNav_1")->click(); }, {}},
        Leave{"CloseBox", false, [](QWidget* w) { w->windowHandle()->close(); }, {}}),
    [](const ::testing::TestParamInfo<Leave>& info) { return std::string(info.param.name); });

class UnsavedChangesAsked : public JournalFixture {};

TEST_F(UnsavedChangesAsked, OnlyWhenTypedChangesWouldBeLost) {
    const qlonglong dream = Add(2008, 3, 14, "Dream", "A cat.");
    const qlonglong other = Add(2008, 3, 15, "Other", "Elsewhere.");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);

    // Showing, analysing and leaving an entry changes nothing that needs saving; nor does a new
    // entry left blank, whatever its date says.
    Click(w, EntryKey(dream));
    Press(Button(w, "cmdAnalyze"), {Reply::OK});
    Click(w, EntryKey(other));
    Button(w, "cmdStartNewJournal")->click();
    SetDate(w, 2001, 5, 5);
    Click(w, EntryKey(dream));
    EXPECT_EQ(Shown(), QStringList{});

    // A changed date counts; clicking the entry being edited keeps the change without asking.
    SetDate(w, 2001, 5, 5);
    Click(w, EntryKey(dream));
    EXPECT_EQ(Shown(), QStringList{});
    EXPECT_EQ(DateIndexes(w), (QList<int>{101, 4, 4}));
    Answer({Reply::Cancel});
    Click(w, EntryKey(other));
    EXPECT_EQ(Shown(), QStringList{kQuestion});

    // Cancel on the editor is a discard of its own, asked nothing.
    TextBox(w)->setPlainText("Typed.");
    EXPECT_EQ(Press(Button(w, "cmdCancel")), QStringList{});
    EXPECT_EQ(Editor(w), (QStringList{"", "", ""}));
    EXPECT_EQ(Row(dream).value(1), "A cat.");
}

TEST_F(UnsavedChangesAsked, YesSavesANewEntryThenOpensTheNodeClicked) {
    const qlonglong other = Add(2008, 3, 15, "Other", "Elsewhere.");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    StartNew(w, "Fresh", "Just written.", 2009, 1, 2);
    Answer({Reply::Yes, Reply::OK});
    Click(w, EntryKey(other));
    EXPECT_EQ(Shown(), (QStringList{kQuestion, "Information: Journal Saved Successfully"}));
    EXPECT_EQ(Row(Count("max(ID)")), (QVariantList{"Fresh", "Just written.", 2009LL, 1LL, 2LL}));
    EXPECT_EQ(Editor(w).mid(0, 2), kOther);
    EXPECT_EQ(SelectedKey(w), EntryKey(other));
}

} // namespace
