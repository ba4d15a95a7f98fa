// Writing the journal out: a thousand entries as a PDF document, and a backup of a journal of
// ten thousand entries, each beside the straightforward way of doing the same.

#include "Bench.h"
#include "core/Database.h"
#include "core/JournalExport.h"
#include "core/JournalStore.h"
#include "export/PdfExport.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

namespace {

// A thousand entries of some two hundred words each, with the symbols a dictionary finds.
std::vector<ExportEntry> thousandEntries() {
    std::vector<ExportEntry> entries;
    for (int i = 0; i < 1000; ++i) {
        QStringList paragraph;
        for (int sentence = 0; sentence < 6; ++sentence)
            paragraph << bench::DreamText(i * 6 + sentence);
        entries.push_back({{0, QStringLiteral("Dream %1").arg(i), paragraph.join(QLatin1Char(' ')),
                            1990 + i % 30, 1 + i % 12, 1 + i % 28},
                           {{QStringLiteral("cat"), QStringLiteral("Independence.")},
                            {QStringLiteral("water"), QStringLiteral("Emotions.")}}});
    }
    return entries;
}

ONEIRION_BENCHMARK("export.pdf.1k") {
    const std::vector<ExportEntry> entries = thousandEntries();
    const QFont font(QStringLiteral("DejaVu Sans"));
    qsizetype size = 0;
    const double project = bench::BestOfMs(3, [&] { size = journalPdf(entries, font).size(); });
    // The straightforward way: the HTML export laid out by a text document from its markup,
    // each entry's article starting a new page.
    const double reference = bench::BestOfMs(3, [&] {
        QTextDocument document;
        document.setDefaultFont(font);
        QString html = QString::fromUtf8(JournalExport::html(entries));
        html.replace(QStringLiteral("<article>"),
                     QStringLiteral("<div style=\"page-break-before: always\">"));
        document.setHtml(html);
        QBuffer output;
        output.open(QIODevice::WriteOnly);
        QPdfWriter writer(&output);
        writer.setPageSize(QPageSize(QPageSize::A4));
        document.print(&writer);
    });
    if (size == 0)
        std::fprintf(stderr, "export.pdf.1k: no PDF was written\n");
    return {project, reference};
}

ONEIRION_BENCHMARK("backup.10k") {
    const QString folder = bench::TempFolder();
    modDataFiles::CreateDreams(folder + QStringLiteral("/Dreams.dll"));
    bench::FillJournal(folder + QStringLiteral("/Dreams.dll"), 10000);
    auto journal = JournalStore::open(folder + QStringLiteral("/Dreams.dll"));
    if (!journal) {
        std::fprintf(stderr, "backup.10k: %s\n", qPrintable(journal.errorMessage()));
        return {};
    }
    const QString target = folder + QStringLiteral("/backup.db");
    const double project = bench::BestOfMs(5, [&] {
        if (Status copied = (*journal)->backupTo(target); !copied)
            std::fprintf(stderr, "backup.10k: %s\n", qPrintable(copied.errorMessage()));
    });
    // The straightforward way: every row read and written into a new journal, in one
    // transaction.
    const QString naive = folder + QStringLiteral("/naive.db");
    const double reference = bench::BestOfMs(5, [&] {
        QFile::remove(naive);
        modDataFiles::CreateDreams(naive);
        auto source =
            Database::open(folder + QStringLiteral("/Dreams.dll"), Database::Access::ReadOnly);
        auto copy = Database::open(naive, Database::Access::ReadWrite);
        if (!source || !copy)
            return;
        static_cast<void>((*copy)->transaction([&]() -> Status {
            auto rows = (*source)->query(
                "SELECT ID, Year, Month, Day, JournalName, journaltext FROM tblDreams");
            while (rows && rows->next()) {
                Status added = (*copy)->execute(
                    "INSERT INTO tblDreams (ID, Year, Month, Day, JournalName, journaltext) "
                    "VALUES (?, ?, ?, ?, ?, ?)",
                    {rows->value(0), rows->value(1), rows->value(2), rows->value(3), rows->value(4),
                     rows->value(5)});
                if (!added)
                    return added;
            }
            return Status();
        }));
    });
    return {project, reference};
}

} // namespace
