#include "gui/TextDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLine>
#include <QTreeView>
#include <QtMath>

#include <algorithm>

namespace {

// As many texts as a few screens of a list show.
constexpr qsizetype kLayoutsKept = 2000;

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

bool TextDelegate::Key::operator==(const Key& other) const {
    return lineWidth == other.lineWidth && direction == other.direction && text == other.text &&
           font == other.font;
}

size_t qHash(const TextDelegate::Key& key, size_t seed) {
    return qHashMulti(seed, key.text, key.font, key.lineWidth, int(key.direction));
}

TextDelegate::TextDelegate(QAbstractItemView* view, Lines lines)
    : QStyledItemDelegate(view)
    , view_(view)
    , lines_(lines)
    , layouts_(kLayoutsKept) {}

TextDelegate::~TextDelegate() = default;

void TextDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // A short text beside a long one reads best at its first line.
    if (lines_ == Lines::Wrapped)
        option->displayAlignment = Qt::AlignLeft | Qt::AlignTop;
}

const QTextLayout& TextDelegate::layout(const QStyleOptionViewItem& option, int lineWidth) const {
    Key key{option.text, option.font, lineWidth, option.direction};
    if (const QTextLayout* known = layouts_.object(key))
        return *known;
    // Wrapped as the style wraps an item's text when it measures it.
    auto* made = new QTextLayout(option.text, option.font);
    QTextOption wrapping;
    wrapping.setWrapMode(lines_ == Lines::Wrapped ? QTextOption::WordWrap : QTextOption::NoWrap);
    wrapping.setTextDirection(option.direction);
    wrapping.setAlignment(QStyle::visualAlignment(option.direction, option.displayAlignment));
    made->setTextOption(wrapping);
    made->beginLayout();
    qreal height = 0;
    for (QTextLine line = made->createLine(); line.isValid(); line = made->createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    made->endLayout();
    layouts_.insert(std::move(key), made);
    return *made;
}

QSize TextDelegate::styleMargins(const QStyleOptionViewItem& option,
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

QSize TextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    // A single line is as the style measures it; so is an empty cell, a line of its font tall.
    const auto* tree = qobject_cast<const QTreeView*>(view_);
    if (lines_ == Lines::Single || tree == nullptr || item.text.isEmpty())
        return QStyledItemDelegate::sizeHint(item, index);
    // The view asks for row heights without telling the delegate how wide the column is.
    const int lineWidth = tree->columnWidth(index.column()) - 2 * textMargin(item.widget);
    return usedSize(layout(item, lineWidth)) + styleMargins(item, index);
}

void TextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // The style draws the background, selection and focus; the text comes from its layout.
    const QString text = item.text;
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    item.text = text;
    if (text.isEmpty())
        return;

    // Placed as the style places an item's text: inside its focus margin, aligned as asked.
    const int margin = textMargin(widget);
    const QRect area = item.rect.adjusted(margin, 0, -margin, 0);
    const QTextLayout& lines = layout(item, area.width());
    const QRect placed =
        QStyle::alignedRect(item.direction, item.displayAlignment & Qt::AlignVertical_Mask,
                            QSize(area.width(), usedSize(lines).height()), area);

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
            line.draw(painter, placed.topLeft());
            continue;
        }
        // A line, or a word, longer than the room ends in an ellipsis, as the style draws it.
        const QString part = item.fontMetrics.elidedText(
            text.mid(line.textStart(), line.textLength()), item.textElideMode, area.width());
        painter->setFont(item.font);
        painter->drawText(QPointF(area.left(), placed.top() + line.y() + line.ascent()), part);
    }
    painter->restore();
}
