// The one-pass keyword matcher against the rich-text control's own whole-word find, searched
// keyword by keyword from the end of each previous match, on generated texts and dictionaries.

#include "analysis/KeywordMatcher.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>
#include <random>

namespace {

using Positions = std::vector<qsizetype>;

Positions referenceFind(const QTextDocument& document, const QString& keyword) {
    Positions positions;
    int from = 0;
    for (;;) {
        const QTextCursor match = document.find(keyword, from, QTextDocument::FindWholeWords);
        if (match.isNull())
            break;
        positions.push_back(match.selectionStart());
        from = match.selectionEnd();
    }
    return positions;
}

std::string escaped(const QString& text) {
    std::string out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F) {
            out += char(u);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", unsigned(u));
            out += buffer;
        }
    }
    return out;
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

// Punctuation and spacing between and inside words; paragraph and line breaks; no-break space.
const QStringList kGlue = {
    QStringLiteral(" "),      QStringLiteral(" "),      QStringLiteral(" "),
    QStringLiteral("  "),     QStringLiteral("-"),      QStringLiteral("'"),
    QStringLiteral("_"),      QStringLiteral("."),      QStringLiteral(", "),
    QStringLiteral("!"),      QStringLiteral("\n"),     QStringLiteral("\r\n"),
    QStringLiteral("\u00A0"), QStringLiteral("\u2028"), QStringLiteral("\u2029"),
    QStringLiteral("--"),     QStringLiteral("—"),      QStringLiteral("("),
    QStringLiteral(")"),      QStringLiteral("\""),     QStringLiteral("\t"),
    QStringLiteral("😀"),      QStringLiteral("\u0301"), QString(),
};

class Generator {
public:
    explicit Generator(unsigned seed)
        : rng_(seed) {}

    int below(int n) { return int(rng_() % unsigned(n)); }
    bool chance(int percent) { return below(100) < percent; }
    const QString& pick(const QStringList& list) { return list[below(int(list.size()))]; }

    QString word() {
        if (chance(75))
            return pick(kWords);
        // A made-up word from a mixed alphabet, so odd neighbours meet.
        static const QStringList letters = {
            QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("c"), QStringLiteral("ß"),
            QStringLiteral("ẞ"), QStringLiteral("é"), QStringLiteral("Ж"), QStringLiteral("ς"),
            QStringLiteral("Σ"), QStringLiteral("𐐀"), QStringLiteral("1"), QStringLiteral("😀"),
            QStringLiteral("-"), QStringLiteral("'")};
        QString made;
        for (int n = 1 + below(5); n > 0; --n)
            made += pick(letters);
        return made;
    }

    QString text(int tokens) {
        QString text;
        for (int i = 0; i < tokens; ++i) {
            text += word();
            if (!chance(15)) // sometimes words run into each other
                text += pick(kGlue);
        }
        return text;
    }

    // The text's first or last few characters, never half of a surrogate pair: keywords come
    // from the database as UTF-8 and are always well-formed.
    QString prefix(const QString& text) {
        qsizetype length = std::min<qsizetype>(1 + below(6), text.size());
        if (length < text.size() && text[length].isLowSurrogate())
            ++length;
        return text.left(length);
    }
    QString suffix(const QString& text) {
        qsizetype length = std::min<qsizetype>(1 + below(6), text.size());
        if (length < text.size() && text[text.size() - length].isLowSurrogate())
            ++length;
        return text.right(length);
    }

    // A keyword taken from the text (any stretch of it, often across punctuation), from the
    // word list, or built to probe an edge, in mixed case.
    QString keyword(const QString& text) {
        QString keyword;
        switch (below(6)) {
        case 0:
        case 1: {
            qsizetype from = below(int(text.size()));
            qsizetype length = 1 + below(12);
            if (from > 0 && text[from].isLowSurrogate())
                --from;
            length = std::min(length, text.size() - from);
            if (from + length < text.size() && text[from + length].isLowSurrogate())
                ++length;
            keyword = text.mid(from, length);
            break;
        }
        case 2:
            keyword = pick(kWords);
            break;
        case 3: // a phrase
            keyword = pick(kWords) + (chance(50) ? QStringLiteral(" ") : QStringLiteral("-")) +
                      pick(kWords);
            break;
        case 4: { // punctuation at one end or both
            static const QStringList ends = {QStringLiteral("-"), QStringLiteral("'"),
                                             QStringLiteral("_"), QStringLiteral("."),
                                             QStringLiteral("😀"), QStringLiteral("\u0301")};
            keyword = (chance(50) ? pick(ends) : QString()) + pick(kWords) +
                      (chance(60) ? pick(ends) : QString());
            break;
        }
        default: { // repeats and oddities
            static const QStringList odd = {QStringLiteral("a-a"),
                                            QStringLiteral("aa"),
                                            QStringLiteral("-"),
                                            QStringLiteral("--"),
                                            QStringLiteral("'"),
                                            QStringLiteral(" "),
                                            QStringLiteral("cat\ncat"),
                                            QStringLiteral("a\u00A0a"),
                                            QStringLiteral("a a"),
                                            QStringLiteral("cat\u2028cat"),
                                            QStringLiteral("ss"),
                                            QStringLiteral("SS"),
                                            QString()};
            keyword = pick(odd);
            break;
        }
        }
        switch (below(4)) {
        case 0:
            return keyword.toUpper();
        case 1:
            return keyword.toLower();
        default:
            return keyword;
        }
    }

private:
    std::mt19937 rng_;
};

