#pragma once

// What the journal tests share: stored rows, tree nodes clicked as a user would, and the
// editor's state in one comparable value.

#include "TestSupport.h"

#include <QTreeWidgetItemIterator>

namespace journaltest {

using namespace testsupport;

inline QTreeWidget* Tree(const QWidget* w) {
    return Find<QTreeWidget>(w, "tvDreams");
}
inline QPushButton* Button(const QWidget* w, const char* name) {
    return Find<QPushButton>(w, name);
}
inline QLineEdit* NameBox(const QWidget* w) {
    return Find<QLineEdit>(w, "txtJournalName");
}
inline QTextEdit* TextBox(const QWidget* w) {
    return Find<QTextEdit>(w, "rtbJournalText");
}

inline QString EntryKey(qlonglong id) {
    return QStringLiteral("~%1").arg(id);
}
inline QString KeyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}
inline QTreeWidgetItem* Node(const QWidget* w, const QString& key) {
    for (QTreeWidgetItemIterator it(Tree(w)); *it; ++it)
        if (KeyOf(*it) == key)
            return *it;
    return nullptr;
}
inline QString SelectedKey(const QWidget* w) {
    return KeyOf(Tree(w)->selectedItems().value(0));
}

// A real mouse click on the node, on the part of it that shows.
inline void Click(const QWidget* w, const QString& key) {
    QTreeWidgetItem* item = Node(w, key);
    ASSERT_NE(item, nullptr) << key.toStdString();
    Tree(w)->expandAll();
    Tree(w)->scrollToItem(item);
    const QRect rect = Tree(w)->visualItemRect(item).intersected(Tree(w)->viewport()->rect());
    QTest::mouseClick(Tree(w)->viewport(), Qt::LeftButton, {}, rect.center());
    ProcessEvents();
}

// A key pressed and released in the tree, then whatever it set going has run.
inline void TreeKey(const QWidget* w, Qt::Key key) {
    QTest::keyClick(Tree(w), key);
    ProcessEvents();
}

// The editor's enabled states and the save caption, e.g.
// "name on, text on, new off, save on (S&ave), delete off, cancel on".
inline QString State(const QWidget* w) {
    auto on = [](const QWidget* widget) { return widget->isEnabled() ? "on" : "off"; };
    QPushButton* save = Button(w, "cmdSave");
    return QString("name %1, text %2, new %3, save %4 (%5), delete %6, cancel %7")
        .arg(on(NameBox(w)), on(TextBox(w)), on(Button(w, "cmdNewJournal")), on(save), save->text(),
             on(Button(w, "cmdDelete")), on(Button(w, "cmdCancel")));
}

// Chooses the menu item `action`, as a click on it does; gives the window it brought up.
inline QWidget* OpenWindow(const QWidget* w, const char* action, const char* window) {
    Find<QAction>(w, QLatin1String(action))->trigger();
    ProcessEvents();
    return Find<QWidget>(w, QLatin1String(window));
}

// The name and the two copies of the text the editor shows.
inline QStringList Editor(const QWidget* w) {
    return {NameBox(w)->text(), TextBox(w)->toPlainText(),
            Find<QTextEdit>(w, "rtbJournalText1")->toPlainText()};
}

// The year, month and day lists, and the positions they show.
inline QList<QComboBox*> DateLists(const QWidget* w) {
    return {Find<QComboBox>(w, "cboYear"), Find<QComboBox>(w, "cboMonth"),
            Find<QComboBox>(w, "cboDate")};
}
inline QList<int> DateIndexes(const QWidget* w) {
    QList<int> indexes;
    for (const QComboBox* list : DateLists(w))
        indexes << list->currentIndex();
    return indexes;
}
inline void SetDate(const QWidget* w, int year, int month, int day) {
    const QList<int> indexes = {year - 1900, month - 1, day - 1};
    for (int i = 0; i < 3; ++i)
        DateLists(w)[i]->setCurrentIndex(indexes[i]);
}

// Drops whatever the editor holds with Cancel (which asks nothing), starts a new entry and fills
// it as a user would.
inline void StartNew(const QWidget* w, const QString& name, const QString& text, int year = 2008,
                     int month = 3, int day = 14) {
    if (Button(w, "cmdCancel")->isEnabled())
        Button(w, "cmdCancel")->click();
    Button(w, "cmdStartNewJournal")->click();
    NameBox(w)->setText(name);
    TextBox(w)->setPlainText(text);
    SetDate(w, year, month, day);
}

inline QStringList Save(const QWidget* w) {
    return Press(Button(w, "cmdSave"), {Reply::OK});
}

class JournalFixture : public ProgramFixture {
protected:
    qlonglong Add(int year, int month, int day, const QString& name, const QString& text = "x") {
        return AddJournalRow(DreamsFile(), year, month, day, name, text);
    }
    // Name, text, year, month and day of the stored entry; empty when there is none.
    QVariantList Row(qlonglong id) {
        return Query(DreamsFile(),
                     "SELECT JournalName, journaltext, Year, Month, Day FROM tblDreams "
                     "WHERE ID = ?",
                     {id})
            .value(0);
    }
    qlonglong Count(const char* what = "count(*)") {
        return Query(DreamsFile(), QString("SELECT %1 FROM tblDreams").arg(what))[0][0]
            .toLongLong();
    }
};

} // namespace journaltest
