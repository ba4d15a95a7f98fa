// Loading an update file into the import window and merging its keywords.

#include "app/MsgBox.h"
#include "data/QueryText.h"
#include "update_import/frmKeyUpdate.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QRadioButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

const QString kKeyword = QStringLiteral("Keyword");
const QString kDescription = QStringLiteral("Description");

const int kKeywordColumn = 0;
const int kDescriptionColumn = 1;
const int kMarkerColumn = 2;

// How often the progress display is brought up to date while an import runs.
const qint64 kProgressPaintMs = 50;

// An update file is only usable when its table has both columns; any others are ignored.
bool hasKeywordColumns(const modDB::Recordset& recordset) {
    const QStringList names = recordset.FieldNames();
    auto has = [&names](const QString& wanted) {
        return std::any_of(names.begin(), names.end(), [&wanted](const QString& name) {
            return name.compare(wanted, Qt::CaseInsensitive) == 0;
        });
    };
    return has(kKeyword) && has(kDescription);
}

} // namespace

bool frmKeyUpdate::ProcessUpdateData() {
    // The update file is only ever read: its bytes must stay as the user received them.
    modDB::OpenConnection(updateConnection_, fileName_, modDB::OpenMode::ReadOnly);
    modDB::OpenRecordset(updateRecordset_, updateConnection_,
                         QStringLiteral("SELECT * FROM tblKeywords ORDER BY Keyword"));
    if (updateRecordset_->IsOpen() && !hasKeywordColumns(*updateRecordset_))
        updateRecordset_->Close();

    const long count = updateRecordset_->RecordCount();
    if (count != 0) {
        lblInfo->setText(QString::number(count) + QStringLiteral(" updates(s) found"));
        ProgressBar1->setMinimum(0);
    }
    LoadUpdateList();
    MarkNewKeywords();
    return true;
}

void frmKeyUpdate::LoadUpdateList() {
    updateRecordset_->MoveFirst();

    // The description column takes the rest of the list's width, and a little more.
    if (!ListView1->isVisible() && layout() != nullptr)
        layout()->activate();
    ListView1->setColumnWidth(
        kDescriptionColumn, ListView1->width() - ListView1->columnWidth(kKeywordColumn) + 350 / 15);

    ListView1->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(int(updateRecordset_->RecordCount()));
    while (!updateRecordset_->EOF_()) {
        auto* item = new QTreeWidgetItem;
        item->setText(kKeywordColumn, updateRecordset_->Field(kKeyword).toString());
        // A missing description lists as empty, so the marker is always the third text.
        item->setText(kDescriptionColumn, updateRecordset_->Field(kDescription).toString());
        item->setCheckState(kKeywordColumn, Qt::Unchecked);
        items.append(item);
        updateRecordset_->MoveNext();
    }
    // One insertion for the whole list keeps a large update file quick to show.
    ListView1->addTopLevelItems(items);
}

void frmKeyUpdate::MarkNewKeywords() {
    modDB::Recordset* dictionary = modDB::rsKeywords.get();
    const int n = ListView1->topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        if (dictionary == nullptr || dictionary->RecordCount() == 0)
            continue;
        QTreeWidgetItem* item = ListView1->topLevelItem(i);
        dictionary->MoveFirst();
        dictionary->Filter(modDB::QueryText::EqualsFilter(kKeyword, item->text(kKeywordColumn)));
        if (dictionary->RecordCount() >= 1) {
            item->setCheckState(kKeywordColumn, Qt::Unchecked);
            item->setText(kMarkerColumn, QStringLiteral("1"));
        } else {
            item->setCheckState(kKeywordColumn, Qt::Checked);
            item->setText(kMarkerColumn, QStringLiteral("0"));
        }
        dictionary->Filter(QString());
    }
    // New keywords first; the sort is stable, so each group keeps its keyword order.
    ListView1->sortItems(kMarkerColumn, Qt::AscendingOrder);
}

