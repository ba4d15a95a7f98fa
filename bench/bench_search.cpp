// Looking across the whole journal: searching it as the user types, and the recurring-symbols
// table, each on 10,000 entries of 200 words, in the real windows. The references search with a
// regular expression over the entries read afresh, and count symbols by analysing each entry on
// its own, as the analysis panel does, or by counting everything again after a change.

#include "Bench.h"
#include "DataFiles.h"
#include "core/JournalStore.h"
#include "core/KeywordMatcher.h"
#include "core/KeywordStore.h"
#include "core/SymbolStatistics.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QListView>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kEntries = 10000;
constexpr int kWords = 200;

// Entries of 200 words in sentences: the words of the dictionary's meanings, with a keyword
// now and then, over thirty years.
void fillJournal(const QString& path, const std::vector<modDataFiles::Entry>& dictionary) {
    QStringList keywords, vocabulary;
    const QRegularExpression nonWord(QStringLiteral("[^\\w']+"));
    for (const modDataFiles::Entry& entry : dictionary) {
        keywords << entry.keyword;
        vocabulary << entry.meaning.split(nonWord, Qt::SkipEmptyParts);
    }
    QRandomGenerator random(16);
    bench::FillJournal(path, kEntries, [&](int) {
        QString text;
        for (int w = 0; w < kWords; ++w) {
            text += random.bounded(100) < 5 ? keywords[random.bounded(int(keywords.size()))]
                                            : vocabulary[random.bounded(int(vocabulary.size()))];
            text += random.bounded(12) == 0 ? QStringLiteral(". ") : QStringLiteral(" ");
        }
        return text;
    });
}

bench::Program& journalProgram() {
    return bench::SharedProgram(QStringLiteral("journal.10k"), [] {
        const std::vector<modDataFiles::Entry> dictionary = bench::ShippedDictionary();
        return bench::ProgramFolder(dictionary, [&](const QString& folder) {
            fillJournal(folder + QStringLiteral("/Dreams.dll"), dictionary);
        });
    });
}

QWidget* openWindow(const bench::Program& program, const char* action, const char* window) {
    program.find<QAction>(action)->trigger();
    QApplication::processEvents();
    return program.find(window);
}

