// Adding, editing and deleting keywords, and the back buttons that guard a pending add.

#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modText.h"
#include "data/CaseFold.h"
#include "dictionary/KeywordOrder.h"
#include "dictionary/KeywordTable.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

using dictionary::kDescriptionColumn;
using dictionary::kKeywordColumn;

namespace {

// The add mode lives in the caption of cmdAddKeyword.
const QString kAddCaption = QStringLiteral("&Add");
const QString kSaveCaption = QStringLiteral("&Save");

bool captionIs(const QPushButton* button, const QString& caption) {
    return button->text().compare(caption, Qt::CaseInsensitive) == 0;
}

// Writes both columns of the current row (a new one after AddNew) and stores it.
modDB::Status writeKeyword(modDB::Recordset& row, const QString& keyword,
                           const QString& description) {
    modDB::Status status = row.SetField(kKeywordColumn, keyword);
    if (status)
        status = row.SetField(kDescriptionColumn, description);
    if (status)
        status = row.Update();
    return status;
}

// Asks about a pending add before a back button leaves the panel. True when one was pending: the
// panel then stays, whatever the answer.
bool settlePendingAdd(frmMain& form) {
    if (!captionIs(form.cmdAddKeyword, kSaveCaption))
        return false;
    if (MsgBox::Show(QStringLiteral("Do You Want To Save Keyword"), MsgBox::Icon::Critical,
                     MsgBox::Buttons::YesNo, MsgBox::Answer::Yes) == MsgBox::Answer::Yes) {
        form.cmdAddKeyword_Click();
    } else {
        // Not adding any more: the list must answer again. The boxes keep what was typed.
        form.cmdAddKeyword->setText(kAddCaption);
        form.lstKeywords->setEnabled(true);
    }
    return true;
}

} // namespace

void frmMain::cmdAddKeyword_Click() {
    if (captionIs(cmdAddKeyword, kAddCaption)) {
        cmdAddKeyword->setText(kSaveCaption);
        lstKeywords->setEnabled(false);
        pickedKeyword_.reset();
        txtKeyword->clear();
        txtKeywordDesc->clear();
        txtKeyword->setFocus();
        cmdRefresh_Click();
        return;
    }

    const QString keyword = modText::TrimSpaces(txtKeyword->text());
    const QString description = modText::TrimSpaces(modText::PlainText(txtKeywordDesc->document()));
    if (keyword.isEmpty() || description.isEmpty()) {
        MsgBox::Show(QStringLiteral("Please Enter The Keyword And Its Corresponding Description"),
                     MsgBox::Icon::Critical);
        txtKeyword->clear();
        txtKeywordDesc->clear();
        lstKeywords->setEnabled(true);
        return;
    }

    dictionary::KeywordTable table;
    bool exists = false;
    table.forEachRow([&](modDB::Recordset& row) {
        exists = dictionary::IsKeyword(row.Field(kKeywordColumn), keyword);
        return !exists;
    });
    if (exists) {
        table.close();
        MsgBox::Show(QStringLiteral("This Keyword Already Exists"), MsgBox::Icon::Critical);
        return;
    }
    modDB::Status saved = table.openStatus();
    if (saved)
        saved = table.rows().AddNew();
    if (saved)
        saved = writeKeyword(table.rows(), keyword, description);
    table.close();
    if (!saved) {
        MsgBox::ShowNotSaved(QStringLiteral("The Keyword \"%1\" Was Not Saved").arg(keyword),
                             saved.reason());
        return;
    }

    MsgBox::Show(QStringLiteral("Keyword Saved Successfully"), MsgBox::Icon::Information);
    txtKeyword->clear();
    txtKeywordDesc->clear();
    lstKeywords->setEnabled(true);
    cmdAddKeyword->setText(kAddCaption);
    cmdRefresh_Click();
}

