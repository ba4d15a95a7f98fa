// The one-pass keyword matcher against the rich-text control's own whole-word find, searched
// keyword by keyword from the end of each previous match, on generated texts and dictionaries.

#include "core/KeywordMatcher.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

using Positions = std::vector<qsizetype>;

Positions referenceFind(const QTextDocument& document, const QString& keyword) {
    Positions positions;
    for (QTextCursor match = document.find(keyword, 0, QTextDocument::FindWholeWords);
         !match.isNull();
         match = document.find(keyword, match.selectionEnd(), QTextDocument::FindWholeWords))
        positions.push_back(match.selectionStart());
    return positions;
}

// A failing input as ASCII: everything else as %XX of its UTF-8.
std::string readable(const QString& text) {
    return text.toUtf8().toPercentEncoding(" !\"'(),").toStdString();
}

// Words with upper and lower case, letters outside ASCII, letters whose full case folding is
// longer or shorter (ß, ẞ, İ, ŉ, ﬁ), final sigma, a title-case digraph, letters outside the Basic
// Multilingual Plane with a case pair (Deseret), emoji, digits of several scripts, and a
// combining accent, which is no letter of its own.
const QStringList kWords =
    QStringLiteral("cat Cat CAT catalogue bobcat a aa A water WATER wa ter "
                   "straße STRASSE strasse STRAẞE éclair ÉCLAIR Ärger ärger жук ЖУК "
                   "σοφιας ΣΟΦΙΑΣ ΣΟΦΙΑς ǅemal ǆEMAL İstanbul istanbul ﬁsh fish ŉ ʼn "
                   "😀 👍🏽 𐐀𐐨 𐐨𐐨 𝐀bc cafe\u0301 cafe x2 42 ٣ Ⅻ ½")
        .split(QLatin1Char(' '));

// What goes between words: spacing and punctuation (the last is nothing at all), paragraph and
// line breaks, a no-break space, an emoji and a lone combining accent.
const QStringList kGlue =
    QStringLiteral(" | | |  |-|'|_|.|, |!|\n|\r\n|\u00A0|\u2028|\u2029|--|—|(|)|\"|\t|😀|\u0301|")
        .split(QLatin1Char('|'));

// Words over far more letters than the matcher gives their own columns (Latin, Cyrillic, Greek,
// Armenian, in both cases), so that a dictionary holding them has units it steps over the slow way.
QStringList wideWords(std::mt19937& rng) {
    QString alphabet;
    for (const auto& [first, last] : {std::pair<char16_t, char16_t>{u'a', u'z'},
                                      {u'\u0430', u'\u044F'},
                                      {u'\u03B1', u'\u03C9'},
                                      {u'\u0561', u'\u0586'}}) {
        for (char16_t c = first; c <= last; ++c)
            alphabet += QChar(c);
    }
    QStringList words;
    for (int w = 0; w < 40; ++w) {
        QString word;
        for (int n = 2 + int(rng() % 5); n > 0; --n) {
            const QChar letter = alphabet[qsizetype(rng() % std::uint32_t(alphabet.size()))];
            word += rng() % 3 == 0 ? letter.toUpper() : letter;
        }
        words << word;
    }
    return words;
}

struct Generator {
    std::mt19937 rng;
    // Words for the text and the keywords besides the usual ones; none for most seeds.
    QStringList wide;

    int below(qsizetype n) { return int(rng() % std::uint32_t(n)); }
    bool chance(int percent) { return below(100) < percent; }
    const QString& pick(const QStringList& list) { return list[below(list.size())]; }

    QString text(int tokens) {
        // Made-up words come from a mixed alphabet, so odd neighbours meet.
        static const QStringList letters =
            QStringLiteral("a B c ß ẞ é Ж ς Σ 𐐀 1 😀 - '").split(QLatin1Char(' '));
        QString text;
        for (int i = 0; i < tokens; ++i) {
            if (!wide.isEmpty() && chance(30))
                text += pick(wide);
            else if (chance(75))
                text += pick(kWords);
            else
                for (int n = 1 + below(5); n > 0; --n)
                    text += pick(letters);
            if (!chance(15)) // sometimes words run into each other
                text += pick(kGlue);
        }
        return text;
    }

    // About `length` units of `text` from `from`, never cutting a surrogate pair: keywords come
    // from the database as UTF-8 and are always well-formed.
    static QString stretch(const QString& text, qsizetype from, qsizetype length) {
        if (from > 0 && text[from].isLowSurrogate())
            --from;
        length = std::min(length, text.size() - from);
        if (from + length < text.size() && text[from + length].isLowSurrogate())
            ++length;
        return text.mid(from, length);
    }

