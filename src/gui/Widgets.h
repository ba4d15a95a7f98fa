#pragma once

// Small helpers every window uses to build its controls.

#include <QObject>
#include <QString>

class QFont;
class QGroupBox;
class QLabel;
class QPushButton;

// Gives `object` its objectName, the contract tests and the program find it by.
template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QLatin1String(name));
    return object;
}

QPushButton* makeButton(const QString& caption, const char* name);
QLabel* makeLabel(const QString& text, const char* name);

// The font of every window.
QFont windowFont();

// Panel and section captions are bold, the panels' a little larger; everything inside keeps the
// window's normal font. The weight is set explicitly, or children would inherit the bold.
void applyPanelFonts(QGroupBox* panel);

// Twips, the unit of the window's design, to pixels at 96 dots per inch.
constexpr int pixelsFromTwips(int twips) {
    return twips / 15;
}
