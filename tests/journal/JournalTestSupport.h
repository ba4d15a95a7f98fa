#pragma once

// Helpers the journal tests share: finding tree nodes, clicking them as a user would, and reading
// the editor's state in one line.

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

inline QString KeyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

inline QTreeWidgetItem* Node(frmMain* w, const QString& key) {
    for (QTreeWidgetItemIterator it(w->tvDreams); *it; ++it) {
        if (KeyOf(*it) == key)
            return *it;
    }
    return nullptr;
}

inline QStringList ChildTexts(const QTreeWidgetItem* item) {
    QStringList texts;
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

inline QString SelectedKey(frmMain* w) {
    const auto selected = w->tvDreams->selectedItems();
    return selected.isEmpty() ? QString() : KeyOf(selected.first());
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
    auto on = [](const QWidget* widget) {
        return widget->isEnabled() ? QStringLiteral("on") : QStringLiteral("off");
    };
    return QStringLiteral("name %1, text %2, new %3, save %4 (%5), delete %6, cancel %7")
        .arg(on(w->txtJournalName), on(w->rtbJournalText), on(w->cmdNewJournal), on(w->cmdSave),
             w->cmdSave->text(), on(w->cmdDelete), on(w->cmdCancel));
}

// Fills the editor as a user would for a new entry.
inline void Type(frmMain* w, const QString& name, const QString& text, int year = 2008,
                 int month = 3, int day = 14) {
    w->txtJournalName->setText(name);
    w->rtbJournalText->setPlainText(text);
    w->cboYear->setCurrentIndex(year - 1900);
    w->cboMonth->setCurrentIndex(month - 1);
    w->cboDate->setCurrentIndex(day - 1);
}

inline QVariantList Row(const QString& dreamsFile, qlonglong id) {
    const auto rows = testsupport::Query(
        dreamsFile,
        QStringLiteral("SELECT JournalName, journaltext, Year, Month, Day FROM tblDreams "
                       "WHERE ID = ?"),
        {id});
    return rows.isEmpty() ? QVariantList() : rows.first();
}

inline qlonglong RowCount(const QString& dreamsFile) {
    return testsupport::Query(dreamsFile, QStringLiteral("SELECT count(*) FROM tblDreams"))
        .first()
        .first()
        .toLongLong();
}

} // namespace journaltest
