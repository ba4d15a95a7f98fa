#include "symbols/SymbolsWindow.h"

#include "core/SafeFile.h"
#include "gui/FileDialog.h"
#include "gui/LiveView.h"
#include "gui/MessageBox.h"
#include "gui/RowsModel.h"
#include "gui/Widgets.h"
#include "symbols/SymbolChart.h"

#include <QAbstractTableModel>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStackedLayout>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kEntryIdRole = Qt::UserRole;

QDateEdit* makeDateEdit(const char* name) {
    auto* edit = named(new QDateEdit, name);
    edit->setCalendarPopup(true);
    edit->setDateRange(QDate(1000, 1, 1), QDate(9999, 12, 31));
    edit->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    return edit;
}

} // namespace

// The table of keywords found; the view paints only the rows in sight.
class SymbolTableModel : public RowsModel<SymbolCount> {
public:
    using RowsModel::RowsModel;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const SymbolCount* found = rowAt(index);
        if (found == nullptr)
            return {};
        const SymbolCount& row = *found;
        switch (role) {
        case Qt::DisplayRole:
            return index.column() == 0   ? QVariant(row.keyword)
                   : index.column() == 1 ? QVariant(row.entries)
                                         : QVariant(row.occurrences);
        case Qt::ToolTipRole:
            return row.meaning;
        case Qt::TextAlignmentRole:
            return index.column() == 0 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        const QString captions[] = {tr("Keyword"), tr("Entries"), tr("Occurrences")};
        return section >= 0 && section < 3 ? captions[section] : QString();
    }
};

// The entries that hold the keyword picked.
class EntryListModel : public RowsModel<JournalEntry> {
public:
    using RowsModel::RowsModel;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const JournalEntry* entry = rowAt(index);
        if (entry == nullptr)
            return {};
        if (role == kEntryIdRole)
            return entry->id;
        if (role != Qt::DisplayRole)
            return {};
        return index.column() == 0 ? entry->name : displayDate(*entry);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? tr("Entry") : tr("Date");
    }
};

SymbolsWindow::SymbolsWindow(JournalStore& journal, KeywordStore& dictionary, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , statistics_(journal, dictionary)
    , from_(makeDateEdit("dtpFrom"))
    , to_(makeDateEdit("dtpTo"))
    , whole_(makeButton(tr("&Whole Journal"), "cmdWholeJournal"))
    , export_(makeButton(tr("&Export CSV..."), "cmdExportCsv"))
    , symbols_(named(new QTreeView, "lvSymbols"))
    , model_(new SymbolTableModel(this))
    , note_(makeViewNote("lblNoSymbols"))
    , meaning_(named(new QLabel, "lblMeaning"))
    , chart_(named(new SymbolChart, "chartSymbol"))
    , entries_(named(new QTreeView, "lvSymbolEntries"))
    , entryModel_(new EntryListModel(this)) {
    setObjectName(QStringLiteral("frmSymbols"));
    setWindowTitle(tr("Recurring Symbols"));
    setFont(windowFont());
    resize(860, 560);

    symbols_->setModel(model_);
    symbols_->setRootIsDecorated(false);
    symbols_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    symbols_->setUniformRowHeights(true);
    symbols_->header()->setStretchLastSection(false);
    symbols_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    // The number columns as wide as their captions, which outgrow any count: measuring every
    // row instead would cost more than filling the table.
    for (int column : {1, 2}) {
        symbols_->header()->setSectionResizeMode(column, QHeaderView::Fixed);
        symbols_->setColumnWidth(
            column, symbols_->header()->fontMetrics().horizontalAdvance(
                        model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
                        24);
    }
    entries_->setModel(entryModel_);
    entries_->setRootIsDecorated(false);
    entries_->setUniformRowHeights(true);
    entries_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    entries_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    entries_->header()->setStretchLastSection(false);
    meaning_->setWordWrap(true);
    meaning_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* fromLabel = makeLabel(tr("&From:"), "lblFrom");
    fromLabel->setBuddy(from_);
    auto* toLabel = makeLabel(tr("&To:"), "lblTo");
    toLabel->setBuddy(to_);
    auto* top = new QHBoxLayout;
    for (QWidget* widget : std::initializer_list<QWidget*>{fromLabel, from_, toLabel, to_, whole_})
        top->addWidget(widget);
    top->addStretch(1);
    top->addWidget(export_);

    auto* tablePlace = new QWidget;
    place_ = new QStackedLayout(tablePlace);
    place_->addWidget(symbols_);
    place_->addWidget(note_);
    auto* detail = new QWidget;
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->addWidget(meaning_);
    detailLayout->addWidget(chart_, 1);
    detailLayout->addWidget(entries_, 1);
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(tablePlace);
    split->addWidget(detail);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);

    auto datesSet = [this] {
        if (settingDates_)
            return;
        wholeJournal_ = false;
        showTable();
    };
    connect(from_, &QDateEdit::dateChanged, this, datesSet);
    connect(to_, &QDateEdit::dateChanged, this, datesSet);
    connect(whole_, &QPushButton::clicked, this, [this] {
        wholeJournal_ = true;
        setWholeJournal();
        showTable();
    });
    connect(export_, &QPushButton::clicked, this, &SymbolsWindow::exportTable);
    connect(symbols_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SymbolsWindow::showKeyword);
    connect(entries_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        Q_EMIT entryRequested(index.data(kEntryIdRole).toLongLong());
    });
    keepCurrent(this, [this] { refresh(); });
}

