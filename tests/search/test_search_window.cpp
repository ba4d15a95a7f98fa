// The journal search window, driven as a user drives it: the Journal menu, typing a query,
// whole words and phrases in names and texts, the note in place of an empty list, opening a
// result in the editor with the question about unsaved changes, and results that follow a save.

#include "../journal/JournalTestSupport.h"
#include "search/SearchWindow.h"

#include <QListView>
#include <QMainWindow>
#include <QMenuBar>

using namespace journaltest;

namespace {

constexpr int NameRole = SearchWindow::NameRole;

QWidget* OpenSearch(QWidget* w) {
    Find<QAction>(w, "mnuSearchJournal")->trigger();
    ProcessEvents();
    return Find<QWidget>(w, "frmSearch");
}

QListView* Results(QWidget* search) {
    return Find<QListView>(search, "lvResults");
}

void Type(QWidget* search, const QString& query) {
    auto* box = Find<QLineEdit>(search, "txtFind");
    box->clear();
    QTest::keyClicks(box, query);
    ProcessEvents();
}

QStringList Names(QWidget* search) {
    QStringList names;
    const QAbstractItemModel* model = Results(search)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data(NameRole).toString();
    return names;
}

// The bold part of the name and of the snippet of result `row`, "" where nothing is bold.
QStringList Bold(QWidget* search, int row) {
    const QModelIndex index = Results(search)->model()->index(row, 0);
    auto marked = [&](int textRole, int hitRole) {
        const QVariant hit = index.data(hitRole);
        if (!hit.isValid())
            return QString();
        const QPoint span = hit.toPoint();
        return index.data(textRole).toString().mid(span.x(), span.y() - span.x());
    };
    return {marked(NameRole, SearchWindow::NameHitRole),
            marked(SearchWindow::SnippetRole, SearchWindow::SnippetHitRole)};
}

// What stands in the list's place when it is empty; empty while the list shows.
QString Note(QWidget* search) {
    auto* note = Find<QLabel>(search, "lblNoResults");
    return note->isVisible() ? note->text() : QString();
}

class SearchWindowTest : public JournalFixture {};

TEST_F(SearchWindowTest, TheJournalMenuStandsBetweenFileAndHelpAndOpensOneWindow) {
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    QStringList menus;
    for (QAction* action : qobject_cast<QMainWindow*>(w)->menuBar()->actions())
        menus << action->menu()->objectName();
    EXPECT_EQ(menus, QStringList({"mnuFile", "mnuJournal", "mnuHelp"}));
    EXPECT_EQ(Find<QAction>(w, "mnuSearchJournal")->text(), "&Search Journal...");
    EXPECT_EQ(Find<QAction>(w, "mnuSearchJournal")->shortcut(), QKeySequence("Ctrl+F"));
    EXPECT_EQ(Find<QAction>(w, "mnuSymbols")->text(), "Recurring &Symbols...");

    QWidget* search = OpenSearch(w);
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());
    EXPECT_TRUE(search->isWindow());
    search->close();
    EXPECT_EQ(OpenSearch(w), search);
    EXPECT_EQ(w->findChildren<QWidget*>("frmSearch").size(), 1);
    EXPECT_TRUE(search->isVisible());
}

TEST_F(SearchWindowTest, FindsWholeWordsAndPhrasesInNamesAndTextsNewestFirst) {
    Add(2008, 3, 14, "Black cat", "Nothing else.");
    Add(2009, 7, 1, "Garden", "A BLACK  CAT crossed the path.");
    Add(2010, 1, 5, "Catalogue", "A blackcat and a black catalogue.");
    Add(2007, 2, 2, "Ärger", "Große STRAẞE, viel ärger.");
    QWidget* w = StartProgram();
    QWidget* search = OpenSearch(w);

    Type(search, "black cat");
    EXPECT_EQ(Names(search), QStringList({"Garden", "Black cat"}));
    // A hit in the text marks the snippet; a hit in the name marks the name.
    EXPECT_EQ(Bold(search, 0), QStringList({"", "BLACK  CAT"}));
    EXPECT_EQ(Bold(search, 1), QStringList({"Black cat", ""}));
    EXPECT_TRUE(Note(search).isEmpty());
    EXPECT_TRUE(Results(search)->model()->index(0, 0).data().toString().startsWith("Garden ("));

    Type(search, "cat");
    EXPECT_EQ(Names(search), QStringList({"Garden", "Black cat"}));
    Type(search, "ÄRGER");
    EXPECT_EQ(Names(search), QStringList({"Ärger"}));
    EXPECT_EQ(Bold(search, 0), QStringList({"Ärger", "ärger"}));
    Type(search, "straße");
    EXPECT_EQ(Names(search), QStringList({"Ärger"}));
}

