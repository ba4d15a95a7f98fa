#pragma once

// Helpers the journal tests share: stored rows, tree nodes clicked as a user would, and the
// editor's state and the messages shown, each in one comparable value. Controls are found by
// their objectName.

#include "TestSupport.h"
#include "app/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace journaltest {

template <typename T = QWidget>
T* Named(const QObject* w, const char* name) {
    return testsupport::Find<T>(w, QLatin1String(name));
}
inline QTreeWidget* Tree(const QObject* w) {
    return Named<QTreeWidget>(w, "tvDreams");
}
inline QPushButton* Button(const QObject* w, const char* name) {
    return Named<QPushButton>(w, name);
}
inline QLineEdit* NameBox(const QObject* w) {
    return Named<QLineEdit>(w, "txtJournalName");
}
inline QTextEdit* TextBox(const QObject* w) {
    return Named<QTextEdit>(w, "rtbJournalText");
}
// The three date lists: year, month, day.
inline QList<QComboBox*> DateLists(const QObject* w) {
    return {Named<QComboBox>(w, "cboYear"), Named<QComboBox>(w, "cboMonth"),
            Named<QComboBox>(w, "cboDate")};
}

inline QString EntryKey(qlonglong id) {
    return QStringLiteral("~%1").arg(id);
}

inline QString KeyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

inline QTreeWidgetItem* Node(const QObject* w, const QString& key) {
    for (QTreeWidgetItemIterator it(Tree(w)); *it; ++it)
        if (KeyOf(*it) == key)
            return *it;
    return nullptr;
}

inline QString SelectedKey(const QObject* w) {
    return KeyOf(Tree(w)->selectedItems().value(0));
}

// A real mouse click on the node, which selects it and runs the node-click handler.
inline void Click(const QObject* w, const QString& key) {
    QTreeWidget* tree = Tree(w);
    QTreeWidgetItem* item = Node(w, key);
    ASSERT_NE(item, nullptr) << key.toStdString();
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        up->setExpanded(true);
    tree->scrollToItem(item);
    // A long name runs past the tree's right edge: click the part that shows.
    const QRect rect = tree->visualItemRect(item).intersected(tree->viewport()->rect());
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    testsupport::ProcessEvents();
}

// A key pressed and released in the tree, then whatever it set going has run.
inline void TreeKey(const QObject* w, Qt::Key key) {
    QTest::keyClick(Tree(w), key);
    testsupport::ProcessEvents();
}

// The editor's enabled states and the save caption, e.g.
// "name on, text on, new off, save on (S&ave), delete off, cancel on".
inline QString State(const QObject* w) {
    auto on = [](const QWidget* widget) { return widget->isEnabled() ? "on" : "off"; };
    QPushButton* save = Button(w, "cmdSave");
    return QStringLiteral("name %1, text %2, new %3, save %4 (%5), delete %6, cancel %7")
        .arg(on(NameBox(w)), on(TextBox(w)), on(Button(w, "cmdNewJournal")), on(save), save->text(),
             on(Button(w, "cmdDelete")), on(Button(w, "cmdCancel")));
}

// The name and the two copies of the text the editor shows.
inline QStringList Editor(const QObject* w) {
    return {NameBox(w)->text(), TextBox(w)->toPlainText(),
            Named<QTextEdit>(w, "rtbJournalText1")->toPlainText()};
}

// The list positions of the shown year, month and day.
inline QList<int> DateIndexes(const QObject* w) {
    QList<int> indexes;
    for (const QComboBox* list : DateLists(w))
        indexes << list->currentIndex();
    return indexes;
}

inline void SetDate(const QObject* w, int year, int month, int day) {
    const QList<QComboBox*> lists = DateLists(w);
    lists[0]->setCurrentIndex(year - 1900);
    lists[1]->setCurrentIndex(month - 1);
    lists[2]->setCurrentIndex(day - 1);
}

// Drops whatever the editor holds with Cancel (which asks nothing), starts a new entry and fills
// it as a user would.
inline void StartNew(const QObject* w, const QString& name, const QString& text, int year = 2008,
                     int month = 3, int day = 14) {
    if (Button(w, "cmdCancel")->isEnabled())
        Button(w, "cmdCancel")->click();
    Button(w, "cmdStartNewJournal")->click();
    NameBox(w)->setText(name);
    TextBox(w)->setPlainText(text);
    SetDate(w, year, month, day);
}

// The messages shown since the last call, each as "Icon: text".
inline QStringList Shown() {
    static const char* const icons[] = {"Critical", "Information", "Exclamation", "Question"};
    QStringList lines;
    for (const MsgBox::Shown& shown : MsgBox::TakeShown())
        lines << QStringLiteral("%1: %2").arg(icons[int(shown.icon)], shown.text);
    return lines;
}

// Clicks the save button, answering its message, and gives the messages shown.
inline QStringList Save(const QObject* w) {
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    Button(w, "cmdSave")->click();
    return Shown();
}

class JournalFixture : public testsupport::ProgramFixture {
protected:
    qlonglong Add(int year, int month, int day, const QString& name, const QString& text = "x") {
        return testsupport::AddJournalRow(DreamsFile(), year, month, day, name, text);
    }
    QVariantList Row(qlonglong id) {
        return Query(
            "SELECT JournalName, journaltext, Year, Month, Day FROM tblDreams WHERE ID = " +
            QString::number(id));
    }
    qlonglong RowCount() { return Query("SELECT count(*) FROM tblDreams").value(0).toLongLong(); }
    qlonglong LastId() { return Query("SELECT max(ID) FROM tblDreams").value(0).toLongLong(); }
    QVariantList Query(const QString& sql) {
        return testsupport::Query(DreamsFile(), sql).value(0);
    }
};

} // namespace journaltest
