#include "update_import/ImportDialog.h"

#include "core/CaseFold.h"
#include "core/Database.h"
#include "gui/MessageBox.h"
#include "gui/Widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { KeywordColumn, DescriptionColumn, MarkerColumn };

// How long an import may go without letting the window answer input and repaint.
constexpr qint64 kAnswerEveryMs = 25;

// Rows that would add an empty keyword or empty a meaning cannot be checked at all.
bool importable(const QTreeWidgetItem* item) {
    return item->flags().testFlag(Qt::ItemIsUserCheckable);
}

bool checkedForImport(const QTreeWidgetItem* item) {
    return importable(item) && item->checkState(KeywordColumn) == Qt::Checked;
}

} // namespace

ImportDialog::ImportDialog(KeywordStore& dictionary, const QStringList& ownFiles, QWidget* parent)
    : QDialog(parent)
    , dictionary_(dictionary)
    , ownFiles_(ownFiles)
    , info_(makeLabel(tr("Update Records"), "lblInfo"))
    , progressText_(makeLabel(QString(), "lblProgressbar"))
    , progress_(named(new QProgressBar, "ProgressBar1"))
    , list_(named(new QTreeWidget, "ListView1"))
    , policies_(named(new QGroupBox(tr("If Keyword Already Exists")), "Frame1"))
    , overwrite_(named(new QRadioButton(tr("&Overwrite existing keywords")), "optOption_0"))
    , append_(named(new QRadioButton(tr("&Append to existing keywords")), "optOption_2"))
    , import_(makeButton(tr("&Import"), "cmdImport")) {
    setObjectName(QStringLiteral("frmKeyUpdate"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Oneirion v%1").arg(QStringLiteral(ONEIRION_VERSION)));
    setFont(windowFont());

    progress_->setValue(0);
    progress_->setTextVisible(false);
    list_->setColumnCount(3);
    list_->setHeaderLabels({tr("Keyword"), tr("Description"), QString()});
    list_->setColumnHidden(MarkerColumn, true);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    // The description takes the width the keyword leaves.
    list_->header()->setSectionResizeMode(DescriptionColumn, QHeaderView::Stretch);
    list_->setColumnWidth(KeywordColumn, textWidth(list_, 24));
    auto* keep = named(new QRadioButton(tr("&Do not overwrite existing keywords")), "optOption_1");
    auto* cancel = makeButton(tr("&Cancel"), "cmdCancel");
    import_->setAutoDefault(false);
    cancel->setAutoDefault(false);

    auto* policyLayout = new QVBoxLayout(policies_);
    for (QRadioButton* option : {overwrite_, keep, append_})
        policyLayout->addWidget(option);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(import_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info_);
    layout->addWidget(progressText_);
    layout->addWidget(progress_);
    layout->addWidget(list_, 1);
    layout->addWidget(policies_);
    layout->addLayout(buttons);
    setTabChain({list_, overwrite_, keep, append_, import_, cancel});
    // Laid out now, before it has a window: its size limits then need no change once shown.
    layout->activate();
    resize(sizeHint().expandedTo(QSize(textWidth(this, 90), textWidth(this, 70))));

    connect(import_, &QPushButton::clicked, this, &ImportDialog::startImport);
    connect(cancel, &QPushButton::clicked, this, &ImportDialog::close);
}

bool ImportDialog::load(const QString& path) {
    // Quotes around a path from the command line are not part of the name.
    QString file = path;
    file.remove(QLatin1Char('"'));
    if (const QFileInfo info(file); !info.exists()) {
        const QString found = findFileIgnoringCase(info.path(), info.fileName());
        if (!found.isEmpty())
            file = found;
    }
    auto refuse = [this](const QString& what, const QString& why) {
        MessageBox::critical(this, what + QLatin1Char('\n') + why);
        close();
        return false;
    };
    Result<std::vector<UpdateFile::Row>> update = UpdateFile::read(file, ownFiles_);
    if (!update)
        return refuse(tr("\"%1\" cannot be used to update the dream dictionary.")
                          .arg(QDir::toNativeSeparators(file)),
                      update.errorMessage());
    // The marks come from the dictionary as it is now, with every change made since start-up.
    const Result<QSet<QString>> known = dictionary_.foldedKeywords();
    if (!known)
        return refuse(tr("The dream dictionary cannot be read, so nothing can be imported."),
                      known.errorMessage());
    rows_ = std::move(*update);
    if (!rows_.empty()) {
        info_->setText(tr("%1 updates(s) found").arg(rows_.size()));
        progress_->setMinimum(0);
    }
    fillList(*known);
    return true;
}

void ImportDialog::fillList(const QSet<QString>& known) {
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(rows_.size()));
    for (const UpdateFile::Row& row : rows_) {
        auto* item = new QTreeWidgetItem;
        item->setText(KeywordColumn, row.keyword);
        // A missing description lists as empty, so the marker is always the third text.
        item->setText(DescriptionColumn, row.description);
        item->setCheckState(KeywordColumn, Qt::Unchecked);
        if (!row.importable) {
            item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
            item->setToolTip(KeywordColumn,
                             row.keyword.isEmpty()
                                 ? tr("Skipped: this row has no keyword.")
                                 : tr("Skipped: this row has no meaning to import."));
        }
        items.append(item);
    }
    // With an empty dictionary nothing tells new from known: the user checks by hand.
    if (!known.isEmpty()) {
        for (QTreeWidgetItem* item : items) {
            const bool isKnown = known.contains(CaseFold::fold(item->text(KeywordColumn)));
            item->setText(MarkerColumn, isKnown ? QStringLiteral("1") : QStringLiteral("0"));
            item->setCheckState(KeywordColumn,
                                !isKnown && importable(item) ? Qt::Checked : Qt::Unchecked);
        }
        // New keywords ("0") first, each group in keyword order.
        std::stable_partition(items.begin(), items.end(), [](const QTreeWidgetItem* item) {
            return item->text(MarkerColumn) == QLatin1String("0");
        });
    }
    // One insertion for the whole list keeps a large update file quick to show.
    list_->addTopLevelItems(items);
}

void ImportDialog::startImport() {
    if (importing_)
        return;
    const int count = list_->topLevelItemCount();
    int first = 0;
    while (first < count && !checkedForImport(list_->topLevelItem(first)))
        ++first;
    if (first >= count) {
        MessageBox::information(this, tr("No keyword was checked, so nothing was imported."));
        return;
    }
    progress_->setMaximum(int(rows_.size()));
    import();
}

void ImportDialog::import() {
    const int count = list_->topLevelItemCount();
    std::vector<KeywordEntry> items;
    std::vector<int> positions; // where each item stands in the list
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (!checkedForImport(item))
            continue;
        items.push_back({item->text(KeywordColumn), item->text(DescriptionColumn)});
        positions.push_back(i);
    }
    const auto skipped = std::count_if(rows_.begin(), rows_.end(),
                                       [](const UpdateFile::Row& row) { return !row.importable; });

    setImporting(true);
    QElapsedTimer sinceAnswered;
    sinceAnswered.start();
    const Result<MergeOutcome> merged = dictionary_.merge(items, policy(), [&](int done) {
        // The bar steps through every list item, the unchecked ones too.
        advanceProgressTo(positions[std::size_t(done - 1)] + 1);
        // The count is only seen when the window repaints: set it then, and at the end.
        if (sinceAnswered.elapsed() >= kAnswerEveryMs || done == int(items.size())) {
            progressText_->setText(tr("%1 keyword(s)s imported").arg(done));
            QCoreApplication::processEvents();
            sinceAnswered.restart();
        }
        return !cancelRequested_;
    });
    setImporting(false);

    if (!merged) {
        // Nothing was written: the window stays, with the user's choices, for another try.
        progress_->setValue(0);
        progressText_->clear();
        MessageBox::critical(this, tr("Nothing was imported: the dream dictionary could not be "
                                      "updated.") +
                                       QLatin1Char('\n') + merged.errorMessage());
        return;
    }
    if (merged->cancelled) {
        close();
        return;
    }
    advanceProgressTo(count);

    QString text = tr("Dream Meanings Updated Successfully.");
    if (merged->refused > 0)
        text = tr("%1 of %2 checked keyword(s) could not be imported into the dream "
                  "dictionary.\n%3")
                   .arg(merged->refused)
                   .arg(items.size())
                   .arg(merged->firstRefusal);
    if (skipped > 0)
        text += QLatin1Char('\n') +
                tr("%1 row(s) without a keyword or a meaning were skipped.").arg(skipped);
    if (merged->refused > 0)
        MessageBox::critical(this, text);
    else
        MessageBox::information(this, text);
    close();
}

void ImportDialog::setImporting(bool importing) {
    importing_ = importing;
    cancelRequested_ = false;
    list_->setEnabled(!importing);
    policies_->setEnabled(!importing);
    import_->setEnabled(!importing);
    if (importing)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ImportDialog::advanceProgressTo(int value) {
    while (progress_->value() < value)
        progress_->setValue(progress_->value() + 1);
}

MergePolicy ImportDialog::policy() const {
    if (overwrite_->isChecked())
        return MergePolicy::Overwrite;
    if (append_->isChecked())
        return MergePolicy::Append;
    return MergePolicy::KeepExisting;
}

void ImportDialog::reject() {
    close();
}

void ImportDialog::closeEvent(QCloseEvent* event) {
    if (importing_) {
        // Closing mid-import cancels it; the window goes once the merge has been rolled back.
        cancelRequested_ = true;
        event->ignore();
        return;
    }
    event->accept();
    // Ends a modal run; QDialog's own handler would route back through reject().
    QDialog::done(QDialog::Rejected);
}
