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
#include <utility>
#include <vector>

// A half-open range of UTF-16 positions.
struct TextSpan {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool operator==(const TextSpan& other) const {
        return begin == other.begin && end == other.end;
    }
};

struct SearchHit {
    JournalEntry entry; // without its text
    std::optional<TextSpan> nameHit;
    // One line of the text around its first hit (or its beginning when only the name matched),
    // and where the hit lies in that line.
    QString snippet;
    std::optional<TextSpan> snippetHit;
};

class SearchQuery {
public:
    explicit SearchQuery(const QString& text);
    // Whether the query holds a word to look for.
    bool isSearchable() const { return searchable_; }
    // The first whole-word match in `text`, given also case-folded.
    std::optional<TextSpan> firstMatch(QStringView text, QStringView folded) const;

private:
    QStringList words_; // folded
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
    Result<bool> refresh() { return index_.refresh(); }

private:
    JournalIndex index_;
};
