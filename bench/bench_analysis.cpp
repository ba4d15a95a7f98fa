// The dream analysis, end to end in the main window: the save it starts with, re-reading the
// dictionary, finding and marking every keyword, and filling the list. The reference runs the
// same steps with one whole-word find pass over the text for every keyword of the dictionary.

#include "Bench.h"
#include "DataFiles.h"
#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/modDB.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
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

Outcome outcomeOf(const frmMain& form) {
    Outcome outcome;
    for (int i = 0; i < form.lvKeywords->topLevelItemCount(); ++i)
        outcome.items << form.lvKeywords->topLevelItem(i)->text(0);
    for (QTextBlock b = form.rtbJournalText->document()->begin(); b.isValid(); b = b.next()) {
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

void analyzeByPasses(frmMain& form) {
    form.cmdSave_Click();
    form.lvKeywords->clear();
    QTextCursor all = form.rtbJournalText->textCursor();
    all.select(QTextCursor::Document);
    QTextCharFormat normal;
    normal.setFontWeight(QFont::Normal);
    all.mergeCharFormat(normal);
    form.rtbJournalText->setTextCursor(all);
    form.rtbJournalText1->setPlainText(form.rtbJournalText->toPlainText());
    modDB::rsKeywords->Requery();
    modDB::rsKeywords->MoveFirst();
    while (!modDB::rsKeywords->EOF_()) {
        const QString keyword = modDB::rsKeywords->Field(QStringLiteral("Keyword")).toString();
        if (findReplaceByPasses(form.rtbJournalText, keyword) > 0) {
            form.lvKeywords->addTopLevelItem(new QTreeWidgetItem(QStringList{
                keyword, modDB::rsKeywords->Field(QStringLiteral("Description")).toString()}));
        }
        modDB::rsKeywords->MoveNext();
    }
    form.BringToFront(form.Frame3);
}

// A program folder with the dictionary and one journal entry, the shared data open as start-up
// opens it, and the main window showing the entry, as after a click on it in the tree.
class Program {
public:
    Program(const std::vector<modDataFiles::Entry>& dictionary, const QString& entryText) {
        bench::ProgramFolder(dictionary);

        modDB::Recordset& rs = *modDB::rsDreams;
        rs.AddNew();
        rs.SetField(QStringLiteral("JournalName"), QStringLiteral("The long dream"));
        rs.SetField(QStringLiteral("journaltext"), entryText);
        rs.SetField(QStringLiteral("Year"), 2024);
        rs.SetField(QStringLiteral("Month"), 5);
        rs.SetField(QStringLiteral("Day"), 17);
        rs.Update();
        entryKey_ = QStringLiteral("~") + rs.Field(QStringLiteral("ID")).toString();
        rs.Requery();

        form_ = new frmMain;
        form_->resize(1000, 700);
        form_->show();
        // Whatever message the save shows is answered; a box nobody expected is closed.
        backstop_.callOnTimeout([] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        backstop_.start(200);
    }

    ~Program() {
        delete form_;
        MsgBox::Reset();
        modDB::rsDreams.reset();
        modDB::cnDreams.reset();
        modDB::rsKeywords.reset();
        modDB::cnKeywords.reset();
        modMain::testing::SetAppPath(std::nullopt);
    }

    frmMain& form() { return *form_; }

    // Opens the entry afresh, then times `analysis` alone.
    double timeMs(const std::function<void(frmMain&)>& analysis) {
        QTreeWidgetItem node;
        node.setData(0, Qt::UserRole, entryKey_);
        form_->tvDreams_NodeClick(&node);
        // The entry has been read and laid out, as when the user reads it before asking.
        form_->rtbJournalText->document()->size();
        QApplication::processEvents();
        MsgBox::Reset();
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        const auto start = std::chrono::steady_clock::now();
        analysis(*form_);
        // End to end: until the window has handled everything the analysis left for it to do.
        QApplication::processEvents();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        MsgBox::Reset();
        return took.count();
    }

    double bestOfMs(int repeats, const std::function<void(frmMain&)>& analysis) {
        double best = 1e300;
        for (int i = 0; i < repeats; ++i)
            best = std::min(best, timeMs(analysis));
        return best;
    }

private:
    QString entryKey_;
    frmMain* form_ = nullptr;
    QTimer backstop_;
};

bench::Figure compare(const std::vector<modDataFiles::Entry>& dictionary, const QString& text,
                      int referenceRepeats) {
    Program program(dictionary, text);
    const double project = program.bestOfMs(5, [](frmMain& form) { form.cmdAnalyze->click(); });
    const Outcome projectOutcome = outcomeOf(program.form());
    const double reference = program.bestOfMs(referenceRepeats, analyzeByPasses);
    if (!(outcomeOf(program.form()) == projectOutcome))
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
        dictionary.push_back(
            {keyword, QStringLiteral("A meaning of some sixty characters, as most meanings are.")});
    QStringList vocabulary;
    for (int i = 0; i < 3000; ++i)
        vocabulary << syllableWord(rng);
    const QString text = prose(20000, keywords, vocabulary, 20, rng);
    return compare(dictionary, text, 1);
}

// A 2,000-word entry against the dictionary the program ships with.
ONEIRION_BENCHMARK("analysis.2k.shipped") {
    QFile tsv(QFileInfo(QString::fromUtf8(__FILE__))
                  .dir()
                  .filePath(QStringLiteral("../data/keywords.tsv")));
    std::vector<modDataFiles::Entry> dictionary;
    if (!tsv.open(QIODevice::ReadOnly) ||
        !modDataFiles::ParseDictionary(tsv.readAll(), dictionary).ok || dictionary.empty()) {
        std::fprintf(stderr, "analysis: cannot read %s\n", qPrintable(tsv.fileName()));
        return {};
    }
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
