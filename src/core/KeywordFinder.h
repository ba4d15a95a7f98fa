#pragma once

// The dictionary's keywords found in a text as whole words: what the analysis lists and marks.
// Building the matcher for a large dictionary takes longer than a search with it, so it is kept
// for the dictionary's state it was built from, and built again at the first search after any
// change to the dictionary file, from this program or any other.

#include "core/KeywordMatcher.h"
#include "core/KeywordStore.h"
#include "core/Result.h"

#include <QStringView>

#include <memory>
#include <vector>

class KeywordFinder {
public:
    explicit KeywordFinder(KeywordStore& store);
    ~KeywordFinder();
    KeywordFinder(const KeywordFinder&) = delete;
    KeywordFinder& operator=(const KeywordFinder&) = delete;

    using Span = KeywordMatcher::Occurrence;
    struct Found {
        // The dictionary rows whose keyword occurs, in the dictionary's order.
        std::vector<KeywordEntry> entries;
        // Where they occur, ordered, with overlapping occurrences (a phrase and a word inside
        // it) joined into one.
        std::vector<Span> spans;
    };
    // A dictionary that cannot be read gives the reason.
    Result<Found> find(QStringView text);

private:
    KeywordStore& store_;
    qint64 revision_ = -1;
    std::vector<KeywordEntry> entries_;
    std::unique_ptr<KeywordMatcher> matcher_;
};
