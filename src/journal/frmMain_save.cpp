// Saving, updating and deleting journal entries.

#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modText.h"
#include "data/CaseFold.h"
#include "data/QueryText.h"
#include "data/modDB.h"
#include "journal/JournalText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

const QString kSaveCaption = QStringLiteral("S&ave");
const QString kUpdateCaption = QStringLiteral("Upd&ate");
const char* const kDateColumns[3] = {"Year", "Month", "Day"};

// Whether a stored entry other than `exceptId` is named `name`, ignoring case; stored names keep
// their own spaces.
bool nameTaken(modDB::Recordset& dreams, const QString& name, std::optional<qlonglong> exceptId) {
    // The filter answers from an index instead of a walk over every entry.
    dreams.Filter(modDB::QueryText::EqualsFilter(QStringLiteral("JournalName"), name));
    bool taken = false;
    for (; !taken && !dreams.EOF_(); dreams.MoveNext())
        taken = !exceptId || journal::WholeNumber(dreams.Field(QStringLiteral("ID"))) != exceptId;
    dreams.Filter(QString());
    return taken;
}

modDB::Status noJournalStore() {
    return modDB::Status::Fail(QStringLiteral("The journal file Dreams.dll is not open."));
}

// Narrows the journal to the entry with `id`, its current row; fails when there is none.
modDB::Status findEntry(const modDB::RecordsetPtr& dreams, qlonglong id) {
    if (!dreams || !dreams->IsOpen())
        return noJournalStore();
    if (const modDB::Status filtered = dreams->Filter(QStringLiteral("ID=") + QString::number(id));
        !filtered)
        return filtered;
    if (dreams->EOF_())
        return modDB::Status::Fail(QStringLiteral("The entry no longer exists."));
    return modDB::Status::Ok();
}

} // namespace

void frmMain::selectTreeNode(const QString& key, bool expand) {
    QTreeWidgetItem* node = dreamNodes_.value(key);
    openNodeKey_ = node != nullptr ? key : QString();
    if (node == nullptr) {
        tvDreams->setCurrentItem(nullptr);
        tvDreams->clearSelection();
        return;
    }
    // As a click would leave it: its branch opened, the node in view.
    for (QTreeWidgetItem* up = node->parent(); up != nullptr; up = up->parent())
        up->setExpanded(true);
    tvDreams->setCurrentItem(node);
    if (expand)
        node->setExpanded(true);
    tvDreams->scrollToItem(node);
}

bool frmMain::journalNameFree(std::optional<qlonglong> exceptId) {
    const modDB::RecordsetPtr& dreams = modDB::rsDreams;
    if (!dreams || !dreams->IsOpen() ||
        !nameTaken(*dreams, modText::TrimSpaces(txtJournalName->text()), exceptId))
        return true;
    // The analysis saves first and goes on with a taken name without a word.
    if (!analysisRunning_) {
        MsgBox::Show(QStringLiteral("Journal With This Name Already Exists\n"
                                    "Please Rename The Journal"),
                     MsgBox::Icon::Critical);
        txtJournalName->setFocus();
    }
    return false;
}

void frmMain::cmdSave_Click() {
    saveJournal();
}

bool frmMain::saveJournal() {
    if (!ValidateJournal())
        return false;
    // The editor's entry is written by its ID, under whatever name and date it now has.
    return shownJournalId_ ? updateJournal() : addJournal();
}

bool frmMain::updateJournal() {
    const modDB::RecordsetPtr dreams = modDB::rsDreams;
    const qlonglong id = *shownJournalId_;
    const QString typedName = txtJournalName->text();
    if (!journalNameFree(id))
        return false;

    const std::array<DatePart, 3> date = journalDate();
    const EditorContent written = editorContent();
    // Only a new name or date moves the entry's node.
    const bool moved = written.name != storedContent_.name || written.year != storedContent_.year ||
                       written.month != storedContent_.month || written.day != storedContent_.day;
    auto update = [&]() -> modDB::Status {
        modDB::Status step = findEntry(dreams, id);
        if (step)
            step = dreams->SetField(QStringLiteral("JournalName"), typedName);
        if (step)
            step = dreams->SetField(QStringLiteral("journaltext"),
                                    modText::TrimSpaces(journal::EditorText(rtbJournalText)));
        for (std::size_t part = 0; part < date.size() && step; ++part) {
            if (!date[part].keepStored && date[part].value)
                step =
                    dreams->SetField(QLatin1String(kDateColumns[part]), short(*date[part].value));
        }
        return step ? dreams->Update() : step;
    };
    const modDB::Status updated = update();
    if (dreams && dreams->IsOpen()) {
        dreams->CancelUpdate();
        dreams->Filter(QString());
    }
    if (!updated) {
        MsgBox::ShowNotSaved(
            QStringLiteral("Journal Could Not Be Updated\n"
                           "The changed entry was not stored; it is still in the editor."),
            updated.reason());
        return false;
    }

    if (moved)
        LoadDreamTree(ArrangeByDate);
    selectTreeNode(journal::EntryKey(id), true);
    storedContent_ = written;
    cmdCancel->setEnabled(false);
    cmdDelete->setEnabled(true);
    cmdSave->setText(kUpdateCaption);
    MsgBox::Show(QStringLiteral("Journal Updated Successfully"), MsgBox::Icon::Information);
    return true;
}

