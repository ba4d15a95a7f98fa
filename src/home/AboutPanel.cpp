#include "home/AboutPanel.h"

#include "gui/Widgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutPanel::AboutPanel(QWidget* parent)
    : QGroupBox(tr("About Software"), parent) {
    setObjectName(QStringLiteral("fraAbout"));
    auto* name = makeLabel(tr("Oneirion v%1").arg(QStringLiteral(ONEIRION_VERSION)), "Label16");
    auto* description = makeLabel(
        tr("Oneirion is a comprehensive dream journal cum database software. This software helps "
           "you record your dreams and also interprets the dream symbols for you. You also have "
           "the option to maintain your own personalized database of dream meanings."),
        "Label17");
    auto* ok = makeButton(tr("&OK"), "cmdOK");
    description->setWordWrap(true);
    auto* icon = new QLabel;
    // Drawn for the screen's pixel density, so it stays sharp when the desktop is scaled.
    icon->setPixmap(QApplication::windowIcon().pixmap(QSize(64, 64), devicePixelRatioF()));

    auto* heading = new QHBoxLayout;
    heading->addWidget(icon);
    heading->addWidget(name, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    description->setMaximumWidth(textWidth(description, 90));
    layout->addWidget(description);
    layout->addStretch(1);
    layout->addLayout(buttons);

    applyPanelFonts(this);
    QFont title = windowFont();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    name->setFont(title);

    addButtonShortcut(this, QKeySequence(Qt::Key_Escape), ok);

    connect(ok, &QPushButton::clicked, this, &AboutPanel::closeRequested);
}
