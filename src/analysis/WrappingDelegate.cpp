#include "analysis/WrappingDelegate.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLine>
#include <QTreeView>

WrappingDelegate::WrappingDelegate(QTreeView* view)
    : QStyledItemDelegate(view)
    , view_(view) {
    // Rows that go take their cells with them.
    auto forget = [this] { cells_.clear(); };
    connect(view->model(), &QAbstractItemModel::modelReset, this, forget);
    connect(view->model(), &QAbstractItemModel::rowsRemoved, this, forget);
}

WrappingDelegate::~WrappingDelegate() = default;

void WrappingDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // A keyword beside a long meaning reads best at its first line.
    option->displayAlignment = Qt::AlignLeft | Qt::AlignTop;
}

WrappingDelegate::Cell& WrappingDelegate::cell(const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const {
    // A cell is known by its place and checked by its text and font, so a row that now holds
    // something else is never measured or drawn from what it held before.
    Cell& cell = cells_[{index.row(), index.column()}];
    if (cell.text != option.text || cell.font != option.font)
        cell = Cell{option.text, option.font, -1, QSize(), -1, nullptr};
    return cell;
}

QSize WrappingDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    // The view asks for row heights without telling the delegate how wide the column is.
    QStyleOptionViewItem wrapped(option);
    initStyleOption(&wrapped, index);
    const int width = view_->columnWidth(index.column());
    Cell& known = cell(wrapped, index);
    if (known.columnWidth != width) {
        wrapped.rect = QRect(0, 0, width, QWIDGETSIZE_MAX);
        known.sizeHint = QStyledItemDelegate::sizeHint(wrapped, index);
        known.columnWidth = width;
    }
    return known.sizeHint;
}

void WrappingDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // The style draws the background, selection and focus; the text comes from the cell.
    const QString text = item.text;
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    item.text = text;
    if (text.isEmpty())
        return;

    // Placed as the style places an item's text: inside its focus margin, at the top left.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect area = item.rect.adjusted(margin, 0, -margin, 0);
    Cell& known = cell(item, index);
    if (!known.layout || known.lineWidth != area.width()) {
        known.lineWidth = area.width();
        known.layout = std::make_unique<QTextLayout>(text, item.font);
        QTextOption wrapping;
        wrapping.setWrapMode(QTextOption::WordWrap);
        wrapping.setTextDirection(item.direction);
        wrapping.setAlignment(QStyle::visualAlignment(item.direction, item.displayAlignment));
        known.layout->setTextOption(wrapping);
        known.layout->beginLayout();
        qreal height = 0;
        for (QTextLine line = known.layout->createLine(); line.isValid();
             line = known.layout->createLine()) {
            line.setLineWidth(area.width());
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        known.layout->endLayout();
    }

    QPalette::ColorGroup group =
        item.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !item.state.testFlag(QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setPen(item.palette.color(group, item.state.testFlag(QStyle::State_Selected)
                                                  ? QPalette::HighlightedText
                                                  : QPalette::Text));
    painter->setClipRect(area, Qt::IntersectClip);
    const QTextLayout& layout = *known.layout;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (line.naturalTextWidth() <= area.width()) {
            line.draw(painter, area.topLeft());
            continue;
        }
        // A word longer than the column ends in an ellipsis, as the style draws it.
        const QString part = item.fontMetrics.elidedText(
            text.mid(line.textStart(), line.textLength()), item.textElideMode, area.width());
        painter->setFont(item.font);
        painter->drawText(QPointF(area.left(), area.top() + line.y() + line.ascent()), part);
    }
    painter->restore();
}
