// The dictionary panel on a large dictionary: a search keystroke, a refresh and a pick from the
// list, each beside the naive way of doing the same.

#include "Bench.h"
#include "DataFiles.h"
#include "core/CaseFold.h"
#include "core/Database.h"

#include <QApplication>
#include <QCollator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSignalBlocker>

#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace {

const int kKeywords = 50000;

// The program on a 50,000-keyword dictionary, the dictionary panel in front and filled.
struct Panel {
    Panel()
        : program(bench::ProgramFolder(bench::GeneratedDictionary(kKeywords))) {
        program.click("cmdDreamDictionary");
        program.click("cmdRefresh");
        QApplication::processEvents();
    }

    bench::Program program;
};

// The straightforward way: collate while sorting, add the entries one at a time.
void naiveFill(QListWidget* list, QStringList keywords) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(keywords.begin(), keywords.end(), collator);
    list->clear();
    for (const QString& keyword : keywords)
        list->addItem(keyword);
}

// The straightforward read: a connection of its own, and every row of the table.
void naiveReadRows(const bench::Program& program,
                   const std::function<void(const QString& keyword, const QString& meaning)>& row) {
    auto db =
        Database::open(program.file(QStringLiteral("Keywords.dll")), Database::Access::ReadWrite);
    auto rows = (*db)->query("select * from tblKeywords");
    while (rows->next()) {
        if (!rows->isNull(0))
            row(rows->text(0), rows->text(1));
    }
}

QStringList naiveRead(const bench::Program& program,
                      const std::function<bool(const QString&)>& wanted) {
    QStringList keywords;
    naiveReadRows(program, [&](const QString& keyword, const QString&) {
        if (wanted(keyword))
            keywords << keyword;
    });
    return keywords;
}

// The reference for a refresh: read every keyword and fill the list the straightforward way.
double naiveRefreshMs(const bench::Program& program) {
    return bench::BestOfMsWithEvents(1, [&] {
        naiveFill(program.find<QListWidget>("lstKeywords"),
                  naiveRead(program, [](const QString&) { return true; }));
    });
}

} // namespace

// One keystroke in the search box, the slowest of those typing a word (the first letters match
// most of the dictionary).
ONEIRION_BENCHMARK("dictionary.search.50k") {
    Panel panel;
    const bench::Program& program = panel.program;
    auto* search = program.find<QLineEdit>("txtSearch");
    const QStringList typed = {QStringLiteral("e"), QStringLiteral("el"), QStringLiteral("ela"),
                               QStringLiteral("E"), QString()};
    double project = 0;
    for (const QString& text : typed) {
        double best = 1e300;
        for (int i = 0; i < 3; ++i) {
            // Start each keystroke from another text, quietly, so the box really changes.
            search->blockSignals(true);
            search->setText(QStringLiteral("#"));
            search->blockSignals(false);
            best = std::min(best, bench::BestOfMsWithEvents(1, [&] { search->setText(text); }));
        }
        project = std::max(project, best);
    }

    const QSignalBlocker quiet(search);
    double reference = 0;
    for (const QString& text : typed) {
        reference =
            std::max(reference, bench::BestOfMsWithEvents(1, [&] {
                         const QString needle = CaseFold::fold(text.trimmed());
                         naiveFill(program.find<QListWidget>("lstKeywords"),
                                   naiveRead(program, [&](const QString& k) {
                                       return !k.isEmpty() && CaseFold::fold(k).contains(needle);
                                   }));
                     }));
    }
    return {project, reference};
}

// A refresh as it follows an edit: one keyword new since the last fill.
ONEIRION_BENCHMARK("dictionary.refresh.50k") {
    Panel panel;
    const bench::Program& program = panel.program;
    int added = 0;
    auto addKeyword = [&] {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(program.file(QStringLiteral("Keywords.dll"))).constData(),
                     &db);
        const QByteArray sql =
            QStringLiteral("INSERT INTO tblKeywords VALUES ('Neu%1', 'x')").arg(++added).toUtf8();
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    double project = 1e300;
    for (int i = 0; i < 3; ++i) {
        addKeyword();
        project =
            std::min(project, bench::BestOfMsWithEvents(1, [&] { program.click("cmdRefresh"); }));
    }
    return {project, naiveRefreshMs(program)};
}

// A refresh with the dictionary unchanged since the last fill.
ONEIRION_BENCHMARK("dictionary.refresh.same.50k") {
    Panel panel;
    const bench::Program& program = panel.program;
    const double project = bench::BestOfMsWithEvents(3, [&] { program.click("cmdRefresh"); });
    return {project, naiveRefreshMs(program)};
}

// A pick from the list: find the keyword's last row and show it.
ONEIRION_BENCHMARK("dictionary.click.50k") {
    Panel panel;
    const bench::Program& program = panel.program;
    auto* list = program.find<QListWidget>("lstKeywords");
    int row = 0;
    const double project = bench::BestOfMsWithEvents(5, [&] {
        list->setCurrentRow(row);
        row += kKeywords / 7;
    });

    // The naive walk folds every keyword and fills the boxes at every match.
    const QString wanted = CaseFold::fold(list->item(kKeywords / 2)->text());
    auto* keyword = program.find<QLineEdit>("txtKeyword");
    auto* meaning = program.find<QPlainTextEdit>("txtKeywordDesc");
    const double reference = bench::BestOfMsWithEvents(1, [&] {
        naiveReadRows(program, [&](const QString& k, const QString& description) {
            if (CaseFold::fold(k) == wanted) {
                keyword->setText(k);
                meaning->setPlainText(description);
            }
        });
    });
    return {project, reference};
}
