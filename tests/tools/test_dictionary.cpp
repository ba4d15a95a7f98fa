// The shipped dictionary: its source is sound, the built Keywords.dll holds exactly its rows, and
// ordinary dream reports find meanings in it.

#include "TestSupport.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace {

std::vector<modDataFiles::Entry> shippedDictionary() {
    QFile source(QStringLiteral(ONEIRION_DICTIONARY_SOURCE));
    EXPECT_TRUE(source.open(QIODevice::ReadOnly));
    std::vector<modDataFiles::Entry> entries;
    const auto parsed = modDataFiles::ParseDictionary(source.readAll(), entries);
    EXPECT_TRUE(parsed.ok) << parsed.message.toStdString();
    return entries;
}

QStringList longSentences(const QString& meaning) {
    QStringList result;
    static const QRegularExpression sentenceEnd(QStringLiteral("(?<=[.!?])\\s+"));
    static const QRegularExpression nonWord(QStringLiteral("[^\\w\\s'-]"));
    for (QString sentence : meaning.split(sentenceEnd)) {
        sentence = sentence.toLower().replace(nonWord, QStringLiteral(" ")).simplified();
        if (sentence.split(QLatin1Char(' ')).size() >= 8)
            result << sentence;
    }
    return result;
}

TEST(ShippedDictionary, SourceRowsAreCompleteUniqueSortedAndWrittenFresh) {
    const auto entries = shippedDictionary();
    EXPECT_GE(entries.size(), 2100u);
    QHash<QString, QString> seenKeywords;
    QHash<QString, QString> seenSentences;
    QString previous;
    for (const auto& entry : entries) {
        const std::string k = entry.keyword.toStdString();
        EXPECT_FALSE(entry.keyword.trimmed().isEmpty()) << "empty keyword";
        EXPECT_EQ(entry.keyword, entry.keyword.trimmed()) << k;
        EXPECT_EQ(entry.meaning, entry.meaning.trimmed()) << k;
        EXPECT_GE(entry.meaning.size(), 80) << k;
        EXPECT_LE(entry.meaning.size(), 600) << k;
        const QString folded = entry.keyword.toCaseFolded();
        EXPECT_FALSE(seenKeywords.contains(folded)) << k << " repeats";
        seenKeywords.insert(folded, entry.keyword);
        EXPECT_LE(QString::compare(previous, entry.keyword, Qt::CaseInsensitive), 0)
            << k << " is out of order";
        previous = entry.keyword;
        for (const QString& sentence : longSentences(entry.meaning)) {
            const auto owner = seenSentences.constFind(sentence);
            EXPECT_TRUE(owner == seenSentences.constEnd())
                << k << " shares a sentence with " << owner.value().toStdString() << ": "
                << sentence.toStdString();
            seenSentences.insert(sentence, entry.keyword);
        }
    }
}

TEST(ShippedDictionary, TheBuiltFileHoldsExactlyTheSourceRows) {
    QTemporaryDir folder;
    QProcess tool;
    tool.start(testsupport::BuildDir() + QStringLiteral("/oneirion-datafiles"), {folder.path()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0);
    const auto rows = testsupport::Query(
        folder.filePath(QStringLiteral("Keywords.dll")),
        QStringLiteral("SELECT Keyword, Description FROM tblKeywords ORDER BY rowid"));
    const auto entries = shippedDictionary();
    ASSERT_EQ(size_t(rows.size()), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(rows[int(i)][0].toString(), entries[i].keyword);
        EXPECT_EQ(rows[int(i)][1].toString(), entries[i].meaning);
    }
}

// Dream reports as people write them, put together from common scenes.
QStringList sampleJournal() {
    const QStringList settings = {
        "I was back in my old school and the hallway went on forever",
        "We were at my grandmother's house near the sea",
        "I found myself in a dark forest at night",
        "I was driving a car on a highway in the rain",
        "I was at a wedding in a big church",
    };
    const QStringList events = {
        "and a huge dog started chasing me",        "and all my teeth were falling out",
        "and suddenly I could fly over the houses", "and a snake was hiding under the bed",
        "and my mother handed me a baby",           "and I lost my keys and my phone",
    };
    QStringList journal;
    for (int i = 0; i < 30; ++i)
        journal << settings[i % settings.size()] + ", " + events[(i * 7) % events.size()] + '.';
    return journal;
}

TEST(ShippedDictionary, OrdinaryDreamReportsFindMeanings) {
    QSet<QString> keywords;
    for (const auto& entry : shippedDictionary())
        keywords.insert(entry.keyword.toLower());
    int withMeanings = 0, found = 0;
    const QStringList journal = sampleJournal();
    for (const QString& report : journal) {
        const QStringList words = report.toLower().split(
            QRegularExpression(QStringLiteral("[^\\w']+")), Qt::SkipEmptyParts);
        int here = 0;
        for (int i = 0; i < words.size(); ++i) {
            // Single words and two-word phrases.
            here += keywords.contains(words[i]) ? 1 : 0;
            if (i + 1 < words.size())
                here += keywords.contains(words[i] + QLatin1Char(' ') + words[i + 1]) ? 1 : 0;
        }
        withMeanings += here > 0 ? 1 : 0;
        found += here;
    }
    EXPECT_GE(withMeanings, journal.size() * 9 / 10);
    EXPECT_GE(found, journal.size() * 4) << "a typical report should touch several symbols";
}

} // namespace