void frmMain::cmdUpdateKeyword_Click() {
    const QString keyword = modText::TrimSpaces(txtKeyword->text());
    const QString description = modText::TrimSpaces(modText::PlainText(txtKeywordDesc->document()));
    if (keyword.isEmpty() || description.isEmpty()) {
        MsgBox::Show(QStringLiteral("Please Select The Keyword From The Given List"),
                     MsgBox::Icon::Critical);
        txtKeyword->clear();
        txtKeywordDesc->clear();
        pickedKeyword_.reset();
        return;
    }
    // The rows changed are those of the keyword picked in the list, which the box may only
    // change in case: never a keyword typed over it, nor one that differs only in spaces.
    if (!pickedKeyword_ || !modDB::EqualNoCase(modText::TrimSpaces(*pickedKeyword_), keyword)) {
        MsgBox::Show(QStringLiteral("Please Select The Keyword From The Given List"),
                     MsgBox::Icon::Critical);
        return;
    }
    const QString picked = *pickedKeyword_;

    // Every row with this keyword is rewritten, not just the first.
    dictionary::KeywordTable table;
    modDB::Status written = table.openStatus();
    long rewritten = 0;
    table.forEachRow([&](modDB::Recordset& row) {
        if (!dictionary::IsKeyword(row.Field(kKeywordColumn), picked))
            return true;
        written = writeKeyword(row, keyword, description);
        if (written)
            ++rewritten;
        return written.ok();
    });
    table.close();
    if (!written) {
        // Rows rewritten before the failure stay rewritten; say so rather than claim none were.
        const QString what =
            rewritten == 0
                ? QStringLiteral("The Changes To The Keyword \"%1\" Were Not Saved").arg(keyword)
                : QStringLiteral("The Changes To The Keyword \"%1\" Were Saved In %2 Row(s) Only")
                      .arg(keyword)
                      .arg(rewritten);
        MsgBox::ShowNotSaved(what, written.reason());
        return;
    }
    if (rewritten == 0) {
        MsgBox::Show(
            QStringLiteral("The Keyword \"%1\" Was Not Found\nNothing Was Changed").arg(keyword),
            MsgBox::Icon::Critical);
        return;
    }

    MsgBox::Show(QStringLiteral("Keyword Updates Successfully"), MsgBox::Icon::Information);
    txtKeyword->clear();
    txtKeywordDesc->clear();
    pickedKeyword_.reset();
    cmdRefresh_Click();
}

void frmMain::cmdDeleteKeyword_Click() {
    if (modText::TrimSpaces(txtKeyword->text()).isEmpty() ||
        modText::TrimSpaces(modText::PlainText(txtKeywordDesc->document())).isEmpty()) {
        MsgBox::Show(QStringLiteral("Please Select The Keyword To Delete"), MsgBox::Icon::Critical);
        return;
    }

    // The row to delete is the one picked in the list, whatever the boxes show by now.
    const QList<QListWidgetItem*> selected = lstKeywords->selectedItems();
    modDB::Status deleted = modDB::Status::Ok();
    dictionary::KeywordTable table;
    if (!selected.isEmpty()) {
        const QString picked = selected.first()->text();
        table.forEachRow([&](modDB::Recordset& row) {
            if (!dictionary::IsKeyword(row.Field(kKeywordColumn), picked))
                return true;
            // Each row with this keyword is asked about in turn, until one is deleted.
            if (MsgBox::Show(QStringLiteral("Are You Sure To Delete The Keyword ?"),
                             MsgBox::Icon::Exclamation, MsgBox::Buttons::YesNo,
                             MsgBox::Answer::No) == MsgBox::Answer::No)
                return true;
            deleted = row.Delete();
            if (deleted)
                MsgBox::Show(QStringLiteral("Keyword Deleted Successfully"),
                             MsgBox::Icon::Critical);
            return false;
        });
        if (!deleted) {
            table.close();
            MsgBox::ShowNotSaved(QStringLiteral("The Keyword \"%1\" Was Not Deleted").arg(picked),
                                 deleted.reason());
            return;
        }
    }
    table.close();
    cmdRefresh_Click();
}

void frmMain::cmdAdd_Click() {}

void frmMain::cmdBack_Click(int) {
    if (!settlePendingAdd(*this))
        BringToFront(Frame1);
}

void frmMain::cmdBackToDream_Click(int) {
    if (!settlePendingAdd(*this))
        BringToFront(Frame2);
}
