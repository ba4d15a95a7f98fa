#pragma once

// Rows of a tree view as tall as their wrapped text needs at the column's width, measured and
// drawn from one text layout per cell and width. A long meaning is shaped once, not again for
// every height the view asks for and every paint, which was most of the time the list took to
// show.

#include <QFont>
#include <QSize>
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
        int lineWidth = -1;
        std::unique_ptr<QTextLayout> layout; // for lineWidth
    };
    // The text of `index` laid out in lines of `lineWidth`, made afresh when the text, the font
    // or the width is not what the cell's layout was made for.
    const QTextLayout& layout(const QStyleOptionViewItem& option, const QModelIndex& index,
                              int lineWidth) const;
    // What the style adds around an item's text, learned once per font from its own measure.
    QSize styleMargins(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    QTreeView* view_;
    mutable std::map<std::pair<int, int>, Cell> cells_; // by row and column
    mutable QFont marginsFont_;
    mutable QSize margins_; // invalid until learned for marginsFont_
};