    // A keyword in mixed case: any stretch of the text (often across punctuation), a listed
    // word, a phrase, a word with punctuation at one end or both, or an oddity.
    QString keyword(const QString& text) {
        static const QStringList ends = QStringLiteral("- ' _ . 😀 \u0301").split(QLatin1Char(' '));
        static const QStringList odd =
            QStringLiteral("a-a|aa|-|--|'| |cat\ncat|a\u00A0a|a a|cat\u2028cat|ss|SS|")
                .split(QLatin1Char('|'));
        const int kind = below(6);
        QString keyword;
        if (!wide.isEmpty() && chance(20)) {
            keyword = pick(wide);
        } else if (kind < 2) {
            keyword = stretch(text, below(text.size()), 1 + below(12));
        } else if (kind < 4) {
            keyword = pick(kWords);
            if (kind == 3)
                keyword += QChar(chance(50) ? u' ' : u'-') + pick(kWords);
        } else if (kind == 4) {
            keyword = chance(50) ? pick(ends) : QString();
            keyword += pick(kWords);
            keyword += chance(60) ? pick(ends) : QString();
        } else {
            keyword = pick(odd);
        }
        const int casing = below(4);
        return casing == 0 ? keyword.toUpper() : casing == 1 ? keyword.toLower() : keyword;
    }
};

// Compares every keyword's occurrences and counts the keywords found at all.
void expectSameAsReference(const QString& text, const QStringList& keywords, unsigned seed,
                           int& keywordsWithMatches) {
    QTextDocument document;
    document.setPlainText(text);
    const QString searched = document.toRawText();
    const KeywordMatcher matcher(keywords);
    const std::vector<Positions> found = matcher.findAll(searched);
    ASSERT_EQ(found.size(), std::size_t(keywords.size()));
    // The flat list gives the same occurrences: whether each keyword is found, and where.
    const KeywordMatcher::Matches matches = matcher.match(searched);
    ASSERT_EQ(matches.found.size(), found.size());
    std::set<std::pair<qsizetype, qsizetype>> everyOccurrence;
    for (std::size_t k = 0; k < found.size(); ++k) {
        EXPECT_EQ(matches.found[k], !found[k].empty()) << "seed " << seed;
        for (const qsizetype begin : found[k])
            everyOccurrence.insert({begin, begin + keywords[qsizetype(k)].size()});
    }
    std::set<std::pair<qsizetype, qsizetype>> listed;
    for (const KeywordMatcher::Occurrence& occurrence : matches.occurrences)
        EXPECT_TRUE(listed.insert({occurrence.begin, occurrence.end}).second)
            << "seed " << seed << ": an occurrence listed twice";
    EXPECT_EQ(listed, everyOccurrence) << "seed " << seed;
    for (qsizetype k = 0; k < keywords.size(); ++k) {
        const Positions expected = referenceFind(document, keywords[k]);
        keywordsWithMatches += expected.empty() ? 0 : 1;
        ASSERT_EQ(found[std::size_t(k)], expected)
            << "seed " << seed << ", keyword \"" << readable(keywords[k]) << "\" in \""
            << readable(searched) << "\"";
        // The one-keyword entry point agrees with the whole-dictionary pass.
        if (k % 7 == 0) {
            ASSERT_EQ(findWholeWord(searched, keywords[k]), expected) << "seed " << seed;
        }
    }
}

TEST(KeywordMatcher, AgreesWithTheControlsFindOnGeneratedTextsAndDictionaries) {
    int keywordsWithMatches = 0;
    for (unsigned seed = 1; seed <= 430; ++seed) {
        Generator gen{std::mt19937(seed), {}};
        // The last seeds give paragraphs over 500 characters and keywords over 5, which the
        // control searches another way.
        const bool longParagraph = seed > 400;
        // Some seeds' dictionaries use more units than the matcher's rows have columns.
        const bool wide = seed % 5 == 0;
        if (wide)
            gen.wide = wideWords(gen.rng);
        QString text = gen.text(longParagraph ? 400 : 10 + gen.below(60));
        for (QChar& c : text) {
            if (longParagraph && (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator))
                c = u' ';
        }
        // Keywords at the very start and the very end of the text, then all kinds.
        QStringList keywords = {
            Generator::stretch(text, 0, 1 + gen.below(6)),
            Generator::stretch(text, std::max<qsizetype>(0, text.size() - 1 - gen.below(6)), 99)};
        for (int n = longParagraph ? 40 : 20 + gen.below(40); n > 0; --n) {
            QString keyword = gen.keyword(text);
            if (longParagraph && keyword.size() <= 5)
                keyword = gen.pick(kWords) + u' ' + keyword;
            keywords << keyword;
        }
        if (wide)
            keywords << gen.wide;
        expectSameAsReference(text, keywords, seed, keywordsWithMatches);
        if (HasFatalFailure())
            return;
    }
    // The inputs must exercise matching, not only misses.
    EXPECT_GT(keywordsWithMatches, 2000);
}

// Half a surrogate pair cannot come from the database, but if it is asked for it must not cut
// a character in two.
TEST(KeywordMatcher, NeverSplitsACharacter) {
    const QString emoji = QStringLiteral("😀 😀");
    EXPECT_TRUE(findWholeWord(emoji, emoji.mid(1, 1)).empty());
    EXPECT_TRUE(findWholeWord(emoji, emoji.left(1)).empty());
    EXPECT_EQ(findWholeWord(emoji, emoji.left(2)), Positions({0, 3}));
}

} // namespace
