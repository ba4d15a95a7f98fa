#include "journal/JournalEditor.h"

#include "core/Text.h"
#include "gui/EditorText.h"
#include "gui/MessageBox.h"
#include "gui/Widgets.h"
#include "journal/JournalPrint.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// The date lists: their first items and how many they hold.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2050;

// Whether `stored` is a value that the list of `first` to `last` shows.
bool listed(const QVariant& stored, int first, int last) {
    const auto number = Text::wholeNumber(stored);
    return number && *number >= first && *number <= last;
}

// Selects the position that stands for a stored value, when the list has one; otherwise the
// list keeps what it showed.
void selectStored(QComboBox* list, const QVariant& stored, int first, int last) {
    if (listed(stored, first, last))
        list->setCurrentIndex(int(*Text::wholeNumber(stored) - first));
}

QVariant numberOfItem(const QComboBox* list) {
    bool ok = false;
    const short number = Text::trimSpaces(list->currentText()).toShort(&ok);
    return ok ? QVariant(int(number)) : QVariant();
}

} // namespace

bool JournalEditor::Content::operator==(const Content& other) const {
    return year == other.year && month == other.month && day == other.day && name == other.name &&
           text == other.text;
}

JournalEditor::JournalEditor(JournalStore& store, std::function<QDate()> today, QWidget* parent)
    : QGroupBox(tr("Start New Journal"), parent)
    , store_(store)
    , today_(std::move(today))
    , name_(named(new QLineEdit, "txtJournalName"))
    , month_(named(new QComboBox, "cboMonth"))
    , day_(named(new QComboBox, "cboDate"))
    , year_(named(new QComboBox, "cboYear"))
    , text_(named(new QTextEdit, "rtbJournalText"))
    , save_(makeButton(tr("S&ave/Update Journal"), "cmdSave"))
    , delete_(makeButton(tr("&Delete Journal"), "cmdDelete"))
    , cancel_(makeButton(tr("&Cancel"), "cmdCancel"))
    , newEntry_(makeButton(tr("Start &New Journal"), "cmdNewJournal")) {
    setObjectName(QStringLiteral("Frame2"));
    auto* nameLabel = makeLabel(tr("Journal Name: "), "Label1");
    auto* dateLabel = makeLabel(tr("Journal Date:"), "Label2");
    auto* print = makeButton(tr("&Print"), "cmdPrint");
    auto* analyze = makeButton(tr("&Analyze This Dream"), "cmdAnalyze");
    auto* back = makeButton(tr("&Back To Main"), "cmdBack_1");
    text_->setAcceptRichText(false);
    nameLabel->setBuddy(name_);
    dateLabel->setBuddy(month_);

    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        month_->addItem(locale.standaloneMonthName(month, QLocale::LongFormat));
    for (int day = 1; day <= 31; ++day)
        day_->addItem(QString::number(day));
    for (int year = kFirstYear; year <= kLastYear; ++year)
        year_->addItem(QString::number(year));

    auto* date = new QHBoxLayout;
    // The lists as wide as their items, not spread over a wide window.
    date->addWidget(month_);
    date->addWidget(day_);
    date->addWidget(year_);
    date->addStretch(1);
    auto* fields = new QGridLayout;
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(name_, 0, 1);
    fields->addWidget(dateLabel, 1, 0);
    fields->addLayout(date, 1, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {save_, analyze, print, delete_, cancel_, back})
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (QPushButton* button : {save_, analyze, print, delete_, cancel_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(back);
    auto* body = new QHBoxLayout;
    body->addWidget(text_, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(body, 1);
    // Starting a new entry has this second way in, kept off the layout.
    newEntry_->setParent(this);
    newEntry_->hide();
    applyPanelFonts(this);
    setTextZoom(0);
    limitLineLength(text_, 80);
    setTabChain({name_, month_, day_, year_, text_, save_, analyze, print, delete_, cancel_, back});
    // Tab is typed into the dream; Ctrl+Tab leaves it, as in other editors.
    text_->installEventFilter(this);
    addButtonShortcut(this, QKeySequence::Save, save_);
    addButtonShortcut(this, QKeySequence(Qt::Key_Escape), back);

    // Nothing to save, delete or cancel yet, and no name to type.
    for (QWidget* control : std::initializer_list<QWidget*>{save_, delete_, cancel_, name_})
        control->setEnabled(false);
    rememberContent();

    connect(save_, &QPushButton::clicked, this, [this] { save(false); });
    connect(analyze, &QPushButton::clicked, this, &JournalEditor::analyzeRequested);
    connect(print, &QPushButton::clicked, this, &JournalEditor::print);
    connect(delete_, &QPushButton::clicked, this, &JournalEditor::removeShownEntry);
    connect(cancel_, &QPushButton::clicked, this, &JournalEditor::cancel);
    connect(back, &QPushButton::clicked, this, &JournalEditor::backRequested);
    connect(newEntry_, &QPushButton::clicked, this, &JournalEditor::startNew);
}

void JournalEditor::setTextZoom(int zoom) {
    applyReadingFont(text_, zoom);
}

bool JournalEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers().testFlag(Qt::ControlModifier) &&
            (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            focusNextPrevChild(key->key() == Qt::Key_Tab);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

QTextDocument* JournalEditor::document() const {
    return text_->document();
}

void JournalEditor::deferLayoutUntilShown() {
    EditorText::deferLayoutUntilShown(text_);
}

void JournalEditor::selectAllText() {
    text_->selectAll();
}

void JournalEditor::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    if (focusNameWhenShown_) {
        focusNameWhenShown_ = false;
        name_->setFocus();
    }
}

JournalEditor::Content JournalEditor::content() const {
    return {name_->text(), EditorText::plainText(text_), year_->currentIndex(),
            month_->currentIndex(), day_->currentIndex()};
}

void JournalEditor::rememberContent() {
    stored_ = content();
}

bool JournalEditor::isModified() const {
    const Content now = content();
    // A new entry with nothing written in it has nothing worth keeping, whatever its date.
    if (!shown_ && Text::trimSpaces(now.name).isEmpty() && Text::trimSpaces(now.text).isEmpty())
        return false;
    return !(now == stored_);
}

bool JournalEditor::maybeSave() {
    if (!isModified())
        return true;
    const MessageBox::Button answer = MessageBox::question(
        this, tr("Do You Want To Save The Changes To This Journal ?"),
        MessageBox::Yes | MessageBox::No | MessageBox::Cancel, MessageBox::Yes);
    if (answer == MessageBox::No)
        return true;
    if (answer != MessageBox::Yes)
        return false;
    if (save(false))
        return true;
    // The refusal points at a box of the editor: show it.
    Q_EMIT attentionNeeded();
    return false;
}

void JournalEditor::setEnabledForTyping(bool enabled) {
    name_->setEnabled(enabled);
    text_->setEnabled(enabled);
    Q_EMIT editingEnabled(enabled);
}

void JournalEditor::clearEntry() {
    name_->clear();
    EditorText::setPlainText(text_, QString());
    Q_EMIT textShown(QString());
    shown_.reset();
    rememberContent();
}

void JournalEditor::showEntry(qint64 id) {
    Result<JournalEntry> entry = store_.entry(id);
    if (!entry) {
        MessageBox::critical(this, tr("Journal Could Not Be Opened\n%1").arg(entry.errorMessage()));
        closeEntry();
        Q_EMIT entryRemoved(id);
        return;
    }
    setEnabledForTyping(true);
    name_->setText(entry->name);
    EditorText::setPlainText(text_, entry->text);
    Q_EMIT textShown(entry->text);
    selectStored(month_, entry->month, 1, 12);
    selectStored(day_, entry->day, 1, 31);
    selectStored(year_, entry->year, kFirstYear, kLastYear);
    shown_ = std::move(*entry);
    rememberContent();
    mode_ = Mode::ExistingEntry;
    save_->setEnabled(true);
    save_->setText(tr("Upd&ate"));
    delete_->setEnabled(true);
}

void JournalEditor::closeEntry() {
    clearEntry();
    save_->setEnabled(false);
    setEnabledForTyping(false);
    delete_->setEnabled(false);
    mode_ = Mode::Idle;
}

bool JournalEditor::startNew() {
    if (!maybeSave())
        return false;
    Q_EMIT entryClosed();
    clearEntry();
    setEnabledForTyping(true);
    newEntry_->setEnabled(false);
    delete_->setEnabled(false);
    save_->setText(tr("S&ave"));
    save_->setEnabled(true);
    cancel_->setEnabled(true);
    setTodaysDate();
    rememberContent();
    mode_ = Mode::NewEntry;
    name_->setFocus();
    focusNameWhenShown_ = !isVisible();
    return true;
}

void JournalEditor::cancel() {
    newEntry_->setEnabled(true);
    delete_->setEnabled(false);
    clearEntry();
    save_->setEnabled(false);
    setEnabledForTyping(false);
    Q_EMIT entryClosed();
    cancel_->setEnabled(false);
    mode_ = Mode::Idle;
}

void JournalEditor::setTodaysDate() {
    const QDate today = today_();
    if (today.year() >= kFirstYear && today.year() <= kLastYear)
        year_->setCurrentIndex(today.year() - kFirstYear);
    month_->setCurrentIndex(today.month() - 1);
    day_->setCurrentIndex(today.day() - 1);
}

std::array<QVariant, 3> JournalEditor::dateToStore() const {
    std::array<QVariant, 3> date{numberOfItem(year_),
                                 month_->currentIndex() >= 0 ? QVariant(month_->currentIndex() + 1)
                                                             : QVariant(),
                                 numberOfItem(day_)};
    if (shown_) {
        const std::array<QVariant, 3> stored{shown_->year, shown_->month, shown_->day};
        const std::array<std::pair<int, int>, 3> ranges{std::pair{kFirstYear, kLastYear},
                                                        std::pair{1, 12}, std::pair{1, 31}};
        const std::array<int, 3> shownIndexes{stored_.year, stored_.month, stored_.day};
        const std::array<const QComboBox*, 3> lists{year_, month_, day_};
        for (std::size_t part = 0; part < 3; ++part) {
            if (!listed(stored[part], ranges[part].first, ranges[part].second) &&
                lists[part]->currentIndex() == shownIndexes[part])
                date[part] = stored[part];
        }
    }
    return date;
}

bool JournalEditor::validate() {
    if (Text::trimSpaces(name_->text()).isEmpty()) {
        MessageBox::warning(this, tr("Journal Name cannot be blank."));
        name_->setFocus();
        return false;
    }
    if (Text::trimSpaces(EditorText::plainText(text_)).isEmpty()) {
        MessageBox::warning(this, tr("Journal Entry cannot be blank."));
        text_->setFocus();
        return false;
    }
    // The lists offer 31 days in every month; a day that the month does not have is no date.
    const std::array<QVariant, 3> date = dateToStore();
    const auto year = Text::wholeNumber(date[0]);
    const auto month = Text::wholeNumber(date[1]);
    const auto day = Text::wholeNumber(date[2]);
    if (year && month && day && !QDate(int(*year), int(*month), int(*day)).isValid()) {
        const QString monthName = *month >= 1 && *month <= month_->count()
                                      ? month_->itemText(int(*month - 1))
                                      : QString::number(*month);
        MessageBox::warning(this, tr("%1 %2 %3 Is Not A Valid Date\nPlease Choose A Date That "
                                     "Exists")
                                      .arg(*day)
                                      .arg(monthName)
                                      .arg(*year));
        day_->setFocus();
        return false;
    }
    return true;
}

void JournalEditor::saveForAnalysis() {
    save(true);
}

bool JournalEditor::save(bool quietAboutTakenName) {
    if (!validate())
        return false;
    // The editor's entry is written by its ID, under whatever name and date it now has.
    return shown_ ? updateEntry(quietAboutTakenName) : insertEntry(quietAboutTakenName);
}

bool JournalEditor::nameFree(std::optional<qint64> except, bool quiet) {
    // A journal that cannot be asked is not refused here: the write then says what failed.
    const Result<bool> taken = store_.isNameTaken(Text::trimSpaces(name_->text()), except);
    if (!taken || !*taken)
        return true;
    if (!quiet) {
        MessageBox::critical(
            this, tr("Journal With This Name Already Exists\nPlease Rename The Journal"));
        name_->setFocus();
    }
    return false;
}

bool JournalEditor::updateEntry(bool quietAboutTakenName) {
    if (!nameFree(shown_->id, quietAboutTakenName))
        return false;
    const std::array<QVariant, 3> date = dateToStore();
    JournalEntry entry{shown_->id, name_->text(), Text::trimSpaces(EditorText::plainText(text_)),
                       date[0],    date[1],       date[2]};
    if (Status written = store_.update(entry); !written) {
        MessageBox::notSaved(this,
                             tr("Journal Could Not Be Updated\nThe changed entry was not stored; "
                                "it is still in the editor."),
                             written.errorMessage());
        return false;
    }
    // Only a new name or date moves the entry's node.
    const Content now = content();
    const bool moved = now.name != stored_.name || now.year != stored_.year ||
                       now.month != stored_.month || now.day != stored_.day;
    shown_ = std::move(entry);
    rememberContent();
    cancel_->setEnabled(false);
    delete_->setEnabled(true);
    save_->setText(tr("Upd&ate"));
    mode_ = Mode::ExistingEntry;
    Q_EMIT entryStored(shown_->id, moved);
    MessageBox::information(this, tr("Journal Updated Successfully"));
    return true;
}

bool JournalEditor::insertEntry(bool quietAboutTakenName) {
    if (!nameFree(std::nullopt, quietAboutTakenName))
        return false;
    const std::array<QVariant, 3> date = dateToStore();
    JournalEntry entry{0, name_->text(), EditorText::plainText(text_), date[0], date[1], date[2]};
    Result<qint64> id = store_.insert(entry);
    if (!id) {
        MessageBox::notSaved(this,
                             tr("Journal Could Not Be Saved\nThe entry \"%1\" was not stored; its "
                                "name and text are still in the editor.")
                                 .arg(Text::trimSpaces(entry.name)),
                             id.errorMessage());
        return false;
    }
    entry.id = *id;
    shown_ = std::move(entry);
    rememberContent();
    newEntry_->setEnabled(true);
    delete_->setEnabled(true);
    save_->setText(tr("Upd&ate"));
    mode_ = Mode::ExistingEntry;
    Q_EMIT entryStored(*id, true);
    MessageBox::information(this, tr("Journal Saved Successfully"));
    return true;
}

QString JournalEditor::shownEntryLabel() const {
    // As the tree shows it.
    return shown_->name + QStringLiteral(" (") + Text::plainValue(shown_->month) +
           QLatin1Char('-') + Text::plainValue(shown_->day) + QLatin1Char('-') +
           Text::plainValue(shown_->year) + QLatin1Char(')');
}

void JournalEditor::removeShownEntry() {
    // The entry the editor shows, never merely the node the tree highlights.
    if (!shown_)
        return;
    const qint64 id = shown_->id;
    const QString label = shownEntryLabel();
    if (MessageBox::question(this, tr("Are you sure you want to delete this journal entry ?"),
                             MessageBox::Yes | MessageBox::No, MessageBox::No) != MessageBox::Yes)
        return;
    if (Status removed = store_.remove(id); !removed) {
        MessageBox::notSaved(
            this,
            tr("Journal Could Not Be Deleted\nThe entry \"%1\" is still in the journal.")
                .arg(label),
            removed.errorMessage());
        return;
    }
    // The buttons stay as they were; with no entry shown, Delete has nothing to act on.
    setEnabledForTyping(false);
    clearEntry();
    mode_ = Mode::Idle;
    Q_EMIT entryRemoved(id);
    MessageBox::critical(this, tr("Journal Deleted Successfully"));
}

void JournalEditor::print() {
    const QString name = Text::trimSpaces(name_->text());
    const QString text = EditorText::plainText(text_);
    if (name.isEmpty() && Text::trimSpaces(text).isEmpty()) {
        MessageBox::warning(
            this, tr("There Is Nothing To Print\nOpen a journal entry or write one first."));
        return;
    }
    // The date as a save would store it: a stored year that the year list cannot show is
    // printed as stored, not as the list still shows it.
    const std::array<QVariant, 3> date = dateToStore();
    // Printed at reading size, whatever the zoom on the screen.
    Status printed = printJournalEntry(this, name, date, text, readingFont());
    if (!printed)
        MessageBox::notSaved(this, tr("Journal Could Not Be Printed"), printed.errorMessage());
}
