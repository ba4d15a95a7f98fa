// The dream analysis, end to end in the main window: the save it starts with, re-reading the
// dictionary, finding and marking every keyword, and filling the list. The reference runs the
// same steps with one whole-word find pass over the text for every keyword of the dictionary.

#include "Bench.h"
#include "DataFiles.h"
#include "core/JournalStore.h"
#include "core/KeywordStore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <cstdio>
#include <random>

namespace {

QString syllableWord(std::mt19937& rng) {
    static const char* const syllables[] = {
        "ba", "be", "bi", "bo", "ca", "ce", "co", "da", "de", "di", "do", "fa", "fe", "fi",
        "ga", "ge", "go", "ha", "he", "hi", "ka", "ke", "ki", "la", "le", "li", "lo", "lu",
        "ma", "me", "mi", "mo", "na", "ne", "ni", "no", "pa", "pe", "pi", "po", "ra", "re",
        "ri", "ro", "sa", "se", "si", "so", "ta", "te", "ti", "to", "va", "ve", "vi", "wa",
        "we", "ya", "za", "ze", "ar", "el", "in", "on", "ur", "st", "th", "nd"};
    const int count = 2 + int(rng() % 3);
    QString word;
    for (int i = 0; i < count; ++i)
        word += QLatin1String(syllables[rng() % std::size(syllables)]);
    return word;
}

// Prose of `words` words: `vocabulary` words mixed with `keywords`, in sentences and paragraphs.
QString prose(int words, const QStringList& keywords, const QStringList& vocabulary,
              int keywordPercent, std::mt19937& rng) {
    QString text;
    bool sentenceStart = true;
    for (int written = 0; written < words;) {
        QString word = int(rng() % 100) < keywordPercent
                           ? keywords[int(rng() % keywords.size())]
                           : vocabulary[int(rng() % vocabulary.size())];
        written += int(word.count(QLatin1Char(' '))) + 1;
        if (sentenceStart && !word.isEmpty())
            word[0] = word[0].toUpper();
        text += word;
        sentenceStart = false;
        const unsigned roll = rng() % 100;
        if (roll < 6) {
            text += QStringLiteral(". ");
            sentenceStart = true;
        } else if (roll < 7) {
            text += QStringLiteral(".\n");
            sentenceStart = true;
        } else if (roll < 12) {
            text += QStringLiteral(", ");
        } else {
            text += QLatin1Char(' ');
        }
    }
    return text;
}

// What the analysis leaves behind, to check that both ways gave the same result.
struct Outcome {
    QStringList items;
    QList<int> boldPositions;
    bool operator==(const Outcome& other) const {
        return items == other.items && boldPositions == other.boldPositions;
    }
};

Outcome outcomeOf(const bench::Program& program) {
    Outcome outcome;
    const auto* found = program.find<QTreeWidget>("lvKeywords");
    for (int i = 0; i < found->topLevelItemCount(); ++i)
        outcome.items << found->topLevelItem(i)->text(0);
    const QTextDocument* document = program.find<QTextEdit>("rtbJournalText")->document();
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().fontWeight() >= QFont::Bold)
                outcome.boldPositions << it.fragment().position();
        }
    }
    return outcome;
}

// The analysis as first designed: one whole-word find pass per keyword, each occurrence marked
// on its own.
qint32 findReplaceByPasses(QTextEdit* box, const QString& word) {
    if (word.isEmpty())
        return 0;
    const QTextCursor before = box->textCursor();
    QTextDocument* document = box->document();
    const QTextCharFormat bold = [] {
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        return format;
    }();
    qint32 count = 0;
    for (QTextCursor match = document->find(word, 0, QTextDocument::FindWholeWords);
         !match.isNull();
         match = document->find(word, match.selectionEnd(), QTextDocument::FindWholeWords)) {
        ++count;
        match.mergeCharFormat(bold);
    }
    box->setTextCursor(before);
    return count;
}

void analyzeByPasses(const bench::Program& program, KeywordStore& dictionary) {
    program.click("cmdSave");
    auto* found = program.find<QTreeWidget>("lvKeywords");
    auto* editor = program.find<QTextEdit>("rtbJournalText");
    found->clear();
    QTextCursor all = editor->textCursor();
    all.select(QTextCursor::Document);
    QTextCharFormat normal;
    normal.setFontWeight(QFont::Normal);
    all.mergeCharFormat(normal);
    editor->setTextCursor(all);
    program.find<QTextEdit>("rtbJournalText1")->setPlainText(editor->toPlainText());
    for (const KeywordEntry& entry : dictionary.entries().value_or({})) {
        if (findReplaceByPasses(editor, entry.keyword) > 0)
            found->addTopLevelItem(
                new QTreeWidgetItem(QStringList{entry.keyword, entry.description}));
    }
    program.bringToFront("Frame3");
}

