#pragma once

// Small helpers every window uses to build its controls.

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <initializer_list>

class QAbstractButton;
class QFont;
class QGroupBox;
class QKeySequence;
class QLabel;
class QPalette;
class QPushButton;
class QTextEdit;
class QWidget;

// Gives `object` its objectName, the contract tests and the program find it by.
template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

// A button with room around its caption, which Enter presses as Space does.
QPushButton* makeButton(const QString& caption, const char* name);
QLabel* makeLabel(const QString& text, const char* name);

// The font of every window: the desktop's general font.
QFont windowFont();
// The font dreams and meanings are written and read in: the desktop's general font at no less
// than 10 pt, made `zoom` points larger or smaller.
QFont readingFont(int zoom = 0);
// The zoom steps the reading font allows, in points either side of its normal size.
int boundedZoom(int zoom);
// The reading font, zoomed, for a box of text.
void applyReadingFont(QWidget* widget, int zoom = 0);

// Panel and section captions are bold, the panels' a little larger; everything inside keeps the
// window's normal font. The weight is set explicitly, or children would inherit the bold.
void applyPanelFonts(QGroupBox* panel);

// The width of about `characters` average characters of `widget`'s font.
int textWidth(const QWidget* widget, int characters);
// Lines of `edit` wrap at about `characters` characters however wide the box grows, so that a
// maximized window does not stretch them beyond reading.
void limitLineLength(QTextEdit* edit, int characters);

// Tab moves through `chain` in this order.
void setTabChain(std::initializer_list<QWidget*> chain);
// `keys`, while `panel` is shown, does what clicking the enabled `button` does.
void addButtonShortcut(QWidget* panel, const QKeySequence& keys, QAbstractButton* button);

// A dark palette for the Fusion style, for trying the program as it looks on a dark desktop.
QPalette darkPalette();

// Where a window that wants `wanted` goes on screens whose usable areas are `screens` (the
// first is the primary): wholly on the screen it overlaps most, or on the primary one when it
// overlaps none, and no larger than that screen.
QRect placeOnScreens(const QRect& wanted, const QList<QRect>& screens);
