// The journal search window as a user drives it; the matching itself is the core's to test.
// Here: typing reaches the list, the hit is marked in the name or the snippet, the note stands
// in the list's place, a save and a delete reach the results, and a result opens after the
// question.

#include "../journal/JournalTestSupport.h"
#include "search/SearchWindow.h"

#include <QListView>
#include <QMainWindow>
#include <QMenuBar>

using namespace journaltest;

namespace {

QListView* Results(QWidget* search) {
    return Find<QListView>(search, "lvResults");
}

void Type(QWidget* search, const QString& query) {
    auto* box = Find<QLineEdit>(search, "txtFind");
    box->clear();
    QTest::keyClicks(box, query);
    ProcessEvents();
}

// Each result as its name and the bold part of the name and of the snippet, e.g. "Garden||cat".
QStringList Found(QWidget* search) {
    QStringList rows;
    const QAbstractItemModel* model = Results(search)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        auto marked = [&](int textRole, int hitRole) {
            const QPoint span = index.data(hitRole).toPoint();
            return index.data(hitRole).isValid()
                       ? index.data(textRole).toString().mid(span.x(), span.y() - span.x())
                       : QString();
        };
        rows << QStringList{index.data(SearchWindow::NameRole).toString(),
                            marked(SearchWindow::NameRole, SearchWindow::NameHitRole),
                            marked(SearchWindow::SnippetRole, SearchWindow::SnippetHitRole)}
                    .join('|');
    }
    return rows;
}

// What stands in the list's place when it is empty; empty while the list shows.
QString Note(QWidget* search) {
    auto* note = Find<QLabel>(search, "lblNoResults");
    EXPECT_NE(note->isVisible(), Results(search)->isVisible());
    return note->isVisible() ? note->text() : QString();
}

class SearchWindowTest : public JournalFixture {};

TEST_F(SearchWindowTest, TheJournalMenuOpensItAndTypingSavingAndDeletingReachTheResults) {
    Add(2008, 3, 14, "Black cat", "Nothing else.");
    const qlonglong garden = Add(2009, 7, 1, "Garden", "A BLACK  CAT crossed the path.");
    Add(2007, 2, 2, "Ärger", "Große STRAẞE, viel ärger.");
    QWidget* w = StartProgram();
    QStringList menus;
    for (QAction* action : qobject_cast<QMainWindow*>(w)->menuBar()->actions())
        menus << action->menu()->objectName();
    EXPECT_EQ(menus, QStringList({"mnuFile", "mnuJournal", "mnuHelp"}));
    QWidget* search = OpenWindow(w, "mnuSearchJournal", "frmSearch");

    Type(search, "black cat");
    EXPECT_EQ(Found(search), QStringList({"Garden||BLACK  CAT", "Black cat|Black cat|"}));
    EXPECT_EQ(Note(search), "");
    Type(search, "ÄRGER");
    EXPECT_EQ(Found(search), QStringList({"Ärger|Ärger|ärger"}));
    Type(search, "zebra");
    EXPECT_EQ(Note(search), "No entry holds \u201czebra\u201d.");
    Type(search, " ?! ");
    EXPECT_EQ(Note(search),
              "Nothing found: the search needs a word, not only spaces or punctuation.");

    Type(search, "zebra");
    Click(w, EntryKey(garden));
    TextBox(w)->setPlainText("A zebra.");
    Save(w);
    EXPECT_EQ(Found(search), QStringList({"Garden||zebra"}));
    Press(Button(w, "cmdDelete"), {Reply::Yes, Reply::OK});
    EXPECT_EQ(Found(search), QStringList());
}

TEST_F(SearchWindowTest, OpeningAResultAsksAboutUnsavedChangesFirst) {
    const qlonglong typedIn = Add(2008, 3, 14, "Typed in", "Stored text.");
    const qlonglong found = Add(2009, 4, 1, "Found", "The red door.");
    QWidget* w = StartProgram();
    Click(w, EntryKey(typedIn));
    TextBox(w)->setPlainText("Typed, not saved.");
    QWidget* search = OpenWindow(w, "mnuSearchJournal", "frmSearch");
    Type(search, "red door");
    const QRect place = Results(search)->visualRect(Results(search)->model()->index(0, 0));

    // Cancel on a double-click (as the window system sends it): the editor keeps the typing.
    Answer({Reply::Cancel});
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
    EXPECT_EQ(Row(typedIn).value(1), "Stored text.");
}

} // namespace
