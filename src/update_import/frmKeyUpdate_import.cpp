// Loading an update file into the import window and merging its keywords.

#include "app/MsgBox.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "update_import/frmKeyUpdate.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

const int kKeywordColumn = 0;
const int kDescriptionColumn = 1;
const int kMarkerColumn = 2;

// How long an import may go without letting the window answer input and repaint.
const qint64 kAnswerEveryMs = 25;

QString dataFile(const char* name) {
    return modDB::ResolveIgnoringCase(modMain::AppPath() + QLatin1Char('/') + QLatin1String(name));
}

QString dictionaryFile() {
    return dataFile("keywords.dll");
}

// Rows that would add an empty keyword or empty a meaning cannot be checked at all.
bool importable(const QTreeWidgetItem* item) {
    return item->flags().testFlag(Qt::ItemIsUserCheckable);
}

bool checkedForImport(const QTreeWidgetItem* item) {
    return importable(item) && item->checkState(kKeywordColumn) == Qt::Checked;
}

} // namespace

bool frmKeyUpdate::ProcessUpdateData() {
    // Quotes around a path from the command line are not part of the name.
    QString path = fileName_;
    path.remove(QLatin1Char('"'));
    path = modDB::ResolveIgnoringCase(path);
    UpdateFile::Contents update =
        UpdateFile::Read(path, {dataFile("dreams.dll"), dictionaryFile()});
    if (!update.ok())
        return refuse(tr("\"%1\" cannot be used to update the dream dictionary.")
                          .arg(QDir::toNativeSeparators(path)),
                      update.error);
    // The marks come from the dictionary as it is now, with every change made since start-up.
    dictionary_ = KeywordStore::ReadKeywords(dictionaryFile());
    if (!dictionary_.ok())
        return refuse(tr("The dream dictionary cannot be read, so nothing can be imported."),
                      dictionary_.error);
    updateRows_ = std::move(update.rows);

    const long count = long(updateRows_.size());
    if (count != 0) {
        lblInfo->setText(QString::number(count) + QStringLiteral(" updates(s) found"));
        ProgressBar1->setMinimum(0);
    }
    LoadUpdateList();
    MarkNewKeywords();
    return true;
}

bool frmKeyUpdate::refuse(const QString& what, const QString& why) {
    MsgBox::Show(what + QLatin1Char('\n') + why, MsgBox::Icon::Critical);
    close();
    return false;
}

void frmKeyUpdate::LoadUpdateList() {
    // The description column takes the rest of the list's width, and a little more.
    if (!ListView1->isVisible() && layout() != nullptr)
        layout()->activate();
    ListView1->setColumnWidth(
        kDescriptionColumn, ListView1->width() - ListView1->columnWidth(kKeywordColumn) + 350 / 15);

    ListView1->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(int(updateRows_.size()));
    for (const UpdateFile::Row& row : updateRows_) {
        auto* item = new QTreeWidgetItem;
        item->setText(kKeywordColumn, row.keyword);
        // A missing description lists as empty, so the marker is always the third text.
        item->setText(kDescriptionColumn, row.description);
        item->setCheckState(kKeywordColumn, Qt::Unchecked);
        if (!row.importable) {
            item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
            item->setToolTip(kKeywordColumn,
                             row.keyword.isEmpty()
                                 ? tr("Skipped: this row has no keyword.")
                                 : tr("Skipped: this row has no meaning to import."));
        }
        items.append(item);
    }
    // One insertion for the whole list keeps a large update file quick to show.
    ListView1->addTopLevelItems(items);
}

void frmKeyUpdate::MarkNewKeywords() {
    if (dictionary_.folded.isEmpty())
        return; // nothing to tell new from known: the user checks by hand
    QList<QTreeWidgetItem*> items = ListView1->invisibleRootItem()->takeChildren();
    for (QTreeWidgetItem* item : items) {
        const bool known = dictionary_.contains(item->text(kKeywordColumn));
        item->setText(kMarkerColumn, known ? QStringLiteral("1") : QStringLiteral("0"));
        item->setCheckState(kKeywordColumn,
                            !known && importable(item) ? Qt::Checked : Qt::Unchecked);
    }
    // New keywords ("0") first, each group in keyword order: the sort by marker, done by
    // putting the items back in that order.
    std::stable_partition(items.begin(), items.end(), [](const QTreeWidgetItem* item) {
        return item->text(kMarkerColumn) == QLatin1String("0");
    });
    ListView1->addTopLevelItems(items);
}

