// The journal editor: showing, clearing, enabling and validating an entry.

#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modText.h"
#include "data/modDB.h"
#include "journal/JournalText.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

// Selects the list position that stands for `value`, when the list has one; otherwise the list
// keeps what it showed.
void selectStoredValue(QComboBox* list, const QVariant& value, int first, int last) {
    const auto number = journal::WholeNumber(value);
    if (number && *number >= first && *number <= last)
        list->setCurrentIndex(int(*number - first));
}

} // namespace

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
    selectStoredValue(cboMonth, dreams->Field(QStringLiteral("Month")), 1, 12);
    selectStoredValue(cboDate, dreams->Field(QStringLiteral("Day")), 1, 31);
    selectStoredValue(cboYear, dreams->Field(QStringLiteral("Year")), 1900, 2050);
    if (found)
        shownJournalId_ = journal::WholeNumber(dreams->Field(QStringLiteral("ID")));
    else
        shownJournalId_.reset();
    dreams->Filter(QString());
}

void frmMain::ClearJournal() {
    rtbJournalText->setEnabled(false);
    rtbJournalText1->setEnabled(false);
    txtJournalName->clear();
    journal::SetEditorText(rtbJournalText, QString());
    journal::SetEditorText(rtbJournalText1, QString());
    shownJournalId_.reset();
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
    return true;
}

void frmMain::cmdNewJournal_Click() {
    tvDreams->setCurrentItem(nullptr);
    tvDreams->clearSelection();
    SetJournalEnabled(true);
    cmdNewJournal->setEnabled(false);
    cmdDelete->setEnabled(false);
    cmdSave->setText(QStringLiteral("S&ave"));
    cmdSave->setEnabled(true);
    cmdCancel->setEnabled(true);
    ClearJournal();
    rtbJournalText->setEnabled(true);
    rtbJournalText1->setEnabled(true);
    txtJournalName->setFocus();
}

void frmMain::cmdStartNewJournal_Click() {
    cmdNewJournal_Click();
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
    cmdCancel->setEnabled(false);
}