bool frmMain::addJournal() {
    const modDB::RecordsetPtr dreams = modDB::rsDreams;
    const QString typedName = txtJournalName->text();
    if (!journalNameFree(std::nullopt))
        return false;

    const std::array<DatePart, 3> date = journalDate();
    qlonglong newId = 0;
    auto add = [&]() -> modDB::Status {
        if (!dreams || !dreams->IsOpen())
            return noJournalStore();
        modDB::Status step = dreams->AddNew();
        if (step)
            step = dreams->SetField(QStringLiteral("JournalName"), typedName);
        if (step)
            step = dreams->SetField(QStringLiteral("journaltext"),
                                    journal::EditorText(rtbJournalText));
        for (std::size_t part = 0; part < date.size() && step; ++part) {
            if (date[part].value)
                step =
                    dreams->SetField(QLatin1String(kDateColumns[part]), short(*date[part].value));
        }
        if (!step)
            return step;
        if (const modDB::Status written = dreams->Update(); !written)
            return written;
        const auto id = journal::WholeNumber(dreams->Field(QStringLiteral("ID")));
        if (!id)
            return modDB::Status::Fail(QStringLiteral("The new entry was given no number."));
        newId = *id;
        return modDB::Status::Ok();
    };
    const modDB::Status added = add();
    if (!added) {
        if (dreams && dreams->IsOpen())
            dreams->CancelUpdate();
        MsgBox::ShowNotSaved(
            QStringLiteral("Journal Could Not Be Saved\n"
                           "The entry \"%1\" was not stored; its name and text are "
                           "still in the editor.")
                .arg(modText::TrimSpaces(typedName)),
            added.reason());
        return false;
    }
    dreams->Requery();

    LoadDreamTree(ArrangeByDate);
    selectTreeNode(journal::EntryKey(newId), true);
    shownJournalId_ = newId;
    rememberEditorContent();
    cmdNewJournal->setEnabled(true);
    cmdDelete->setEnabled(true);
    cmdSave->setText(kUpdateCaption);
    MsgBox::Show(QStringLiteral("Journal Saved Successfully"), MsgBox::Icon::Information);
    return true;
}

void frmMain::cmdDelete_Click() {
    // The entry the editor shows, never merely the node the tree highlights.
    if (!shownJournalId_)
        return;
    const qlonglong id = *shownJournalId_;
    QTreeWidgetItem* node = dreamNodes_.value(journal::EntryKey(id));
    const QString entryText =
        node != nullptr ? node->text(0) : modText::TrimSpaces(txtJournalName->text());
    QTreeWidgetItem* month = node != nullptr ? node->parent() : nullptr;
    QTreeWidgetItem* year = month != nullptr ? month->parent() : nullptr;
    const QString monthKey = month != nullptr ? month->data(0, Qt::UserRole).toString() : QString();
    const QString yearKey = year != nullptr ? year->data(0, Qt::UserRole).toString() : QString();

    if (MsgBox::Show(QStringLiteral("Are you sure you want to delete this journal entry ?"),
                     MsgBox::Icon::Question, MsgBox::Buttons::YesNo,
                     MsgBox::Answer::No) != MsgBox::Answer::Yes)
        return;

    const modDB::RecordsetPtr dreams = modDB::rsDreams;
    modDB::Status removed = findEntry(dreams, id);
    if (removed)
        removed = dreams->Delete();
    if (dreams && dreams->IsOpen()) {
        dreams->Filter(QString());
        dreams->Requery();
    }
    if (!removed) {
        MsgBox::ShowNotSaved(QStringLiteral("Journal Could Not Be Deleted\n"
                                            "The entry \"%1\" is still in the journal.")
                                 .arg(entryText),
                             removed.reason());
        return;
    }

    SetJournalEnabled(false);
    ClearJournal();
    LoadDreamTree(ArrangeByDate);
    QString reselect = dreamNodes_.contains(monthKey)  ? monthKey
                       : dreamNodes_.contains(yearKey) ? yearKey
                                                       : journal::RootKey();
    selectTreeNode(reselect, true);
    MsgBox::Show(QStringLiteral("Journal Deleted Successfully"), MsgBox::Icon::Critical);
}