// The program started on a folder with the dictionary and one journal entry; the main window
// shows the entry, as after a click on it in the tree.
class Analysis {
public:
    Analysis(const std::vector<modDataFiles::Entry>& dictionary, const QString& entryText)
        : program_(bench::ProgramFolder(
              dictionary,
              [&](const QString& folder) {
                  auto journal = JournalStore::open(folder + QStringLiteral("/Dreams.dll"));
                  const Result<qint64> id = (*journal)->insert(
                      {0, QStringLiteral("The long dream"), entryText, 2024, 5, 17});
                  entryKey_ = QStringLiteral("~%1").arg(id.value_or(0));
              }))
        , dictionary_(KeywordStore::open(program_.file(QStringLiteral("Keywords.dll")))) {}

    const bench::Program& program() const { return program_; }
    KeywordStore& dictionary() { return **dictionary_; }

    // Opens the entry afresh, then times `analysis` alone.
    double timeMs(const std::function<void()>& analysis) {
        auto* tree = program_.find<QTreeWidget>("tvDreams");
        QTreeWidgetItem* entry = nullptr;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toString() == entryKey_)
                entry = *it;
        }
        // Moving to the root and back to the entry opens it again, unmarked.
        for (QTreeWidgetItem* node : {tree->topLevelItem(0), entry}) {
            tree->setCurrentItem(node);
            QApplication::processEvents();
        }
        // The entry has been read and laid out, as when the user reads it before asking. The
        // panel's own events come first: showing it lays the text out afresh.
        QApplication::processEvents();
        program_.find<QTextEdit>("rtbJournalText")->document()->size();
        QApplication::processEvents();
        bench::TakeMessages();
        // End to end: until the window has handled everything the analysis left for it to do.
        return bench::BestOfMsWithEvents(1, analysis);
    }

    double bestOfMs(int repeats, const std::function<void()>& analysis) {
        double best = 1e300;
        for (int i = 0; i < repeats; ++i)
            best = std::min(best, timeMs(analysis));
        return best;
    }

private:
    QString entryKey_; // before the program, whose folder sets it
    bench::Program program_;
    Result<std::unique_ptr<KeywordStore>> dictionary_;
};

bench::Figure compare(const std::vector<modDataFiles::Entry>& dictionary, const QString& text,
                      int referenceRepeats) {
    Analysis analysis(dictionary, text);
    const bench::Program& program = analysis.program();
    const double project = analysis.bestOfMs(5, [&] { program.click("cmdAnalyze"); });
    const Outcome projectOutcome = outcomeOf(program);
    const double reference = analysis.bestOfMs(
        referenceRepeats, [&] { analyzeByPasses(program, analysis.dictionary()); });
    if (!(outcomeOf(program) == projectOutcome))
        std::fprintf(stderr, "analysis: the project and the reference disagree\n");
    std::fprintf(stderr, "  %d keywords found, %d marks\n", int(projectOutcome.items.size()),
                 int(projectOutcome.boldPositions.size()));
    return {project, reference};
}

} // namespace

// A 20,000-word entry against a 20,000-keyword dictionary.
ONEIRION_BENCHMARK("analysis.20k") {
    std::mt19937 rng(20240517);
    QSet<QString> taken;
    QStringList keywords;
    while (keywords.size() < 20000) {
        QString keyword = syllableWord(rng);
        if (rng() % 10 == 0)
            keyword += QLatin1Char(' ') + syllableWord(rng);
        if (!taken.contains(keyword.toLower())) {
            taken.insert(keyword.toLower());
            keywords << keyword;
        }
    }
    std::vector<modDataFiles::Entry> dictionary;
    for (const QString& keyword : keywords)
        dictionary.push_back({keyword, bench::kMeaning});
    QStringList vocabulary;
    for (int i = 0; i < 3000; ++i)
        vocabulary << syllableWord(rng);
    const QString text = prose(20000, keywords, vocabulary, 20, rng);
    return compare(dictionary, text, 1);
}

// A 2,000-word entry against the dictionary the program ships with.
ONEIRION_BENCHMARK("analysis.2k.shipped") {
    const std::vector<modDataFiles::Entry> dictionary = bench::ShippedDictionary();
    // The entry reads like the meanings do, with a keyword now and then.
    QStringList keywords;
    QStringList vocabulary;
    const QRegularExpression nonWord(QStringLiteral("[^\\w']+"));
    for (const modDataFiles::Entry& entry : dictionary) {
        keywords << entry.keyword;
        vocabulary << entry.meaning.split(nonWord, Qt::SkipEmptyParts);
    }
    std::mt19937 rng(17);
    const QString text = prose(2000, keywords, vocabulary, 5, rng);
    return compare(dictionary, text, 3);
}
