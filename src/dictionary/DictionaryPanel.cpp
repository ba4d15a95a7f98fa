#include "dictionary/DictionaryPanel.h"

#include "core/CaseFold.h"
#include "core/KeywordStore.h"
#include "core/Text.h"
#include "gui/EditorText.h"
#include "gui/MessageBox.h"
#include "gui/TextDelegate.h"
#include "gui/Widgets.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// A refill that changes more entries than this rebuilds the list instead of patching it.
constexpr int kMostPatched = 64;

// Clicking into the search box runs the search once more.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent)
        , onClick_(std::move(onClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease)
            onClick_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick_;
};

} // namespace

DictionaryPanel::DictionaryPanel(KeywordStore& store, QWidget* parent)
    : QGroupBox(tr("Dream Dictionary Database"), parent)
    , store_(store)
    , search_(named(new QLineEdit, "txtSearch"))
    , list_(named(new QListWidget, "lstKeywords"))
    , keyword_(named(new QLineEdit, "txtKeyword"))
    , description_(named(new QPlainTextEdit, "txtKeywordDesc"))
    , add_(makeButton(tr("&Add"), "cmdAddKeyword")) {
    setObjectName(QStringLiteral("Frame4"));
    auto* searchLabel = makeLabel(tr("Enter Search String"), "Label6");
    auto* searchButton = makeButton(tr("&Search"), "cmdSearch");
    auto* keywordLabel = makeLabel(tr("Name: "), "Label4");
    auto* descriptionLabel = makeLabel(tr("Description"), "Label3");
    auto* edit = makeButton(tr("&Edit"), "cmdUpdateKeyword");
    auto* remove = makeButton(tr("&Delete"), "cmdDeleteKeyword");
    auto* toJournal = makeButton(tr("Back To &Dream"), "cmdBackToDream_3");
    auto* toHome = makeButton(tr("&Back To Main"), "cmdBack_2");
    search_->setClearButtonEnabled(true);
    list_->setUniformItemSizes(true);
    list_->setItemDelegate(new TextDelegate(list_, TextDelegate::Lines::Single));
    description_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Meanings are typed without tabs; Tab goes on to the buttons.
    description_->setTabChangesFocus(true);
    searchLabel->setBuddy(search_);
    keywordLabel->setBuddy(keyword_);
    descriptionLabel->setBuddy(description_);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(search_, 1);
    searchRow->addWidget(searchButton);
    auto* left = new QVBoxLayout;
    left->addWidget(searchLabel);
    left->addLayout(searchRow);
    left->addWidget(list_, 1);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(keywordLabel);
    nameRow->addWidget(keyword_, 1);
    auto* editRow = new QHBoxLayout;
    editRow->addWidget(add_);
    editRow->addWidget(edit);
    editRow->addWidget(remove);
    auto* backRow = new QHBoxLayout;
    backRow->addStretch(1);
    backRow->addWidget(toJournal);
    backRow->addWidget(toHome);
    auto* right = new QVBoxLayout;
    right->addLayout(nameRow);
    right->addWidget(descriptionLabel);
    right->addWidget(description_, 1);
    right->addLayout(editRow);
    right->addLayout(backRow);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);

    // Two buttons kept off the layout: a refresh of the list, and one that does nothing.
    auto* refreshButton = makeButton(tr("&Refresh"), "cmdRefresh");
    auto* unused = makeButton(tr("Add &New Keyword"), "cmdAdd");
    for (QPushButton* hidden : {refreshButton, unused}) {
        hidden->setParent(this);
        hidden->hide();
    }
    applyPanelFonts(this);
    applyReadingFont(description_);
    setTabChain({search_, searchButton, list_, keyword_, description_, add_, edit, remove,
                 toJournal, toHome});
    addButtonShortcut(this, QKeySequence(Qt::Key_Escape), toHome);

    connect(search_, &QLineEdit::textChanged, this, &DictionaryPanel::search);
    search_->installEventFilter(new ClickFilter(this, [this] { search(); }));
    connect(searchButton, &QPushButton::clicked, this, &DictionaryPanel::search);
    connect(refreshButton, &QPushButton::clicked, this, &DictionaryPanel::refresh);
    connect(list_, &QListWidget::itemSelectionChanged, this, &DictionaryPanel::showPicked);
    connect(add_, &QPushButton::clicked, this, &DictionaryPanel::addOrSave);
    connect(edit, &QPushButton::clicked, this, &DictionaryPanel::editPicked);
    connect(remove, &QPushButton::clicked, this, &DictionaryPanel::deletePicked);
    connect(toHome, &QPushButton::clicked, this, &DictionaryPanel::homeRequested);
    connect(toJournal, &QPushButton::clicked, this, &DictionaryPanel::journalRequested);
}

