// The journal editor: showing, clearing, enabling and validating an entry.

#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modText.h"
#include "data/modDB.h"
#include "journal/JournalText.h"
#include "shell/modRegistry.h"

#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

// Selects the list position that stands for `value`, when the list has one; otherwise the list
// keeps what it showed, and the stored value is given back so that a save can keep it.
std::optional<QVariant> selectStoredValue(QComboBox* list, const QVariant& value, int first,
                                          int last) {
    const auto number = journal::WholeNumber(value);
    if (number && *number >= first && *number <= last) {
        list->setCurrentIndex(int(*number - first));
        return std::nullopt;
    }
    return value;
}

} // namespace

bool frmMain::EditorContent::operator==(const EditorContent& other) const {
    return year == other.year && month == other.month && day == other.day && name == other.name &&
           text == other.text;
}

frmMain::EditorContent frmMain::editorContent() const {
    return {txtJournalName->text(), journal::EditorText(rtbJournalText), cboYear->currentIndex(),
            cboMonth->currentIndex(), cboDate->currentIndex()};
}

void frmMain::rememberEditorContent() {
    storedContent_ = editorContent();
}

bool frmMain::journalChanged() const {
    const EditorContent now = editorContent();
    // A new entry with nothing written in it has nothing worth keeping, whatever its date.
    if (!shownJournalId_ && modText::TrimSpaces(now.name).isEmpty() &&
        modText::TrimSpaces(now.text).isEmpty())
        return false;
    return !(now == storedContent_);
}

bool frmMain::offerToSaveChanges() {
    if (!journalChanged())
        return true;
    const MsgBox::Answer answer =
        MsgBox::Show(tr("Do You Want To Save The Changes To This Journal ?"),
                     MsgBox::Icon::Question, MsgBox::Buttons::YesNoCancel, MsgBox::Answer::Yes);
    if (answer == MsgBox::Answer::No)
        return true;
    if (answer != MsgBox::Answer::Yes)
        return false;
    if (saveJournal())
        return true;
    // The refusal points at a box of the editor: show it.
    BringToFront(Frame2);
    return false;
}

std::array<frmMain::DatePart, 3> frmMain::journalDate() const {
    std::array<DatePart, 3> date;
    auto listed = [](const QComboBox* list) -> std::optional<qlonglong> {
        bool ok = false;
        const short number = modText::TrimSpaces(list->currentText()).toShort(&ok);
        return ok ? std::optional<qlonglong>(number) : std::nullopt;
    };
    date[0].value = listed(cboYear);
    if (cboMonth->currentIndex() >= 0)
        date[1].value = cboMonth->currentIndex() + 1;
    date[2].value = listed(cboDate);
    const int shownIndexes[3] = {storedContent_.year, storedContent_.month, storedContent_.day};
    const QComboBox* lists[3] = {cboYear, cboMonth, cboDate};
    for (int part = 0; part < 3; ++part) {
        const std::optional<QVariant>& stored = unlistedDate_[std::size_t(part)];
        if (stored && lists[part]->currentIndex() == shownIndexes[part])
            date[std::size_t(part)] = {true, journal::WholeNumber(*stored)};
    }
    return date;
}

void frmMain::ShowJournal(const QString& key) {
    const modDB::RecordsetPtr& dreams = modDB::rsDreams;
    if (!dreams)
        return;
    dreams->Filter(QStringLiteral("ID=") + key.mid(1));
    const bool found = !dreams->EOF_();
    const QString text = dreams->Field(QStringLiteral("journaltext")).toString();

    txtJournalName->setEnabled(true);
    txtJournalName->setText(dreams->Field(QStringLiteral("JournalName")).toString());
    rtbJournalText->setEnabled(true);
    rtbJournalText1->setEnabled(true);
    journal::SetEditorText(rtbJournalText, text);
    journal::SetEditorText(rtbJournalText1, text);
    const auto month = selectStoredValue(cboMonth, dreams->Field(QStringLiteral("Month")), 1, 12);
    const auto day = selectStoredValue(cboDate, dreams->Field(QStringLiteral("Day")), 1, 31);
    const auto year = selectStoredValue(cboYear, dreams->Field(QStringLiteral("Year")), 1900, 2050);
    if (found) {
        shownJournalId_ = journal::WholeNumber(dreams->Field(QStringLiteral("ID")));
        unlistedDate_ = {year, month, day};
    } else {
        shownJournalId_.reset();
        unlistedDate_ = {};
    }
    dreams->Filter(QString());
    rememberEditorContent();
}