QString SymbolsWindow::pickedKeyword() const {
    const QModelIndex current = symbols_->currentIndex();
    return current.isValid() ? current.siblingAtColumn(0).data().toString() : QString();
}

DateRange SymbolsWindow::range() const {
    // The whole journal also takes the entries whose date cannot be read.
    if (wholeJournal_)
        return {};
    return {from_->date(), to_->date()};
}

void SymbolsWindow::setWholeJournal() {
    DateRange span = statistics_.journalSpan();
    if (span.from.isNull())
        span = {QDate::currentDate(), QDate::currentDate()};
    settingDates_ = true;
    from_->setDate(span.from);
    to_->setDate(span.to);
    settingDates_ = false;
}

void SymbolsWindow::refresh() {
    const Result<bool> counted = statistics_.refresh();
    if (!counted) {
        // Said once for each new reason; the window keeps what it counted last and tries again.
        if (counted.errorMessage() != lastFailure_)
            MessageBox::critical(
                this,
                tr("The Recurring Symbols Could Not Be Counted\n%1").arg(counted.errorMessage()));
        lastFailure_ = counted.errorMessage();
        return;
    }
    lastFailure_.clear();
    if (!*counted)
        return;
    if (wholeJournal_)
        setWholeJournal();
    showTable();
}

void SymbolsWindow::showTable() {
    const QString picked = pickedKeyword();
    const DateRange dates = range();
    std::vector<SymbolCount> table =
        dates.from.isValid() && dates.to.isValid() && dates.from > dates.to
            ? std::vector<SymbolCount>()
            : statistics_.table(dates);
    int keep = 0;
    for (std::size_t row = 0; row < table.size(); ++row)
        if (table[row].keyword == picked)
            keep = int(row);
    {
        const QSignalBlocker quiet(symbols_->selectionModel());
        model_->setRows(std::move(table));
        symbols_->setCurrentIndex(model_->index(keep, 0));
    }
    const bool empty = model_->rows().empty();
    if (empty)
        note_->setText(dates.from.isValid() && dates.from > dates.to
                           ? tr("The first date lies after the last.")
                           : tr("No dictionary keyword occurs in the entries of this range."));
    place_->setCurrentWidget(empty ? static_cast<QWidget*>(note_) : symbols_);
    export_->setEnabled(!empty);
    showKeyword();
}

void SymbolsWindow::showKeyword() {
    const QModelIndex current = symbols_->currentIndex();
    const QString keyword = pickedKeyword();
    meaning_->setText(current.isValid()
                          ? QStringLiteral("<b>%1</b> \u2014 %2")
                                .arg(keyword.toHtmlEscaped(),
                                     current.data(Qt::ToolTipRole).toString().toHtmlEscaped())
                          : QString());
    const DateRange dates = range();
    chart_->setMonths(keyword, keyword.isEmpty() ? std::vector<MonthCount>()
                                                 : statistics_.months(keyword, dates));
    entryModel_->setRows(keyword.isEmpty() ? std::vector<JournalEntry>()
                                           : statistics_.entriesWith(keyword, dates));
}

void SymbolsWindow::exportTable() {
    const QString path =
        FileDialog::saveFileName(this, tr("Export Recurring Symbols"), tr("Recurring symbols.csv"),
                                 {tr("CSV files (*.csv)")});
    if (path.isEmpty())
        return;
    if (Status written = SafeFile::write(path, symbolTableCsv(model_->rows())); !written)
        MessageBox::notSaved(this, tr("The Table Could Not Be Exported"), written.errorMessage());
}
