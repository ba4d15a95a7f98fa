#include "export/ExportDialog.h"

#include "core/JournalExport.h"
#include "core/JournalStore.h"
#include "core/KeywordStore.h"
#include "core/SafeFile.h"
#include "export/PdfExport.h"
#include "export/TargetFile.h"
#include "gui/FileDialog.h"
#include "gui/MessageBox.h"
#include "gui/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct FormatInfo {
    ExportDialog::Format format;
    const char* name;
    const char* suffix;
};

const FormatInfo kFormats[] = {
    {ExportDialog::Format::Markdown, QT_TRANSLATE_NOOP("ExportDialog", "Markdown"), "md"},
    {ExportDialog::Format::Html, QT_TRANSLATE_NOOP("ExportDialog", "HTML web page"), "html"},
    {ExportDialog::Format::Pdf, QT_TRANSLATE_NOOP("ExportDialog", "PDF document"), "pdf"},
    {ExportDialog::Format::Json, QT_TRANSLATE_NOOP("ExportDialog", "JSON (can be restored)"),
     "json"},
};

const FormatInfo& infoOf(ExportDialog::Format format) {
    for (const FormatInfo& info : kFormats) {
        if (info.format == format)
            return info;
    }
    return kFormats[0];
}

// A wait cursor while the work runs, taken away however it ends.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

ExportDialog::ExportDialog(JournalStore& journal, KeywordStore& dictionary, const QDate& today,
                           const QStringList& dataFiles, QWidget* parent)
    : QDialog(parent)
    , journal_(journal)
    , dictionary_(dictionary)
    , today_(today)
    , dataFiles_(dataFiles)
    , format_(named(new QComboBox, "cboFormat"))
    , whole_(named(new QRadioButton(tr("The &whole journal")), "optWholeJournal"))
    , range_(named(new QRadioButton(tr("The entries &from")), "optDateRange"))
    , from_(named(new QDateEdit, "dtpFrom"))
    , to_(named(new QDateEdit, "dtpTo"))
    , symbols_(
          named(new QCheckBox(tr("Include the &symbols found and their meanings")), "chkSymbols")) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(tr("Export Journal"));
    setFont(windowFont());

    for (const FormatInfo& info : kFormats)
        format_->addItem(tr(info.name), int(info.format));
    for (QDateEdit* edit : {from_, to_}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    }
    whole_->setChecked(true);

    auto* formatLabel = new QLabel(tr("&Format:"));
    formatLabel->setBuddy(format_);
    auto* top = new QHBoxLayout;
    top->addWidget(formatLabel);
    top->addWidget(format_, 1);

    auto* which = named(new QGroupBox(tr("Entries")), "fraEntries");
    auto* whichLayout = new QGridLayout(which);
    whichLayout->addWidget(whole_, 0, 0, 1, 4);
    whichLayout->addWidget(range_, 1, 0);
    whichLayout->addWidget(from_, 1, 1);
    whichLayout->addWidget(new QLabel(tr("to")), 1, 2);
    whichLayout->addWidget(to_, 1, 3);
    whichLayout->setColumnStretch(4, 1);

    auto* buttons = new QDialogButtonBox;
    QPushButton* exportButton = makeButton(tr("&Export..."), "cmdExport");
    QPushButton* cancel = makeButton(tr("Cancel"), "cmdExportCancel");
    buttons->addButton(exportButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    exportButton->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(which);
    layout->addWidget(symbols_);
    layout->addStretch(1);
    layout->addWidget(buttons);

    // Typing in a day of the range chooses the range.
    for (QDateEdit* edit : {from_, to_})
        connect(edit, &QDateEdit::dateChanged, this, [this] { range_->setChecked(true); });
    // The range never ends before it begins.
    connect(from_, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (to_->date() < date)
            to_->setDate(date);
    });
    connect(to_, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (from_->date() > date)
            from_->setDate(date);
    });
    connect(exportButton, &QPushButton::clicked, this, &ExportDialog::exportJournal);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    fillRange();
}

void ExportDialog::fillRange() {
    const Result<std::vector<JournalEntry>> entries = journal_.treeRows(JournalOrder::ByDate);
    const auto span = entries ? JournalExport::span(*entries) : std::nullopt;
    const QSignalBlocker blockFrom(from_);
    const QSignalBlocker blockTo(to_);
    from_->setDate(span ? span->first : today_);
    to_->setDate(span ? span->last : today_);
}

ExportDialog::Format ExportDialog::format() const {
    return Format(format_->currentData().toInt());
}

void ExportDialog::exportJournal() {
    Result<std::vector<JournalEntry>> all = journal_.entries();
    if (!all) {
        MessageBox::critical(this, tr("The Journal Could Not Be Read\n%1").arg(all.errorMessage()));
        return;
    }
    std::vector<JournalEntry> chosen =
        range_->isChecked() ? JournalExport::inRange(*all, {from_->date(), to_->date()})
                            : std::move(*all);
    if (chosen.empty()) {
        MessageBox::information(
            this,
            range_->isChecked()
                ? tr("No entry is dated from %1 to %2, so there is nothing to export.")
                      .arg(from_->date().toString(Qt::ISODate), to_->date().toString(Qt::ISODate))
                : tr("The journal holds no entries, so there is nothing to export."));
        return;
    }

    const FormatInfo& info = infoOf(format());
    const QString suffix = QLatin1String(info.suffix);
    QString path = FileDialog::saveFileName(
        this, tr("Export Journal"),
        tr("Oneirion journal %1").arg(today_.toString(Qt::ISODate)) + QLatin1Char('.') + suffix,
        {tr("%1 (*.%2)").arg(tr(info.name), suffix)});
    if (path.isEmpty())
        return;
    path = TargetFile::withSuffix(path, QLatin1Char('.') + suffix);
    auto failed = [this](const QString& reason) {
        MessageBox::critical(this, tr("The Journal Could Not Be Exported\n%1").arg(reason));
    };
    if (const QString own = TargetFile::ownFileAt(path, dataFiles_); !own.isEmpty())
        return failed(tr("%1 is one of Oneirion's own data files; choose another name.")
                          .arg(QDir::toNativeSeparators(own)));

    std::vector<KeywordEntry> dictionary;
    if (symbols_->isChecked()) {
        Result<std::vector<KeywordEntry>> read = dictionary_.entries();
        if (!read) {
            MessageBox::critical(
                this, tr("The Dream Dictionary Could Not Be Read\n%1").arg(read.errorMessage()));
            return;
        }
        dictionary = std::move(*read);
    }

    const qsizetype count = qsizetype(chosen.size());
    Status written;
    {
        const BusyCursor busy;
        const std::vector<ExportEntry> entries = JournalExport::withSymbols(
            std::move(chosen), symbols_->isChecked() ? &dictionary : nullptr);
        QByteArray content;
        switch (format()) {
        case Format::Markdown:
            content = JournalExport::markdown(entries);
            break;
        case Format::Html:
            content = JournalExport::html(entries);
            break;
        case Format::Pdf:
            content = journalPdf(entries, font());
            break;
        case Format::Json:
            content = JournalExport::json(entries, symbols_->isChecked());
            break;
        }
        written = SafeFile::write(path, content);
    }
    if (!written)
        return failed(written.errorMessage());
    MessageBox::information(
        this, tr("Journal Exported\n%1 written to %2.")
                  .arg(JournalExport::entriesText(count), QDir::toNativeSeparators(path)));
    accept();
}