void frmMain::ClearJournal() {
    rtbJournalText->setEnabled(false);
    rtbJournalText1->setEnabled(false);
    txtJournalName->clear();
    journal::SetEditorText(rtbJournalText, QString());
    journal::SetEditorText(rtbJournalText1, QString());
    shownJournalId_.reset();
    unlistedDate_ = {};
    rememberEditorContent();
}

void frmMain::SetJournalEnabled(bool flag) {
    txtJournalName->setEnabled(flag);
    rtbJournalText->setEnabled(flag);
    rtbJournalText1->setEnabled(flag);
}

bool frmMain::ValidateJournal() {
    if (modText::TrimSpaces(txtJournalName->text()).isEmpty()) {
        MsgBox::Show(QStringLiteral("Journal Name cannot be blank."), MsgBox::Icon::Exclamation);
        txtJournalName->setFocus();
        return false;
    }
    if (modText::TrimSpaces(journal::EditorText(rtbJournalText)).isEmpty()) {
        MsgBox::Show(QStringLiteral("Journal Entry cannot be blank."), MsgBox::Icon::Exclamation);
        rtbJournalText->setFocus();
        return false;
    }
    // The lists offer 31 days in every month; a day that the month does not have is no date.
    const std::array<DatePart, 3> date = journalDate();
    if (date[0].value && date[1].value && date[2].value &&
        !QDate(int(*date[0].value), int(*date[1].value), int(*date[2].value)).isValid()) {
        const int month = int(*date[1].value);
        const QString monthName = month >= 1 && month <= cboMonth->count()
                                      ? cboMonth->itemText(month - 1)
                                      : QString::number(month);
        MsgBox::Show(tr("%1 %2 %3 Is Not A Valid Date\nPlease Choose A Date That Exists")
                         .arg(*date[2].value)
                         .arg(monthName)
                         .arg(*date[0].value),
                     MsgBox::Icon::Exclamation);
        cboDate->setFocus();
        return false;
    }
    return true;
}

void frmMain::setTodaysDate() {
    const QDate today = modRegistry::Today();
    if (today.year() >= 1900 && today.year() - 1900 < cboYear->count())
        cboYear->setCurrentIndex(today.year() - 1900);
    cboMonth->setCurrentIndex(today.month() - 1);
    cboDate->setCurrentIndex(today.day() - 1);
}

void frmMain::cmdNewJournal_Click() {
    startNewJournal();
}

bool frmMain::startNewJournal() {
    if (!offerToSaveChanges())
        return false;
    tvDreams->setCurrentItem(nullptr);
    tvDreams->clearSelection();
    openNodeKey_.clear();
    SetJournalEnabled(true);
    cmdNewJournal->setEnabled(false);
    cmdDelete->setEnabled(false);
    cmdSave->setText(QStringLiteral("S&ave"));
    cmdSave->setEnabled(true);
    cmdCancel->setEnabled(true);
    ClearJournal();
    rtbJournalText->setEnabled(true);
    rtbJournalText1->setEnabled(true);
    setTodaysDate();
    rememberEditorContent();
    txtJournalName->setFocus();
    return true;
}

void frmMain::cmdStartNewJournal_Click() {
    if (!startNewJournal())
        return;
    BringToFront(Frame2);
    // The name box was hidden behind the home panel when it was given the focus.
    txtJournalName->setFocus();
}

void frmMain::cmdCancel_Click() {
    cmdNewJournal->setEnabled(true);
    cmdDelete->setEnabled(false);
    ClearJournal();
    cmdSave->setEnabled(false);
    SetJournalEnabled(false);
    tvDreams->setCurrentItem(nullptr);
    tvDreams->clearSelection();
    openNodeKey_.clear();
    cmdCancel->setEnabled(false);
}