// The entries that hold `query` as whole words, newest first, by a regular expression over
// every entry read from the file.
int searchByExpression(JournalStore& journal, const QString& query) {
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return 0;
    QStringList escaped;
    for (const QString& word : words)
        escaped << QRegularExpression::escape(word);
    const QRegularExpression phrase(
        QStringLiteral("(?<![\\p{L}\\p{N}])") + escaped.join(QStringLiteral("[ \\t]+")) +
            QStringLiteral("(?![\\p{L}\\p{N}])"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    std::vector<JournalEntry> found;
    for (JournalEntry& entry : journal.entries().value_or({}))
        if (phrase.match(entry.name).hasMatch() || phrase.match(entry.text).hasMatch())
            found.push_back(std::move(entry));
    std::reverse(found.begin(), found.end());
    return int(found.size());
}

} // namespace

// Typing a two-word query one key at a time; the slowest keystroke counts.
ONEIRION_BENCHMARK("journal.search.10k") {
    bench::Program& program = journalProgram();
    QWidget* window = openWindow(program, "mnuSearchJournal", "frmSearch");
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    auto* results = window->findChild<QListView*>(QStringLiteral("lvResults"));
    const QString query = QStringLiteral("the water");
    QList<int> projectCounts, referenceCounts;
    double project = 0;
    for (int typed = 1; typed <= query.size(); ++typed) {
        double keystroke = 1e300;
        for (int round = 0; round < 3; ++round) {
            box->setText(query.left(typed - 1));
            QApplication::processEvents();
            keystroke = std::min(
                keystroke, bench::BestOfMsWithEvents(1, [&] { box->setText(query.left(typed)); }));
        }
        project = std::max(project, keystroke);
        projectCounts << results->model()->rowCount();
    }
    window->close();

    auto journal = JournalStore::open(program.file(QStringLiteral("Dreams.dll")));
    double reference = 0;
    for (int typed = 1; typed <= query.size(); ++typed) {
        int found = 0;
        reference = std::max(reference, bench::BestOfMs(1, [&] {
                                 found = searchByExpression(**journal, query.left(typed));
                             }));
        referenceCounts << found;
    }
    if (projectCounts != referenceCounts)
        std::fprintf(stderr, "journal.search.10k: the project and the reference disagree\n");
    return {project, reference};
}

namespace {

// Keyword and entries, as the table lists them.
QStringList symbolRows(const QWidget* window) {
    QStringList rows;
    const QAbstractItemModel* table =
        window->findChild<QAbstractItemView*>(QStringLiteral("lvSymbols"))->model();
    for (int row = 0; row < table->rowCount(); ++row)
        rows << table->index(row, 0).data().toString() + QLatin1Char('|') +
                    table->index(row, 1).data().toString();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The entries per keyword, by analysing each entry on its own as the analysis panel does: the
// dictionary read and matched against that entry's text.
QStringList symbolsByAnalysis(JournalStore& journal, KeywordStore& dictionary) {
    QHash<QString, int> counts;
    for (const JournalEntry& entry : journal.entries().value_or({})) {
        QStringList keywords;
        for (const KeywordEntry& keyword : dictionary.entries().value_or({}))
            keywords << keyword.keyword;
        const auto found = KeywordMatcher(keywords).findAll(entry.text);
        for (std::size_t k = 0; k < found.size(); ++k)
            if (!found[k].empty())
                ++counts[keywords[qsizetype(k)]];
    }
    QStringList rows;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        rows << it.key() + QLatin1Char('|') + QString::number(it.value());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

// Opening the window the first time: every entry matched against the shipped dictionary.
ONEIRION_BENCHMARK("symbols.10k") {
    bench::Program& program = journalProgram();
    QWidget* window = nullptr;
    const double project = bench::BestOfMsWithEvents(
        1, [&] { window = openWindow(program, "mnuSymbols", "frmSymbols"); });
    const QStringList shown = symbolRows(window);
    window->close();

    auto journal = JournalStore::open(program.file(QStringLiteral("Dreams.dll")));
    auto dictionary = KeywordStore::open(program.file(QStringLiteral("Keywords.dll")));
    QStringList counted;
    const double reference =
        bench::BestOfMs(1, [&] { counted = symbolsByAnalysis(**journal, **dictionary); });
    if (shown != counted)
        std::fprintf(stderr, "symbols.10k: the project and the reference disagree\n");
    return {project, reference};
}

// Opening it again after another program changed one entry, against counting everything again.
ONEIRION_BENCHMARK("symbols.10k.reopen") {
    bench::Program& program = journalProgram();
    openWindow(program, "mnuSymbols", "frmSymbols")->close();
    auto journal = JournalStore::open(program.file(QStringLiteral("Dreams.dll")));
    auto dictionary = KeywordStore::open(program.file(QStringLiteral("Keywords.dll")));
    std::vector<JournalEntry> entries = (*journal)->entries().value_or({});
    double project = 1e300, reference = 1e300;
    for (int round = 0; round < 3 && !entries.empty(); ++round) {
        JournalEntry& changed = entries[entries.size() / 2 + std::size_t(round)];
        changed.text += QStringLiteral(" A black cat, at last.");
        static_cast<void>((*journal)->update(changed));
        QWidget* window = nullptr;
        project = std::min(project, bench::BestOfMsWithEvents(1, [&] {
                               window = openWindow(program, "mnuSymbols", "frmSymbols");
                           }));
        window->close();
        reference = std::min(reference, bench::BestOfMs(1, [&] {
                                 SymbolStatistics fresh(**journal, **dictionary);
                                 static_cast<void>(fresh.refresh());
                                 static_cast<void>(fresh.table({}));
                             }));
    }
    return {project, reference};
}
