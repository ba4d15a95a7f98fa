#pragma once

// Rows of a tree view as tall as their wrapped text needs at the column's width, drawn from a
// text layout made once per cell and width. A long meaning is shaped once, not again for every
// height the view asks for and every paint, which was most of the time the list took to show.

#include <QFont>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <map>
#include <memory>
#include <utility>

class QTreeView;

class WrappingDelegate : public QStyledItemDelegate {
public:
    explicit WrappingDelegate(QTreeView* view);
    ~WrappingDelegate() override;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    struct Cell {
        QString text;
        QFont font;
        int columnWidth = -1;
        QSize sizeHint; // for columnWidth
        int lineWidth = -1;
        std::unique_ptr<QTextLayout> layout; // for lineWidth, made at the first paint
    };
    // The cell of `index`, emptied when `option`'s text or font is not what it was made for.
    Cell& cell(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    QTreeView* view_;
    mutable std::map<std::pair<int, int>, Cell> cells_; // by row and column
};
