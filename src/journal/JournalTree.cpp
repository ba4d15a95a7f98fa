#include "journal/JournalTree.h"

#include "core/Text.h"
#include "gui/Widgets.h"
#include "journal/TreeIcons.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kRootKey = QStringLiteral("MyDreams");

enum Level { RootLevel, YearLevel, MonthLevel, EntryLevel };

QString monthText(const QVariant& month) {
    const auto number = Text::wholeNumber(month);
    if (number && *number >= 1 && *number <= 12)
        return QLocale().standaloneMonthName(int(*number), QLocale::LongFormat);
    // Only another tool can store such a month; show it as stored rather than lose its entries.
    const QString stored = Text::plainValue(month);
    return stored.isEmpty() ? QStringLiteral("?") : stored;
}

QString keyOf(const QTreeWidgetItem* node) {
    return node ? node->data(0, Qt::UserRole).toString() : QString();
}

// The same stored date part as the row before: an ordinary whole number, told without text.
bool sameNumber(const QVariant& a, const QVariant& b) {
    return a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong &&
           a.toLongLong() == b.toLongLong();
}

// An entry's node keeps the row it shows and gives its text, icon and key when the view asks:
// most of ten thousand nodes are never shown, and building and storing each one's texts up front
// is most of the cost of a tree.
class EntryNode : public QTreeWidgetItem {
public:
    EntryNode(const JournalEntry& row, const QIcon& icon)
        : QTreeWidgetItem(UserType)
        , id_(row.id)
        , name_(row.name)
        , year_(row.year)
        , month_(row.month)
        , day_(row.day)
        , icon_(icon) {}

    qint64 id() const { return id_; }

    QVariant data(int column, int role) const override {
        if (column == 0) {
            switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                return QString(name_ + QStringLiteral(" (") + Text::plainValue(month_) +
                               QLatin1Char('-') + Text::plainValue(day_) + QLatin1Char('-') +
                               Text::plainValue(year_) + QLatin1Char(')'));
            case Qt::DecorationRole:
                return icon_;
            case Qt::UserRole:
                return JournalTree::entryKey(id_);
            default:
                break;
            }
        }
        return QTreeWidgetItem::data(column, role);
    }

private:
    qint64 id_;
    QString name_;
    QVariant year_;
    QVariant month_;
    QVariant day_;
    QIcon icon_;
};

} // namespace

JournalTree::JournalTree(JournalStore& store, QWidget* parent)
    : QWidget(parent)
    , store_(store)
    , tree_(named(new QTreeWidget, "tvDreams"))
    , orderSwitch_(makeButton(tr("Arrange by Name"), "Check1"))
    , icons_(journalTreeIcons()) {
    tree_->setHeaderHidden(true);
    tree_->setIconSize(QSize(20, 20));
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Names too long for the tree's width end in an ellipsis; the tooltip shows them whole.
    tree_->header()->setStretchLastSection(true);
    tree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tree_->setTextElideMode(Qt::ElideRight);
    tree_->setMinimumWidth(textWidth(tree_, 16));
    orderSwitch_->setCheckable(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_, 1);
    layout->addWidget(orderSwitch_);

    connect(orderSwitch_, &QPushButton::clicked, this, &JournalTree::toggleOrder);
    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { Q_EMIT nodeActivated(keyOf(node)); });
    // The keyboard moves the selection without a click; the node it reaches opens all the same.
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &JournalTree::queueSelectionCheck);
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);
}

QSize JournalTree::sizeHint() const {
    // Room for an entry's name and date beside the icons of its three levels.
    const int levels = 3 * tree_->indentation() + tree_->iconSize().width();
    return {levels + textWidth(tree_, 44), QWidget::sizeHint().height()};
}

QString JournalTree::entryKey(qint64 id) {
    return QLatin1Char('~') + QString::number(id);
}