QString DictionaryPanel::typedKeyword() const {
    return Text::trimSpaces(keyword_->text());
}

QString DictionaryPanel::typedDescription() const {
    return Text::trimSpaces(EditorText::plainText(description_->document()));
}

void DictionaryPanel::clearBoxes() {
    keyword_->clear();
    description_->clear();
}

void DictionaryPanel::setMode(Mode mode) {
    mode_ = mode;
    add_->setText(mode == Mode::Adding ? tr("&Save") : tr("&Add"));
}

void DictionaryPanel::refresh() {
    // Nobody sees the list while the panel is hidden, so it is filled when the panel is shown,
    // from the dictionary as it is then: the start neither sorts nor holds a large dictionary's
    // list before the user asks for it.
    if (!isVisible()) {
        refreshPending_ = true;
        return;
    }
    refreshPending_ = false;
    // A dictionary that cannot be read lists nothing.
    fill(store_.keywords().value_or(QStringList()));
}

void DictionaryPanel::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    if (refreshPending_)
        refresh();
}

void DictionaryPanel::search() {
    fill(store_.search(Text::trimSpaces(search_->text())).value_or(QStringList()));
}

void DictionaryPanel::showPicked() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return;
    const QString picked = selected.first()->text();
    // Of several rows that differ only in case, the last one in the table is the one shown.
    const Result<std::optional<KeywordEntry>> found = store_.find(picked);
    if (!found || !found->has_value())
        return;
    picked_ = picked;
    keyword_->setText((*found)->keyword);
    description_->setPlainText((*found)->description);
}

void DictionaryPanel::addOrSave() {
    if (mode_ == Mode::Browsing) {
        setMode(Mode::Adding);
        list_->setEnabled(false);
        picked_.reset();
        clearBoxes();
        keyword_->setFocus();
        refresh();
        return;
    }

    const QString keyword = typedKeyword();
    const QString description = typedDescription();
    if (keyword.isEmpty() || description.isEmpty()) {
        MessageBox::critical(this,
                             tr("Please Enter The Keyword And Its Corresponding Description"));
        clearBoxes();
        list_->setEnabled(true);
        return;
    }
    const Result<bool> exists = store_.contains(keyword);
    if (exists && *exists) {
        MessageBox::critical(this, tr("This Keyword Already Exists"));
        return;
    }
    const Status added = exists ? store_.add(keyword, description) : exists.status();
    if (!added) {
        MessageBox::notSaved(this, tr("The Keyword \"%1\" Was Not Saved").arg(keyword),
                             added.errorMessage());
        return;
    }
    MessageBox::information(this, tr("Keyword Saved Successfully"));
    clearBoxes();
    list_->setEnabled(true);
    setMode(Mode::Browsing);
    refresh();
}

