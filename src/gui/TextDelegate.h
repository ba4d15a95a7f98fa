#pragma once

// An item delegate that draws each item's text from a text layout it keeps, made once per text,
// font and width. The style's own drawing shapes an item's text again for every measure and
// every paint, which was most of the time a list of long meanings, or a long list repainted,
// took to show.

#include <QCache>
#include <QFont>
#include <QSize>
#include <QStyledItemDelegate>
#include <QTextLayout>

class QAbstractItemView;

class TextDelegate : public QStyledItemDelegate {
public:
    enum class Lines {
        Single,  // one line, ended with an ellipsis where it does not fit
        Wrapped, // wrapped at the column's width, rows as tall as their text, read from the top
    };
    TextDelegate(QAbstractItemView* view, Lines lines);
    ~TextDelegate() override;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    struct Key {
        QString text;
        QFont font;
        int lineWidth;
        Qt::LayoutDirection direction;
        bool operator==(const Key& other) const;
    };
    friend size_t qHash(const Key& key, size_t seed);

    // `option`'s text laid out in lines of `lineWidth`.
    const QTextLayout& layout(const QStyleOptionViewItem& option, int lineWidth) const;
    // What the style adds around an item's text, learned once per font from its own measure.
    QSize styleMargins(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    QAbstractItemView* view_;
    Lines lines_;
    mutable QCache<Key, QTextLayout> layouts_;
    mutable QFont marginsFont_;
    mutable QSize margins_; // invalid until learned for marginsFont_
};
