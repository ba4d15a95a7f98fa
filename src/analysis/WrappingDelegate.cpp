#include "analysis/WrappingDelegate.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLine>
#include <QTreeView>
#include <QtMath>

#include <algorithm>

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

namespace {

// The room the style leaves between an item's text and its sides.
int textMargin(const QWidget* widget) {
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

QSize usedSize(const QTextLayout& layout) {
    qreal width = 0;
    for (int i = 0; i < layout.lineCount(); ++i)
        width = std::max(width, layout.lineAt(i).naturalTextWidth());
    return QSize(qCeil(width), qCeil(layout.boundingRect().height()));
}

} // namespace

const QTextLayout& WrappingDelegate::layout(const QStyleOptionViewItem& option,
                                            const QModelIndex& index, int lineWidth) const {
    // A cell is known by its place and checked by its text and font, so a row that now holds
    // something else is never measured or drawn from what it held before.
    Cell& cell = cells_[{index.row(), index.column()}];
    if (cell.layout && cell.lineWidth == lineWidth && cell.text == option.text &&
        cell.font == option.font)
        return *cell.layout;
    cell.text = option.text;
    cell.font = option.font;
    cell.lineWidth = lineWidth;
    // Wrapped as the style wraps an item's text when it measures it.
    cell.layout = std::make_unique<QTextLayout>(option.text, option.font);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WordWrap);
    wrapping.setTextDirection(option.direction);
    wrapping.setAlignment(QStyle::visualAlignment(option.direction, option.displayAlignment));
    cell.layout->setTextOption(wrapping);
    cell.layout->beginLayout();
    qreal height = 0;
    for (QTextLine line = cell.layout->createLine(); line.isValid();
         line = cell.layout->createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    cell.layout->endLayout();
    return *cell.layout;
}

QSize WrappingDelegate::styleMargins(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    if (!margins_.isValid() || marginsFont_ != option.font) {
        QStyleOptionViewItem sample(option);
        sample.text = QStringLiteral("x");
        QTextLayout measured(sample.text, sample.font);
        measured.beginLayout();
        measured.createLine();
        measured.endLayout();
        margins_ = QStyledItemDelegate::sizeHint(sample, index) - usedSize(measured);
        marginsFont_ = option.font;
    }
    return margins_;
}

QSize WrappingDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    // An empty cell is as tall as a line of its font, as the style has it.
    if (item.text.isEmpty())
        return QStyledItemDelegate::sizeHint(item, index);
    // The view asks for row heights without telling the delegate how wide the column is.
    const int lineWidth = view_->columnWidth(index.column()) - 2 * textMargin(item.widget);
    return usedSize(layout(item, index, lineWidth)) + styleMargins(item, index);
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
    const int margin = textMargin(widget);
    const QRect area = item.rect.adjusted(margin, 0, -margin, 0);
    const QTextLayout& lines = layout(item, index, area.width());

    QPalette::ColorGroup group =
        item.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !item.state.testFlag(QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setPen(item.palette.color(group, item.state.testFlag(QStyle::State_Selected)
                                                  ? QPalette::HighlightedText
                                                  : QPalette::Text));
    painter->setClipRect(area, Qt::IntersectClip);
    for (int i = 0; i < lines.lineCount(); ++i) {
        const QTextLine line = lines.lineAt(i);
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
