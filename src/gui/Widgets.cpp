#include "gui/Widgets.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>

#include <algorithm>

namespace {

constexpr qreal kSmallestReadingSize = 10.0;
constexpr int kMostZoom = 16;

class Button : public QPushButton {
public:
    using QPushButton::QPushButton;

    QSize sizeHint() const override { return padded(QPushButton::sizeHint()); }
    QSize minimumSizeHint() const override { return padded(QPushButton::minimumSizeHint()); }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        // Outside a dialog no button is the default: Enter goes to the one with focus.
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && isEnabled()) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }

private:
    // A caption that fills its button edge to edge reads as cramped.
    QSize padded(QSize size) const {
        const int em = fontMetrics().height();
        return size + QSize(em, em / 3);
    }
};

// Switches an edit between wrapping at its width and at a fixed reading width.
class LineLengthLimit : public QObject {
public:
    LineLengthLimit(QTextEdit* edit, int characters)
        : QObject(edit)
        , edit_(edit)
        , viewport_(edit->viewport())
        , characters_(characters) {
        // The viewport's own resize comes after the box has placed it; the box's comes before,
        // while the viewport still has its old width.
        edit->installEventFilter(this);
        edit->viewport()->installEventFilter(this);
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Events come on while the box is taken apart, when it is no scroll area any more: the
        // viewport is known by the one it had.
        if ((watched == viewport_ && event->type() == QEvent::Resize) ||
            (watched == edit_ && event->type() == QEvent::FontChange))
            update();
        return QObject::eventFilter(watched, event);
    }

private:
    void update() {
        // Each change lays the whole text out again, so only a real change is made.
        const int limit = textWidth(edit_, characters_);
        if (edit_->viewport()->width() > limit) {
            if (edit_->lineWrapColumnOrWidth() != limit)
                edit_->setLineWrapColumnOrWidth(limit);
            edit_->setLineWrapMode(QTextEdit::FixedPixelWidth);
        } else {
            edit_->setLineWrapMode(QTextEdit::WidgetWidth);
        }
    }

    QTextEdit* edit_;
    const QObject* viewport_;
    int characters_;
};

} // namespace

QPushButton* makeButton(const QString& caption, const char* name) {
    return named(new Button(caption), name);
}

QLabel* makeLabel(const QString& text, const char* name) {
    return named(new QLabel(text), name);
}

QFont windowFont() {
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

int boundedZoom(int zoom) {
    return std::clamp(zoom, -4, kMostZoom);
}

QFont readingFont(int zoom) {
    QFont font = windowFont();
    font.setWeight(QFont::Normal);
    const qreal desktop = font.pointSizeF() > 0 ? font.pointSizeF() : kSmallestReadingSize;
    font.setPointSizeF(std::max(desktop, kSmallestReadingSize) + boundedZoom(zoom));
    return font;
}

void applyReadingFont(QWidget* widget, int zoom) {
    widget->setFont(readingFont(zoom));
}

void applyPanelFonts(QGroupBox* panel) {
    QFont normal = windowFont();
    normal.setWeight(QFont::Normal);
    QFont section = normal;
    section.setBold(true);
    QFont caption = section;
    caption.setPointSizeF(normal.pointSizeF() * 1.2);
    panel->setFont(caption);
    for (QWidget* child : panel->findChildren<QWidget*>())
        child->setFont(qobject_cast<QGroupBox*>(child) != nullptr ? section : normal);
}

int textWidth(const QWidget* widget, int characters) {
    return widget->fontMetrics().averageCharWidth() * characters;
}

void limitLineLength(QTextEdit* edit, int characters) {
    new LineLengthLimit(edit, characters);
}

void setTabChain(std::initializer_list<QWidget*> chain) {
    QWidget* previous = nullptr;
    for (QWidget* widget : chain) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void addButtonShortcut(QWidget* panel, const QKeySequence& keys, QAbstractButton* button) {
    auto* shortcut = new QShortcut(keys, panel);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled())
            button->click();
    });
}

QPalette darkPalette() {
    const QColor window(0x2b, 0x2d, 0x31);
    const QColor base(0x1f, 0x21, 0x24);
    const QColor text(0xe6, 0xe6, 0xe6);
    const QColor disabledText(0x80, 0x80, 0x80);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3d, 0x42));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
    palette.setColor(QPalette::Link, QColor(0x7a, 0xb7, 0xff));
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xd6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4d, 0x52));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x43, 0x48));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x32, 0x36));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    return palette;
}

QRect placeOnScreens(const QRect& wanted, const QList<QRect>& screens) {
    if (screens.isEmpty())
        return wanted;
    QRect screen = screens.first();
    qint64 mostShared = 0;
    for (const QRect& candidate : screens) {
        const QRect shared = candidate.intersected(wanted);
        const qint64 area = qint64(shared.width()) * shared.height();
        if (area > mostShared) {
            mostShared = area;
            screen = candidate;
        }
    }
    QRect placed(wanted.topLeft(), wanted.size().boundedTo(screen.size()));
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() - placed.height() + 1));
    return placed;
}