void frmKeyUpdate::cmdImport_Click() {
    if (importing_)
        return;
    const int n = ListView1->topLevelItemCount();
    int i = 0;
    while (i < n && !checkedForImport(ListView1->topLevelItem(i)))
        ++i;
    if (i >= n) {
        MsgBox::Show(tr("No keyword was checked, so nothing was imported."),
                     MsgBox::Icon::Information);
        return;
    }
    ProgressBar1->setMaximum(int(updateRows_.size()));
    ImportKeywords();
}

void frmKeyUpdate::ImportKeywords() {
    const int n = ListView1->topLevelItemCount();
    std::vector<KeywordStore::Item> items;
    std::vector<int> positions; // where each item stands in the list
    for (int i = 0; i < n; ++i) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        if (!checkedForImport(item))
            continue;
        items.push_back({item->text(kKeywordColumn), item->text(kDescriptionColumn)});
        positions.push_back(i);
    }
    const auto skipped = std::count_if(updateRows_.begin(), updateRows_.end(),
                                       [](const UpdateFile::Row& row) { return !row.importable; });

    setImporting(true);
    QElapsedTimer sinceAnswered;
    sinceAnswered.start();
    const KeywordStore::MergeResult merged =
        KeywordStore::Merge(dictionaryFile(), items, policy(), [&](int done) {
            // The bar steps through every list item, the unchecked ones too.
            advanceProgressTo(positions[size_t(done - 1)] + 1);
            // The count is only seen when the window repaints: set it then, and at the end.
            if (sinceAnswered.elapsed() >= kAnswerEveryMs || done == int(items.size())) {
                lblProgressbar->setText(QString::number(done) +
                                        QStringLiteral(" keyword(s)s imported"));
                QCoreApplication::processEvents();
                sinceAnswered.restart();
            }
            return !cancelRequested_;
        });
    setImporting(false);

    switch (merged.outcome) {
    case KeywordStore::Outcome::Cancelled:
        close();
        return;
    case KeywordStore::Outcome::Failed:
        // Nothing was written: the window stays, with the user's choices, for another try.
        ProgressBar1->setValue(0);
        lblProgressbar->clear();
        MsgBox::Show(tr("Nothing was imported: the dream dictionary could not be updated.") +
                         QLatin1Char('\n') + merged.error,
                     MsgBox::Icon::Critical);
        return;
    case KeywordStore::Outcome::Committed:
        break;
    }
    advanceProgressTo(n);

    // The shared recordset is not re-read here: its one reader, the analysis, re-reads it
    // before each use, and a start on an update file never analyses at all.
    QString text = QStringLiteral("Dream Meanings Updated Successfully.");
    if (merged.refused > 0)
        text = QStringLiteral("%1 of %2 checked keyword(s) could not be imported into the dream "
                              "dictionary.\n%3")
                   .arg(merged.refused)
                   .arg(items.size())
                   .arg(merged.firstRefusal);
    if (skipped > 0)
        text += QLatin1Char('\n') +
                tr("%1 row(s) without a keyword or a meaning were skipped.").arg(skipped);
    MsgBox::Show(text, merged.refused > 0 ? MsgBox::Icon::Critical : MsgBox::Icon::Information);
    close();
}

void frmKeyUpdate::setImporting(bool importing) {
    importing_ = importing;
    cancelRequested_ = false;
    ListView1->setEnabled(!importing);
    Frame1->setEnabled(!importing);
    cmdImport->setEnabled(!importing);
    if (importing)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void frmKeyUpdate::advanceProgressTo(int value) {
    while (ProgressBar1->value() < value)
        ProgressBar1->setValue(ProgressBar1->value() + 1);
}

KeywordStore::Policy frmKeyUpdate::policy() const {
    if (optOption.at(0)->isChecked())
        return KeywordStore::Policy::Overwrite;
    if (optOption.at(2)->isChecked())
        return KeywordStore::Policy::Append;
    return KeywordStore::Policy::KeepExisting;
}