// Compares every keyword's occurrences; says which input broke it.
void expectSameAsReference(const QString& text, const QStringList& keywords, unsigned seed) {
    QTextDocument document;
    document.setPlainText(text);
    const QString searched = document.toRawText();
    const analysis::KeywordMatcher matcher(keywords);
    const std::vector<Positions> found = matcher.FindAll(searched);
    ASSERT_EQ(found.size(), std::size_t(keywords.size()));
    for (qsizetype k = 0; k < keywords.size(); ++k) {
        const Positions expected = referenceFind(document, keywords[k]);
        ASSERT_EQ(found[std::size_t(k)], expected)
            << "seed " << seed << ", keyword \"" << escaped(keywords[k]) << "\" in \""
            << escaped(searched.left(300)) << (searched.size() > 300 ? "..." : "") << "\"";
        // The one-keyword entry point agrees with the whole-dictionary pass.
        if (k % 7 == 0) {
            ASSERT_EQ(analysis::FindWholeWord(searched, keywords[k]), expected);
        }
    }
}

TEST(KeywordMatcher, AgreesWithTheControlsFindOnGeneratedTextsAndDictionaries) {
    int keywordsWithMatches = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        Generator gen(seed);
        const QString text = gen.text(10 + gen.below(60));
        QStringList keywords;
        // Keywords at the very start and the very end of the text.
        keywords << gen.keyword(text) << gen.prefix(text) << gen.suffix(text);
        for (int n = 20 + gen.below(40); n > 0; --n)
            keywords << gen.keyword(text);
        expectSameAsReference(text, keywords, seed);
        if (HasFatalFailure())
            return;
        QTextDocument document;
        document.setPlainText(text);
        for (const QString& keyword : keywords)
            keywordsWithMatches += referenceFind(document, keyword).empty() ? 0 : 1;
    }
    // The inputs must exercise matching, not only misses.
    EXPECT_GT(keywordsWithMatches, 2000);
}

// Paragraphs longer than 500 characters and keywords longer than 5 take another search path
// inside the control; the matcher must agree there as well.
TEST(KeywordMatcher, AgreesWithTheControlsFindOnLongParagraphs) {
    for (unsigned seed = 1001; seed <= 1030; ++seed) {
        Generator gen(seed);
        QString text = gen.text(400);
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
        QStringList keywords;
        for (int n = 0; n < 40; ++n) {
            QString keyword = gen.keyword(text);
            if (keyword.size() <= 5)
                keyword = gen.pick(kWords) + QStringLiteral(" ") + keyword;
            keywords << keyword;
        }
        expectSameAsReference(text, keywords, seed);
        if (HasFatalFailure())
            return;
    }
}

TEST(KeywordMatcher, FollowsTheControlsWholeWordRules) {
    struct Case {
        const char* text;
        const char* keyword;
        Positions expected;
    };
    const Case cases[] = {
        {"Cat, cat and CAT", "cat", {0, 5, 13}},
        {"catalogue bobcat", "cat", {}},
        {"cat", "cat", {0}},
        {"a black cat, a Black  cat", "black cat", {2}},
        {"cat9 9cat cat_ cat", "cat", {10, 15}}, // underscore is no letter
        {"cats' cat's", "cat", {6}},
        {"STRASSE Straße", "straße", {8}}, // simple folding: ß is not "ss"
        {"ẞ", "ß", {0}},
        {"𐐀 𐐨", "𐐨", {0, 3}},
        {"😀cat😀", "cat", {2}},
        {"one\ntwo", "one two", {}},
        {"one\u00A0two", "one two", {0}},
        // A candidate that is not a whole word moves the search one past its end, as the
        // control does: the whole-word "a-a" at 3 is never seen.
        {"xa-a-a", "a-a", {}},
        {"", "cat", {}},
        {"cat", "", {}},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(analysis::FindWholeWord(text, QString::fromUtf8(c.keyword)), c.expected)
            << c.keyword << " in " << c.text;
    }
}

// Half a surrogate pair cannot come from the database, but if it is asked for it must not cut
// a character in two.
TEST(KeywordMatcher, NeverSplitsACharacter) {
    const QString emoji = QStringLiteral("😀 😀");
    EXPECT_TRUE(analysis::FindWholeWord(emoji, emoji.mid(1, 1)).empty());
    EXPECT_TRUE(analysis::FindWholeWord(emoji, emoji.left(1)).empty());
    EXPECT_EQ(analysis::FindWholeWord(emoji, emoji.left(2)), Positions({0, 3}));
}

TEST(KeywordMatcher, KeepsTheDictionarysOrderAndItsDuplicates) {
    const analysis::KeywordMatcher matcher({QStringLiteral("water"), QString(),
                                            QStringLiteral("Cat"), QStringLiteral("CAT"),
                                            QStringLiteral("bat\nbat")});
    ASSERT_EQ(matcher.KeywordCount(), 5);
    const auto found = matcher.FindAll(QStringLiteral("cat bat\nbat Water cat"));
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0], Positions({12}));
    EXPECT_TRUE(found[1].empty());
    EXPECT_EQ(found[2], Positions({0, 18}));
    EXPECT_EQ(found[3], Positions({0, 18}));
    EXPECT_TRUE(found[4].empty());
}

} // namespace