void DictionaryPanel::editPicked() {
    const QString keyword = typedKeyword();
    const QString description = typedDescription();
    if (keyword.isEmpty() || description.isEmpty()) {
        MessageBox::critical(this, tr("Please Select The Keyword From The Given List"));
        clearBoxes();
        picked_.reset();
        return;
    }
    // The rows changed are those of the keyword picked in the list, which the box may only
    // change in case: never a keyword typed over it, nor one that differs only in spaces.
    if (!picked_ || !CaseFold::equal(Text::trimSpaces(*picked_), keyword)) {
        MessageBox::critical(this, tr("Please Select The Keyword From The Given List"));
        return;
    }
    // Every row with this keyword is rewritten, not just the first.
    const Result<int> rewritten = store_.update(*picked_, keyword, description);
    if (!rewritten) {
        MessageBox::notSaved(this,
                             tr("The Changes To The Keyword \"%1\" Were Not Saved").arg(keyword),
                             rewritten.errorMessage());
        return;
    }
    if (*rewritten == 0) {
        MessageBox::critical(
            this, tr("The Keyword \"%1\" Was Not Found\nNothing Was Changed").arg(keyword));
        return;
    }
    MessageBox::information(this, tr("Keyword Updates Successfully"));
    clearBoxes();
    picked_.reset();
    refresh();
}

void DictionaryPanel::deletePicked() {
    if (typedKeyword().isEmpty() || typedDescription().isEmpty()) {
        MessageBox::critical(this, tr("Please Select The Keyword To Delete"));
        return;
    }
    // The row to delete is the one picked in the list, whatever the boxes show by now.
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (!selected.isEmpty()) {
        const QString picked = selected.first()->text();
        Result<std::vector<qint64>> rows = store_.rowsOf(picked);
        Status deleted = rows.status();
        // Each row with this keyword is asked about in turn, until one is deleted.
        for (const qint64 row : rows.value_or(std::vector<qint64>())) {
            if (MessageBox::question(this, tr("Are You Sure To Delete The Keyword ?"),
                                     MessageBox::Yes | MessageBox::No, MessageBox::No,
                                     MessageBox::Icon::Warning) != MessageBox::Yes)
                continue;
            deleted = store_.removeRow(row);
            if (deleted)
                MessageBox::critical(this, tr("Keyword Deleted Successfully"));
            break;
        }
        if (!deleted) {
            MessageBox::notSaved(this, tr("The Keyword \"%1\" Was Not Deleted").arg(picked),
                                 deleted.errorMessage());
            return;
        }
    }
    refresh();
}

bool DictionaryPanel::settlePendingAdd() {
    if (mode_ != Mode::Adding)
        return false;
    if (MessageBox::question(this, tr("Do You Want To Save Keyword"),
                             MessageBox::Yes | MessageBox::No, MessageBox::Yes,
                             MessageBox::Icon::Critical) == MessageBox::Yes) {
        addOrSave();
    } else {
        // Not adding any more: the list must answer again. The boxes keep what was typed.
        setMode(Mode::Browsing);
        list_->setEnabled(true);
    }
    return true;
}

void DictionaryPanel::fill(const QStringList& keywords) {
    // A refill must not show a keyword on the way.
    const QSignalBlocker quiet(list_);
    // After an edit most entries stay: keep those the lists share at their start and their end,
    // and replace only what lies between. Building 50,000 items anew is what costs the time, and
    // asking each item for its text nearly as much: the texts shown are kept beside the list.
    const int shown = int(shown_.size());
    const int wanted = int(keywords.size());
    int head = 0;
    while (head < shown && head < wanted && shown_[head] == keywords[head])
        ++head;
    int tail = 0;
    while (tail < shown - head && tail < wanted - head &&
           shown_[shown - 1 - tail] == keywords[wanted - 1 - tail])
        ++tail;
    const int removed = shown - head - tail;
    const int added = wanted - head - tail;
    shown_ = keywords;
    if (removed + added > kMostPatched) {
        list_->clear();
        list_->addItems(keywords);
        return;
    }
    for (int i = 0; i < removed; ++i)
        delete list_->takeItem(head);
    list_->insertItems(head, keywords.mid(head, added));
    list_->setCurrentItem(nullptr);
    list_->clearSelection();
    list_->scrollToTop();
}
