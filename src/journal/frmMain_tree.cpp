// The journal tree: entries grouped by year and month.

#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "journal/JournalText.h"

#include <QGroupBox>
#include <QLocale>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

// Image numbers of ImageList1, counted from 1.
enum TreeImage { RootImage = 1, YearImage = 2, MonthImage = 3, EntryImage = 4 };

QString yearKey(const QString& year) {
    return QLatin1Char('_') + year;
}

QString monthKey(const QString& year, const QString& month) {
    return QLatin1Char('_') + year + QLatin1Char('_') + month;
}

QString monthText(const QVariant& month) {
    const auto number = journal::WholeNumber(month);
    if (number && *number >= 1 && *number <= 12)
        return QLocale().standaloneMonthName(int(*number), QLocale::LongFormat);
    // Only another tool can store such a month; show it as stored rather than lose its entries.
    const QString stored = journal::PlainValue(month);
    return stored.isEmpty() ? QStringLiteral("?") : stored;
}

} // namespace

void frmMain::LoadDreamTree(bool arrangeByDate) {
    ++treeBuilds_;
    tvDreams->clear();
    dreamNodes_.clear();

    // The nodes are built apart from the view and handed to it in one piece: adding ten thousand
    // items one by one to a shown tree costs a model update each.
    auto addNode = [this](QTreeWidgetItem* parent, const QString& key, const QString& text,
                          int image) {
        auto* node = new QTreeWidgetItem;
        node->setText(0, text);
        node->setIcon(0, ImageList1.value(image - 1));
        node->setData(0, Qt::UserRole, key);
        if (parent)
            parent->addChild(node);
        dreamNodes_.insert(key, node);
        return node;
    };
    QTreeWidgetItem* root =
        addNode(nullptr, journal::RootKey(), QStringLiteral("My Dreams"), RootImage);

    auto yearNode = [&](const QVariant& year) {
        const QString text = journal::PlainValue(year);
        const QString key = yearKey(text);
        if (QTreeWidgetItem* existing = dreamNodes_.value(key))
            return existing;
        return addNode(root, key, text, YearImage);
    };
    // The three queries are separate reads; a row that appears between them still finds parents.
    auto monthNode = [&](const QVariant& year, const QVariant& month) {
        const QString key = monthKey(journal::PlainValue(year), journal::PlainValue(month));
        if (QTreeWidgetItem* existing = dreamNodes_.value(key))
            return existing;
        return addNode(yearNode(year), key, monthText(month), MonthImage);
    };

    QString path = modMain::AppPath() + QStringLiteral("/Dreams.dll");
    modDB::ConnectionPtr connection;
    if (modDB::OpenConnection(connection, path)) {
        const QString yearColumn = QStringLiteral("Year");
        const QString monthColumn = QStringLiteral("Month");
        modDB::RecordsetPtr rows;
        modDB::OpenRecordset(rows, connection,
                             QStringLiteral("SELECT DISTINCT Year from tblDreams ORDER BY Year"));
        for (; !rows->EOF_(); rows->MoveNext())
            yearNode(rows->Field(yearColumn));

        modDB::OpenRecordset(
            rows, connection,
            QStringLiteral("SELECT DISTINCT Year, Month from tblDreams ORDER BY Year, Month"));
        for (; !rows->EOF_(); rows->MoveNext())
            monthNode(rows->Field(yearColumn), rows->Field(monthColumn));

        modDB::OpenRecordset(
            rows, connection,
            arrangeByDate ? QStringLiteral("SELECT ID,Year,Month,Day,JournalName from tblDreams "
                                           "ORDER BY Year, Month, Day")
                          : QStringLiteral("SELECT ID,Year,Month,Day,JournalName  from tblDreams "
                                           "ORDER BY Year, Month, JournalName"));
        const QString idColumn = QStringLiteral("ID");
        const QString dayColumn = QStringLiteral("Day");
        const QString nameColumn = QStringLiteral("JournalName");
        for (; !rows->EOF_(); rows->MoveNext()) {
            const QVariant year = rows->Field(yearColumn);
            const QVariant month = rows->Field(monthColumn);
            const QString text = rows->Field(nameColumn).toString() + QStringLiteral(" (") +
                                 journal::PlainValue(month) + QLatin1Char('-') +
                                 journal::PlainValue(rows->Field(dayColumn)) + QLatin1Char('-') +
                                 journal::PlainValue(year) + QLatin1Char(')');
            const QString key = QLatin1Char('~') + journal::PlainValue(rows->Field(idColumn));
            if (!dreamNodes_.contains(key))
                addNode(monthNode(year, month), key, text, EntryImage);
        }
        rows->Close();
        connection->Close();
    }

    tvDreams->addTopLevelItem(root);
    root->setExpanded(true);
}

void frmMain::Check1_Click() {
    ArrangeByDate = !Check1->isChecked();
    LoadDreamTree(ArrangeByDate);
    // The node of what the editor shows stays highlighted in the new arrangement.
    selectTreeNode(openNodeKey_, false);
    Check1->setText(Check1->isChecked() ? QStringLiteral("Arrange by Date")
                                        : QStringLiteral("Arrange by Name"));
}

void frmMain::tvDreams_NodeClick(QTreeWidgetItem* Node) {
    if (Node == nullptr || openingNode_)
        return;
    const QString key = Node->data(0, Qt::UserRole).toString();
    // The entry being edited, clicked again: it stays as typed.
    if (key == openNodeKey_ && journalChanged()) {
        BringToFront(Frame2);
        return;
    }
    const QScopedValueRollback<bool> opening(openingNode_, true);
    const int builds = treeBuilds_;
    if (!offerToSaveChanges()) {
        // The highlight goes back to what the editor still shows.
        selectTreeNode(openNodeKey_, false);
        return;
    }
    if (treeBuilds_ != builds) {
        // The save rebuilt the tree: the clicked node is gone, its key is not.
        Node = dreamNodes_.value(key);
        if (Node == nullptr)
            return;
    }
    if (Node->treeWidget() == tvDreams && !Node->isSelected()) {
        for (QTreeWidgetItem* up = Node->parent(); up != nullptr; up = up->parent())
            up->setExpanded(true);
        tvDreams->setCurrentItem(Node);
    }
    openNodeKey_ = key;

    if (journal::IsEntryKey(key)) {
        ShowJournal(key);
        cmdSave->setEnabled(true);
        cmdSave->setText(QStringLiteral("Upd&ate"));
        cmdDelete->setEnabled(true);
    } else {
        ClearJournal();
        cmdSave->setEnabled(false);
        SetJournalEnabled(false);
        cmdDelete->setEnabled(false);
    }
    BringToFront(Frame2);
}

void frmMain::queueTreeSync() {
    if (treeSyncQueued_)
        return;
    treeSyncQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            treeSyncQueued_ = false;
            syncEditorWithTree();
        },
        Qt::QueuedConnection);
}

void frmMain::syncEditorWithTree() {
    // A click opens its node on release; a question already open decides the rest.
    if (treeMouseDown_ || openingNode_)
        return;
    const QList<QTreeWidgetItem*> selected = tvDreams->selectedItems();
    if (selected.isEmpty() || selected.first()->data(0, Qt::UserRole).toString() == openNodeKey_)
        return;
    tvDreams_NodeClick(selected.first());
}

void frmMain::tvDreams_KeyUp(int KeyCode, int) {
    const int deleteKey = 46;
    if (KeyCode == deleteKey)
        cmdDelete_Click();
}
