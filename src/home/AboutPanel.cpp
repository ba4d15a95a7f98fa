#include "home/AboutPanel.h"

#include "gui/Widgets.h"

#include <QApplication>
#include <QHBoxLayout>
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
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));

    auto* heading = new QHBoxLayout;
    heading->addWidget(icon);
    heading->addWidget(name, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(description);
    layout->addStretch(1);
    layout->addLayout(buttons);

    applyPanelFonts(this);
    QFont title = windowFont();
    title.setPointSizeF(14);
    title.setBold(true);
    name->setFont(title);

    connect(ok, &QPushButton::clicked, this, &AboutPanel::closeRequested);
}
