#include "home/HomePanel.h"

#include "gui/Widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QGroupBox* section(const QString& caption, const char* name, QLabel* description,
                   QPushButton* action) {
    auto* box = named(new QGroupBox(caption), name);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    action->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Wide enough for the longest caption with room around it, and the same for all three.
    action->setMinimumWidth(textWidth(action, 30));
    auto* layout = new QHBoxLayout(box);
    layout->setSpacing(layout->spacing() * 2);
    layout->addWidget(description, 1);
    layout->addWidget(action, 0, Qt::AlignVCenter);
    return box;
}

} // namespace

HomePanel::HomePanel(QWidget* parent)
    : QGroupBox(tr("Oneirion"), parent) {
    setObjectName(QStringLiteral("Frame1"));
    auto* startNew = makeButton(tr("Start New Journal"), "cmdStartNewJournal");
    auto* dictionary = makeButton(tr("Dream Dictionary Database"), "cmdDreamDictionary");
    auto* update = makeButton(tr("Update Dream Dictionary"), "cmdUpdateDreamDictionary");
    auto* journalText = makeLabel(
        tr("Maintain your own Dream Journal away from prying eyes and get an in-depth analysis of "
           "what your dreams mean. This is the best thing that could help you interpret you "
           "dreams and know how they can have an effect on your real life."),
        "Label13");
    auto* dictionaryText = makeLabel(
        tr("Here is a collection of more than 2000 dream symbols and their meanings. This helps "
           "you clearly analyze your dreams and draw a more meaningful conclusion of the message "
           "that your dreams convey."),
        "Label14");
    auto* updateText = makeLabel(
        tr("This is an exclusive feature that helps you maintain a personalized Dream Dictionary. "
           "You can freely add/ delete/ edit meanings to your dream dictionary and at the same "
           "time upgrade your dream dictionary on a regular basis."),
        "Label15");

    // The sections stay together at the top, in a column of readable width in the middle.
    auto* content = new QWidget;
    content->setMaximumWidth(textWidth(content, 120));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(column->spacing() * 2);
    column->addWidget(section(tr("Start New Journal"), "Frame6", journalText, startNew));
    column->addWidget(
        section(tr("Dream Dictionary Database"), "Frame7", dictionaryText, dictionary));
    column->addWidget(section(tr("Update Dream Dictionary"), "Frame8", updateText, update));
    column->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addStretch(0);
    layout->addWidget(content, 1);
    layout->addStretch(0);

    // A second way into the import, kept off the layout.
    auto* hiddenUpdate = makeButton(tr("Update Dream Dictionary"), "Command1");
    hiddenUpdate->setParent(this);
    hiddenUpdate->hide();

    applyPanelFonts(this);
    setTabChain({startNew, dictionary, update});

    connect(startNew, &QPushButton::clicked, this, &HomePanel::startNewJournalRequested);
    connect(dictionary, &QPushButton::clicked, this, &HomePanel::dictionaryRequested);
    connect(update, &QPushButton::clicked, this, &HomePanel::importRequested);
    connect(hiddenUpdate, &QPushButton::clicked, this, &HomePanel::importRequested);
}
