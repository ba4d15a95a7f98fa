#pragma once

// Searching the journal for a word or phrase: an entry is found when its name or its text holds
// the query as whole words, ignoring case for all of Unicode, with the analysis's word rule (no
// letter or digit just before or after the match). The query's words match with any run of
// spaces or tabs between them, but never across a line break. A query with no letter or digit
// finds nothing.

#include "core/JournalIndex.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

struct TextWord {
    qint32 at;
    quint16 length;  // in UTF-16 units; 0xFFFF for any longer
    char16_t folded; // its first unit, case-folded
};

// The words of `text` (runs of letters and digits), given also case-folded: the only places
// where a search for a word can match.
std::vector<TextWord> wordsOf(QStringView text, QStringView folded);

// A half-open range of UTF-16 positions.
struct TextSpan {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool operator==(const TextSpan& other) const {
        return begin == other.begin && end == other.end;
    }
};

struct SearchHit {
    IndexedEntryPtr source;
    std::optional<TextSpan> nameHit;
    std::optional<TextSpan> textHit;
    const JournalEntry& entry() const { return source->entry; }
};

// One line of the text around its first hit (or its beginning when only the name matched), and
// where the hit lies in that line. Made when shown, so a search that finds every entry costs no
// more than one that finds a few.
struct Snippet {
    QString text;
    std::optional<TextSpan> hit;
};
Snippet snippetOf(const SearchHit& hit);

class SearchQuery {
public:
    explicit SearchQuery(const QString& text);
    // Whether the query holds a word to look for.
    bool isSearchable() const { return searchable_; }
    // The first whole-word match in `text`, given also case-folded. `words`, when given, are
    // the words of `text` (wordsOf).
    std::optional<TextSpan> firstMatch(QStringView text, QStringView folded,
                                       const std::vector<TextWord>* words = nullptr) const;
    // Words, case-folded, that a text must hold as whole words to hold the query: the first run
    // of letters and digits of each of its words.
    const QStringList& requiredWords() const { return required_; }

private:
    // Whether a match of the words begins at `at`, and where it ends.
    std::optional<TextSpan> matchAt(QStringView text, QStringView folded, qsizetype at) const;

    QStringList words_; // folded
    // A query that begins with a letter or digit can only match at the start of a word as long
    // as the query's first run of letters and digits; 0 when it begins otherwise.
    qsizetype leadingWordLength_ = 0;
    QStringList required_;
    bool searchable_ = false;
};

// The line of `text` around `hit`, cut to about `width` characters with an ellipsis where it was
// cut, and the hit's place in it.
std::pair<QString, TextSpan> snippetAround(const QString& text, TextSpan hit, int width = 90);

class JournalSearch {
public:
    explicit JournalSearch(JournalStore& store);

    // The entries that hold `query`, newest first. The journal is read again only when it
    // changed since the last search.
    Result<std::vector<SearchHit>> find(const QString& query);
    // Reads the journal again if it changed; true when the last results may be out of date.
    Result<bool> refresh();

private:
    struct ViewHash {
        std::size_t operator()(QStringView view) const { return qHash(view); }
    };

    // What a search looks at in an entry: its name and text case-folded one code point at a
    // time (as long as the originals, so positions carry over), and the text's words.
    struct SearchText {
        IndexedEntryPtr entry;
        QString foldedName;
        QString foldedText;
        std::vector<TextWord> words;
    };

    JournalIndex index_;
    std::vector<SearchText> texts_; // in date order, as the index's entries
    // The entries (places in date order, ascending) whose texts hold each case-folded word. The
    // words point into the index's entries, which live as long as the index holds them.
    std::unordered_map<QStringView, std::vector<qint32>, ViewHash> entriesWith_;
    bool indexed_ = false;
};