void frmKeyUpdate::cmdImport_Click() {
    const int n = ListView1->topLevelItemCount();
    int i = 0;
    while (i < n && ListView1->topLevelItem(i)->checkState(kKeywordColumn) != Qt::Checked)
        ++i;
    if (i >= n) {
        MsgBox::Show(QStringLiteral("Dream Meanings Updated Successfully."),
                     MsgBox::Icon::Information);
        return;
    }
    ProgressBar1->setMaximum(int(updateRecordset_ ? updateRecordset_->RecordCount() : 0));
    ImportKeywords();
}

void frmKeyUpdate::ImportKeywords() {
    const qint32 n = ListView1->topLevelItemCount();
    qint32 imported = 0;
    qint32 failed = 0;
    QString firstFailure;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    sinceProgressPaint_.start();
    for (qint32 i = 0; i < n; ++i) {
        ProgressBar1->setValue(ProgressBar1->value() + 1);
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        if (item->checkState(kKeywordColumn) != Qt::Checked) {
            repaintProgress();
            continue;
        }
        ++imported;
        lblProgressbar->setText(QString::number(imported) +
                                QStringLiteral(" keyword(s)s imported"));
        const modDB::Status merged =
            mergeKeyword(item->text(kKeywordColumn), item->text(kDescriptionColumn));
        if (!merged.ok()) {
            // Go on with the next keyword; rows already written stay.
            ++failed;
            if (firstFailure.isEmpty())
                firstFailure = merged.reason();
        }
        repaintProgress();
    }

    // Leave the shared recordset showing the whole dictionary, as its other readers expect.
    if (modDB::rsKeywords) {
        modDB::rsKeywords->Filter(QString());
        modDB::rsKeywords->Requery();
    }
    QApplication::restoreOverrideCursor();

    if (failed == 0) {
        MsgBox::Show(QStringLiteral("Dream Meanings Updated Successfully."),
                     MsgBox::Icon::Information);
    } else {
        QString text = QStringLiteral("%1 of %2 checked keyword(s) could not be imported into the "
                                      "dream dictionary.")
                           .arg(failed)
                           .arg(imported);
        if (!firstFailure.isEmpty())
            text += QLatin1Char('\n') + firstFailure;
        MsgBox::Show(text, MsgBox::Icon::Critical);
    }
    close();
}

modDB::Status frmKeyUpdate::mergeKeyword(const QString& keyword, const QString& description) {
    modDB::Recordset* dictionary = modDB::rsKeywords.get();
    if (dictionary == nullptr)
        return modDB::Status::Fail(QStringLiteral("The dream dictionary is not open."));

    // Re-read first, so keywords added earlier in this run, or on the dictionary panel, are found.
    dictionary->Filter(QString());
    modDB::Status status = dictionary->Requery();
    if (!status.ok())
        return status;
    status = dictionary->Filter(modDB::QueryText::EqualsFilter(kKeyword, keyword));
    if (!status.ok())
        return status;

    if (dictionary->RecordCount() >= 1) {
        // The first row found is the only one touched; its own spelling of the keyword stays.
        QString merged;
        if (optOption[0]->isChecked())
            merged = description;
        else if (optOption[2]->isChecked())
            merged =
                dictionary->Field(kDescription).toString() + QStringLiteral(" ; ") + description;
        else
            return modDB::Status::Ok();
        status = dictionary->SetField(kDescription, merged);
    } else {
        status = dictionary->AddNew();
        if (status.ok())
            status = dictionary->SetField(kKeyword, keyword);
        if (status.ok())
            status = dictionary->SetField(kDescription, description);
    }
    if (status.ok())
        status = dictionary->Update();
    if (!status.ok())
        dictionary->CancelUpdate();
    return status;
}

void frmKeyUpdate::repaintProgress() {
    if (sinceProgressPaint_.elapsed() < kProgressPaintMs || !isVisible())
        return;
    // Paint at once, without running the event loop: no input may reach the window mid-import.
    ProgressBar1->repaint();
    lblProgressbar->repaint();
    sinceProgressPaint_.restart();
}
