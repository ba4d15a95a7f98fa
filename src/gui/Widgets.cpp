#include "gui/Widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

QPushButton* makeButton(const QString& caption, const char* name) {
    return named(new QPushButton(caption), name);
}

QLabel* makeLabel(const QString& text, const char* name) {
    return named(new QLabel(text), name);
}

QFont windowFont() {
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.25);
    return font;
}

void applyPanelFonts(QGroupBox* panel) {
    QFont normal = windowFont();
    normal.setWeight(QFont::Normal);
    QFont section = normal;
    section.setBold(true);
    QFont caption = section;
    caption.setPointSizeF(9.75);
    panel->setFont(caption);
    for (QWidget* child : panel->findChildren<QWidget*>())
        child->setFont(qobject_cast<QGroupBox*>(child) != nullptr ? section : normal);
}