TEST_F(SearchWindowTest, AnEmptyResultSaysSoInTheListsPlace) {
    Add(2008, 3, 14, "Dream", "A cat, a dog.");
    QWidget* w = StartProgram();
    QWidget* search = OpenSearch(w);
    EXPECT_FALSE(Note(search).isEmpty()) << "an empty box asks for a word";
    EXPECT_FALSE(Results(search)->isVisible());
    for (const char* query : {"zebra", "   ", "?!", " , . "}) {
        SCOPED_TRACE(query);
        Type(search, query);
        EXPECT_EQ(Names(search), QStringList());
        EXPECT_FALSE(Note(search).isEmpty());
        EXPECT_FALSE(Results(search)->isVisible());
    }
    Type(search, "zebra");
    EXPECT_EQ(Note(search), "No entry holds \u201czebra\u201d.");
    Type(search, " ?! ");
    EXPECT_EQ(Note(search),
              "Nothing found: the search needs a word, not only spaces or punctuation.");
    Type(search, "dog");
    EXPECT_EQ(Names(search), QStringList({"Dream"}));
    EXPECT_TRUE(Results(search)->isVisible());
}

TEST_F(SearchWindowTest, OpeningAResultAsksAboutUnsavedChangesFirst) {
    const qlonglong typedIn = Add(2008, 3, 14, "Typed in", "Stored text.");
    const qlonglong found = Add(2009, 4, 1, "Found", "The red door.");
    QWidget* w = StartProgram();
    Click(w, EntryKey(typedIn));
    TextBox(w)->setPlainText("Typed, not saved.");
    QWidget* search = OpenSearch(w);
    Type(search, "red door");
    ASSERT_EQ(Names(search), QStringList({"Found"}));
    const QModelIndex result = Results(search)->model()->index(0, 0);
    const QRect place = Results(search)->visualRect(result);

    // Cancel: the editor keeps what was typed.
    Answer({Reply::Cancel});
    // As the window system delivers a double-click: a click, then the second press.
    QTest::mouseClick(Results(search)->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(Results(search)->viewport(), Qt::LeftButton, {}, place.center());
    ProcessEvents();
    EXPECT_EQ(Shown(), QStringList({"Question: Do You Want To Save The Changes To This Journal ? "
                                    "[Yes No Cancel; Yes]"}));
    EXPECT_EQ(Editor(w)[1], "Typed, not saved.");
    EXPECT_EQ(SelectedKey(w), EntryKey(typedIn));

    // No, with Enter in the list: the result opens as a click on its node opens it.
    Answer({Reply::No});
    Results(search)->setFocus();
    QTest::keyClick(Results(search), Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(Shown().size(), 1);
    EXPECT_EQ(Editor(w), QStringList({"Found", "The red door.", "The red door."}));
    EXPECT_EQ(SelectedKey(w), EntryKey(found));
    EXPECT_EQ(PanelInFront(), "Frame2");
    EXPECT_EQ(Row(typedIn).value(1), "Stored text.");
    EXPECT_EQ(State(w).contains("save on (Upd&ate)"), true) << State(w).toStdString();
}

TEST_F(SearchWindowTest, ResultsFollowASaveAndADelete) {
    const qlonglong id = Add(2008, 3, 14, "Dream", "A blue door.");
    QWidget* w = StartProgram();
    QWidget* search = OpenSearch(w);
    Type(search, "red door");
    EXPECT_EQ(Names(search), QStringList());

    Click(w, EntryKey(id));
    TextBox(w)->setPlainText("A red door.");
    Save(w);
    EXPECT_EQ(Names(search), QStringList({"Dream"}));

    Press(Button(w, "cmdDelete"), {Reply::Yes, Reply::OK});
    EXPECT_EQ(Names(search), QStringList());
    EXPECT_FALSE(Note(search).isEmpty());
}

} // namespace