std::optional<qint64> JournalTree::entryId(const QString& key) {
    // Entry nodes are the nodes whose key holds '~'; the ID follows the first character.
    if (!key.contains(QLatin1Char('~')))
        return std::nullopt;
    bool ok = false;
    const qint64 id = key.mid(1).toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

void JournalTree::reload() {
    tree_->clear();
    nodes_.clear();
    entryNodes_.clear();

    // The nodes are built apart from the view and handed to it in one piece: adding ten thousand
    // items one by one to a shown tree costs a model update each.
    auto addNode = [this](QTreeWidgetItem* parent, const QString& key, const QString& text,
                          Level level) {
        auto* node = new QTreeWidgetItem;
        node->setText(0, text);
        node->setToolTip(0, text);
        node->setIcon(0, icons_.value(level));
        node->setData(0, Qt::UserRole, key);
        if (parent)
            parent->addChild(node);
        nodes_.insert(key, node);
        return node;
    };
    QTreeWidgetItem* root = addNode(nullptr, kRootKey, tr("My Dreams"), RootLevel);

    Result<std::vector<JournalEntry>> rows = store_.treeRows(order_);
    if (rows) {
        entryNodes_.reserve(qsizetype(rows->size()));
        const QIcon entryIcon = icons_.value(EntryLevel);
        QTreeWidgetItem* month = nullptr;
        QTreeWidgetItem* year = nullptr;
        const JournalEntry* previous = nullptr;
        for (const JournalEntry& row : *rows) {
            // The rows come ordered by year and month, so a new year or month starts a new node.
            // Dates stored as text by another tool are told apart by their text.
            const bool sameYear = previous && sameNumber(row.year, previous->year);
            if (!sameYear) {
                const QString yearText = Text::plainValue(row.year);
                const QString yearKey = QLatin1Char('_') + yearText;
                QTreeWidgetItem* found = nodes_.value(yearKey);
                if (found == nullptr)
                    found = addNode(root, yearKey, yearText, YearLevel);
                if (found != year)
                    month = nullptr;
                year = found;
            }
            if (month == nullptr || !sameYear || !sameNumber(row.month, previous->month)) {
                const QString monthKey = QLatin1Char('_') + Text::plainValue(row.year) +
                                         QLatin1Char('_') + Text::plainValue(row.month);
                month = nodes_.value(monthKey);
                if (month == nullptr)
                    month = addNode(year, monthKey, monthText(row.month), MonthLevel);
            }
            auto* entry = new EntryNode(row, entryIcon);
            month->addChild(entry);
            entryNodes_.insert(row.id, entry);
            previous = &row;
        }
    }
    tree_->addTopLevelItem(root);
    root->setExpanded(true);
    if (!rows)
        Q_EMIT readFailed(rows.errorMessage());
}

QTreeWidgetItem* JournalTree::node(const QString& key) const {
    if (const auto id = entryId(key)) {
        // Only the key exactly as the node has it: "~017" names no node.
        QTreeWidgetItem* entry = entryNodes_.value(*id);
        return entry != nullptr && key == entryKey(*id) ? entry : nullptr;
    }
    return nodes_.value(key);
}

void JournalTree::setOpenNode(const QString& key, bool expand) {
    QTreeWidgetItem* node = this->node(key);
    openKey_ = node != nullptr ? key : QString();
    if (node == nullptr) {
        tree_->setCurrentItem(nullptr);
        tree_->clearSelection();
        return;
    }
    // As a click would leave it: its branch opened, the node in view.
    for (QTreeWidgetItem* up = node->parent(); up != nullptr; up = up->parent())
        up->setExpanded(true);
    tree_->setCurrentItem(node);
    if (expand)
        node->setExpanded(true);
    tree_->scrollToItem(node);
}

void JournalTree::reloadAfterRemoving(qint64 id) {
    QTreeWidgetItem* entry = entryNodes_.value(id);
    QTreeWidgetItem* month = entry != nullptr ? entry->parent() : nullptr;
    QTreeWidgetItem* year = month != nullptr ? month->parent() : nullptr;
    const QString monthKey = keyOf(month);
    const QString yearKey = keyOf(year);
    reload();
    setOpenNode(nodes_.contains(monthKey)  ? monthKey
                : nodes_.contains(yearKey) ? yearKey
                                           : kRootKey,
                true);
}

void JournalTree::toggleOrder() {
    order_ = orderSwitch_->isChecked() ? JournalOrder::ByName : JournalOrder::ByDate;
    reload();
    // The node of what the editor shows stays highlighted in the new arrangement.
    setOpenNode(openKey_);
    orderSwitch_->setText(orderSwitch_->isChecked() ? tr("Arrange by Date")
                                                    : tr("Arrange by Name"));
}

bool JournalTree::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == tree_ && type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && !key->isAutoRepeat())
            Q_EMIT deletePressed();
    } else if (watched == tree_->viewport() && type == QEvent::MouseButtonPress) {
        // The press selects; the click that follows opens, so no question interrupts the press.
        mouseDown_ = true;
    } else if (watched == tree_->viewport() && type == QEvent::MouseButtonRelease) {
        mouseDown_ = false;
        // A press dragged off its node gives no click: the selection it left is opened then.
        queueSelectionCheck();
    }
    return QWidget::eventFilter(watched, event);
}

void JournalTree::queueSelectionCheck() {
    if (selectionCheckQueued_)
        return;
    selectionCheckQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            selectionCheckQueued_ = false;
            checkSelection();
        },
        Qt::QueuedConnection);
}

void JournalTree::checkSelection() {
    // A click opens its node on release.
    if (mouseDown_)
        return;
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (selected.isEmpty() || keyOf(selected.first()) == openKey_)
        return;
    Q_EMIT nodeActivated(keyOf(selected.first()));
}
