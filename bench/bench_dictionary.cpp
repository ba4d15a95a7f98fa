// The dictionary panel on a large dictionary: a search keystroke, a refresh and a pick from the
// list, each beside the naive way of doing the same.

#include "Bench.h"
#include "DataFiles.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/CaseFold.h"
#include "data/modDB.h"

#include <QApplication>
#include <QCollator>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRandomGenerator>

#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace {

const int kKeywords = 50000;

// Word-like keywords of two to four syllables, some capitalised, some with accents.
std::vector<modDataFiles::Entry> makeDictionary() {
    static const char16_t* syllables[] = {u"an",  u"bel", u"cor", u"da",  u"el",  u"fen", u"gar",
                                          u"hol", u"is",  u"jun", u"ka",  u"lum", u"mor", u"ne",
                                          u"ol",  u"pra", u"qui", u"ros", u"sel", u"tan", u"ur",
                                          u"ven", u"wol", u"xa",  u"yel", u"zor", u"är",  u"ée"};
    const int count = int(std::size(syllables));
    QRandomGenerator random(20240611);
    std::vector<modDataFiles::Entry> entries;
    for (int i = 0; i < kKeywords; ++i) {
        QString word;
        const int length = 2 + int(random.bounded(3));
        for (int s = 0; s < length; ++s)
            word += QString::fromUtf16(syllables[random.bounded(count)]);
        if (random.bounded(4) == 0)
            word[0] = word[0].toUpper();
        word += QString::number(i % 97);
        entries.push_back(
            {word,
             QStringLiteral("The meaning of %1, in a sentence or two of plain text.").arg(word)});
    }
    return entries;
}

struct Panel {
    Panel() {
        const QString folder = bench::TempFolder();
        modDataFiles::CreateKeywords(folder + QStringLiteral("/Keywords.dll"), makeDictionary());
        modMain::testing::SetAppPath(folder);
        file = folder + QStringLiteral("/Keywords.dll");
        form = std::make_unique<frmMain>();
        form->show();
        form->BringToFront(form->Frame4);
        form->cmdRefresh_Click();
        QApplication::processEvents();
    }
    ~Panel() { modMain::testing::SetAppPath(std::nullopt); }

    QString file;
    std::unique_ptr<frmMain> form;
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

QStringList naiveRead(const std::function<bool(const QString&)>& wanted) {
    modDB::ConnectionPtr connection;
    modDB::RecordsetPtr rows;
    QString path = modMain::AppPath() + QStringLiteral("/keywords.dll");
    modDB::OpenConnection(connection, path);
    modDB::OpenRecordset(rows, connection, QStringLiteral("select * from tblKeywords"));
    QStringList keywords;
    for (rows->MoveFirst(); !rows->EOF_(); rows->MoveNext()) {
        const QVariant keyword = rows->Field(QStringLiteral("Keyword"));
        if (keyword.isValid() && wanted(keyword.toString()))
            keywords << keyword.toString();
    }
    rows->Close();
    connection->Close();
    return keywords;
}

// Times `work` and the repaint it causes, best of `repeats`.
double timeWithRepaint(int repeats, const std::function<void()>& work) {
    return bench::BestOfMs(repeats, [&] {
        work();
        QApplication::processEvents();
    });
}

// The reference for a refresh: read every keyword and fill the list the straightforward way.
double naiveRefreshMs(QListWidget* list) {
    return timeWithRepaint(
        1, [&] { naiveFill(list, naiveRead([](const QString&) { return true; })); });
}

} // namespace

// One keystroke in the search box, the slowest of those typing a word (the first letters match
// most of the dictionary).
ONEIRION_BENCHMARK("dictionary.search.50k") {
    Panel panel;
    frmMain& w = *panel.form;
    const QStringList typed = {QStringLiteral("e"), QStringLiteral("el"), QStringLiteral("ela"),
                               QStringLiteral("E"), QString()};
    double project = 0;
    for (const QString& text : typed) {
        double best = 1e300;
        for (int i = 0; i < 3; ++i) {
            // Start each keystroke from another text, quietly, so the box really changes.
            w.txtSearch->blockSignals(true);
            w.txtSearch->setText(QStringLiteral("#"));
            w.txtSearch->blockSignals(false);
            best = std::min(best, timeWithRepaint(1, [&] { w.txtSearch->setText(text); }));
        }
        project = std::max(project, best);
    }

    const QSignalBlocker quiet(w.txtSearch);
    double reference = 0;
    for (const QString& text : typed) {
        reference =
            std::max(reference, timeWithRepaint(1, [&] {
                         const QString needle = modDB::FoldCase(text.trimmed());
                         naiveFill(w.lstKeywords, naiveRead([&](const QString& k) {
                                       return !k.isEmpty() && modDB::FoldCase(k).contains(needle);
                                   }));
                     }));
    }
    return {project, reference};
}

// A refresh as it follows an edit: one keyword new since the last fill.
ONEIRION_BENCHMARK("dictionary.refresh.50k") {
    Panel panel;
    frmMain& w = *panel.form;
    int added = 0;
    auto addKeyword = [&] {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(panel.file).constData(), &db);
        const QByteArray sql =
            QStringLiteral("INSERT INTO tblKeywords VALUES ('Neu%1', 'x')").arg(++added).toUtf8();
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    double project = 1e300;
    for (int i = 0; i < 3; ++i) {
        addKeyword();
        project = std::min(project, timeWithRepaint(1, [&] { w.cmdRefresh_Click(); }));
    }
    const double reference = naiveRefreshMs(w.lstKeywords);
    return {project, reference};
}

// A refresh with the dictionary unchanged since the last fill.
ONEIRION_BENCHMARK("dictionary.refresh.same.50k") {
    Panel panel;
    frmMain& w = *panel.form;
    const double project = timeWithRepaint(3, [&] { w.cmdRefresh_Click(); });
    const double reference = naiveRefreshMs(w.lstKeywords);
    return {project, reference};
}

// A pick from the list: find the keyword's last row and show it.
ONEIRION_BENCHMARK("dictionary.click.50k") {
    Panel panel;
    frmMain& w = *panel.form;
    QListWidget* list = w.lstKeywords;
    int row = 0;
    const double project = timeWithRepaint(5, [&] {
        list->setCurrentRow(row);
        row += kKeywords / 7;
    });

    // The naive walk folds every keyword and fills the boxes at every match.
    const QString picked = list->item(kKeywords / 2)->text();
    const double reference = timeWithRepaint(1, [&] {
        modDB::ConnectionPtr connection;
        modDB::RecordsetPtr rows;
        QString path = modMain::AppPath() + QStringLiteral("/keywords.dll");
        modDB::OpenConnection(connection, path);
        modDB::OpenRecordset(rows, connection, QStringLiteral("select * from tblKeywords"));
        const QString wanted = modDB::FoldCase(picked);
        for (rows->MoveFirst(); !rows->EOF_(); rows->MoveNext()) {
            if (modDB::FoldCase(rows->Field(QStringLiteral("Keyword")).toString()) == wanted) {
                w.txtKeyword->setText(rows->Field(QStringLiteral("Keyword")).toString());
                w.txtKeywordDesc->setPlainText(
                    rows->Field(QStringLiteral("Description")).toString());
            }
        }
        rows->Close();
        connection->Close();
    });
    return {project, reference};
}
