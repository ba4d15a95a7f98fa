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

// Selects a node the way a click would leave it: its branch opened, the node in view.
void selectNode(QTreeWidget* tree, QTreeWidgetItem* node) {
    for (QTreeWidgetItem* up = node->parent(); up != nullptr; up = up->parent())
        up->setExpanded(true);
    tree->setCurrentItem(node);
    node->setExpanded(true);
    tree->scrollToItem(node);
}

// Whether any stored entry is named `name`, ignoring case; stored names keep their own spaces.
bool nameTaken(modDB::Recordset& dreams, const QString& name) {
    // The filter answers from an index instead of a walk over every entry.
    dreams.Filter(modDB::QueryText::EqualsFilter(QStringLiteral("JournalName"), name));
    const bool taken = dreams.RecordCount() > 0;
    dreams.Filter(QString());
    return taken;
}

modDB::Status noJournalStore() {
    return modDB::Status::Fail(QStringLiteral("The journal file Dreams.dll is not open."));
}

} // namespace

void frmMain::cmdSave_Click() {
    if (!ValidateJournal())
        return;
    const modDB::RecordsetPtr dreams = modDB::rsDreams;

    if (QString::compare(cmdSave->text(), kSaveCaption, Qt::CaseInsensitive) != 0) {
        // Update: the entry the editor shows, by its ID, whatever its name now reads.
        auto update = [&]() -> modDB::Status {
            if (!dreams || !dreams->IsOpen())
                return noJournalStore();
            if (!shownJournalId_)
                return modDB::Status::Fail(QStringLiteral("No saved entry is open in the editor."));
            if (const modDB::Status filtered =
                    dreams->Filter(QStringLiteral("ID=") + QString::number(*shownJournalId_));
                !filtered)
                return filtered;
            if (dreams->EOF_())
                return modDB::Status::Fail(QStringLiteral("The entry no longer exists."));
            if (const modDB::Status set =
                    dreams->SetField(QStringLiteral("journaltext"),
                                     modText::TrimSpaces(journal::EditorText(rtbJournalText)));
                !set)
                return set;
            return dreams->Update();
        };
        const modDB::Status updated = update();
        if (dreams && dreams->IsOpen()) {
            dreams->CancelUpdate();
            dreams->Filter(QString());
        }
        if (!updated) {
            MsgBox::ShowNotSaved(
                QStringLiteral("Journal Could Not Be Updated\n"
                               "The changed text was not stored; it is still in the "
                               "editor."),
                updated.reason());
            return;
        }
        MsgBox::Show(QStringLiteral("Journal Updated Successfully"), MsgBox::Icon::Information);
        cmdCancel->setEnabled(false);
        cmdDelete->setEnabled(false);
        cmdSave->setText(kSaveCaption);
        return;
    }

    // New entry.
    const QString typedName = txtJournalName->text();
    if (dreams && dreams->IsOpen() && nameTaken(*dreams, modText::TrimSpaces(typedName))) {
        // The analysis saves first and goes on with a taken name without a word.
        if (!analysisRunning_) {
            MsgBox::Show(QStringLiteral("Journal With This Name Already Exists\n"
                                        "Please Rename The Journal"),
                         MsgBox::Icon::Critical);
            txtJournalName->setFocus();
        }
        return;
    }

    qlonglong newId = 0;
    auto add = [&]() -> modDB::Status {
        if (!dreams || !dreams->IsOpen())
            return noJournalStore();
        modDB::Status step = dreams->AddNew();
        auto set = [&](const char* column, const QVariant& value) {
            if (step)
                step = dreams->SetField(QLatin1String(column), value);
        };
        set("JournalName", typedName);
        set("journaltext", journal::EditorText(rtbJournalText));
        bool ok = false;
        const short year = modText::TrimSpaces(cboYear->currentText()).toShort(&ok);
        if (ok)
            set("Year", year);
        if (cboMonth->currentIndex() >= 0)
            set("Month", short(cboMonth->currentIndex() + 1));
        const short day = modText::TrimSpaces(cboDate->currentText()).toShort(&ok);
        if (ok)
            set("Day", day);
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
        return;
    }
    dreams->Requery();

    LoadDreamTree(ArrangeByDate);
    if (QTreeWidgetItem* node = dreamNodes_.value(journal::EntryKey(newId)))
        selectNode(tvDreams, node);
    shownJournalId_ = newId;
    cmdNewJournal->setEnabled(true);
    cmdDelete->setEnabled(true);
    cmdSave->setText(kUpdateCaption);
    MsgBox::Show(QStringLiteral("Journal Saved Successfully"), MsgBox::Icon::Information);
}

void frmMain::cmdDelete_Click() {
    const QList<QTreeWidgetItem*> selected = tvDreams->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* node = selected.first();
    const QString key = node->data(0, Qt::UserRole).toString();
    if (!journal::IsEntryKey(key))
        return;
    const QString entryText = node->text(0);
    QTreeWidgetItem* month = node->parent();
    QTreeWidgetItem* year = month != nullptr ? month->parent() : nullptr;
    const QString monthKey = month != nullptr ? month->data(0, Qt::UserRole).toString() : QString();
    const QString yearKey = year != nullptr ? year->data(0, Qt::UserRole).toString() : QString();

    if (MsgBox::Show(QStringLiteral("Are you sure you want to delete this journal entry ?"),
                     MsgBox::Icon::Question, MsgBox::Buttons::YesNo,
                     MsgBox::Answer::No) != MsgBox::Answer::Yes)
        return;

    const modDB::RecordsetPtr dreams = modDB::rsDreams;
    auto remove = [&]() -> modDB::Status {
        if (!dreams || !dreams->IsOpen())
            return noJournalStore();
        if (const modDB::Status filtered = dreams->Filter(QStringLiteral("ID=") + key.mid(1));
            !filtered)
            return filtered;
        if (dreams->EOF_())
            return modDB::Status::Fail(QStringLiteral("The entry no longer exists."));
        return dreams->Delete();
    };
    const modDB::Status removed = remove();
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
    QTreeWidgetItem* reselect = dreamNodes_.value(monthKey);
    if (reselect == nullptr)
        reselect = dreamNodes_.value(yearKey);
    if (reselect == nullptr)
        reselect = tvDreams->topLevelItem(0);
    if (reselect != nullptr)
        selectNode(tvDreams, reselect);
    MsgBox::Show(QStringLiteral("Journal Deleted Successfully"), MsgBox::Icon::Critical);
}
