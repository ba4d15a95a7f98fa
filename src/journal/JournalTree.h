#pragma once

// The journal tree: every entry under its year and month, below the root "My Dreams", with the
// switch between ordering a month's entries by day and by name. Clicking a node, or moving to it
// with the keyboard, asks to open it; the main window decides whether it may.

#include "core/JournalStore.h"

#include <QHash>
#include <QWidget>

#include <optional>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class JournalTree : public QWidget {
    Q_OBJECT

public:
    explicit JournalTree(JournalStore& store, QWidget* parent = nullptr);
    QSize sizeHint() const override;

    // Node keys: "MyDreams" for the root, "_2008" for a year, "_2008_3" for a month, "~17" for
    // the entry with ID 17.
    static QString entryKey(qint64 id);
    static std::optional<qint64> entryId(const QString& key);

    // Builds the tree again from the journal, in the current order.
    void reload();
    // The node the editor shows: highlighted, its branch opened and in view. An empty or unknown
    // key highlights nothing.
    void setOpenNode(const QString& key, bool expand = false);
    QString openNode() const { return openKey_; }
    // After the entry `id` was removed: builds the tree again and opens the entry's month, or
    // its year when the month has gone, or the root.
    void reloadAfterRemoving(qint64 id);

Q_SIGNALS:
    // The user clicked the node, or moved to it with the keyboard.
    void nodeActivated(const QString& key);
    // The Delete key was released in the tree.
    void deletePressed();
    // The journal could not be read; the tree shows what was read before the failure.
    void readFailed(const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toggleOrder();
    void queueSelectionCheck();
    void checkSelection();
    QTreeWidgetItem* node(const QString& key) const;

    JournalStore& store_;
    QTreeWidget* tree_;
    QPushButton* orderSwitch_;
    QList<QIcon> icons_;
    JournalOrder order_ = JournalOrder::ByDate;
    // The root, year and month nodes by key; entry nodes by ID.
    QHash<QString, QTreeWidgetItem*> nodes_;
    QHash<qint64, QTreeWidgetItem*> entryNodes_;
    QString openKey_;
    bool mouseDown_ = false;
    bool selectionCheckQueued_ = false;
};
