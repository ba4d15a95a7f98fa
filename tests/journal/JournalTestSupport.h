#pragma once

// Helpers the journal tests share: stored rows, tree nodes clicked as a user would, and the
// editor's state and the messages shown, each in one comparable value.

#include "TestSupport.h"
#include "app/frmMain.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace journaltest {

inline QString EntryKey(qlonglong id) {
    return QStringLiteral("~%1").arg(id);
}

inline QString KeyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

inline QTreeWidgetItem* Node(frmMain* w, const QString& key) {
    for (QTreeWidgetItemIterator it(w->tvDreams); *it; ++it)
        if (KeyOf(*it) == key)
            return *it;
    return nullptr;
}

inline QString SelectedKey(frmMain* w) {
    return KeyOf(w->tvDreams->selectedItems().value(0));
}

// A real mouse click on the node, which selects it and runs the node-click handler.
inline void Click(frmMain* w, const QString& key) {
    QTreeWidgetItem* item = Node(w, key);
    ASSERT_NE(item, nullptr) << key.toStdString();
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        up->setExpanded(true);
    w->tvDreams->scrollToItem(item);
    // A long name runs past the tree's right edge: click the part that shows.
    const QRect rect =
        w->tvDreams->visualItemRect(item).intersected(w->tvDreams->viewport()->rect());
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(w->tvDreams->viewport(), Qt::LeftButton, {}, rect.center());
}

// The editor's enabled states and the save caption, e.g.
// "name on, text on, new off, save on (S&ave), delete off, cancel on".
inline QString State(frmMain* w) {
    auto on = [](const QWidget* widget) { return widget->isEnabled() ? "on" : "off"; };
    return QStringLiteral("name %1, text %2, new %3, save %4 (%5), delete %6, cancel %7")
        .arg(on(w->txtJournalName), on(w->rtbJournalText), on(w->cmdNewJournal), on(w->cmdSave),
             w->cmdSave->text(), on(w->cmdDelete), on(w->cmdCancel));
}

// The name and the two copies of the text the editor shows.
inline QStringList Editor(frmMain* w) {
    return {w->txtJournalName->text(), w->rtbJournalText->toPlainText(),
            w->rtbJournalText1->toPlainText()};
}

// The list positions of the shown year, month and day.
inline QList<int> DateIndexes(frmMain* w) {
    return {w->cboYear->currentIndex(), w->cboMonth->currentIndex(), w->cboDate->currentIndex()};
}

// Starts a new entry and fills the editor as a user would.
inline void StartNew(frmMain* w, const QString& name, const QString& text, int year = 2008,
                     int month = 3, int day = 14) {
    w->cmdStartNewJournal->click();
    w->txtJournalName->setText(name);
    w->rtbJournalText->setPlainText(text);
    w->cboYear->setCurrentIndex(year - 1900);
    w->cboMonth->setCurrentIndex(month - 1);
    w->cboDate->setCurrentIndex(day - 1);
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
inline QStringList Save(frmMain* w) {
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    w->cmdSave->click();
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
