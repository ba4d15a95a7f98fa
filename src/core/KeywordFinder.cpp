#include "core/KeywordFinder.h"

#include <algorithm>

KeywordFinder::KeywordFinder(KeywordStore& store)
    : store_(store) {}

KeywordFinder::~KeywordFinder() = default;

Result<KeywordFinder::Found> KeywordFinder::find(QStringView text) {
    // The revision is taken before the rows are read: a change in between makes the next search
    // build again, never keeps what is out of date.
    const qint64 now = store_.revision();
    if (!matcher_ || now != revision_) {
        Result<std::vector<KeywordEntry>> dictionary = store_.entries();
        if (!dictionary) {
            matcher_.reset();
            return dictionary.error();
        }
        QStringList keywords;
        keywords.reserve(qsizetype(dictionary->size()));
        for (const KeywordEntry& entry : *dictionary)
            keywords << entry.keyword;
        matcher_ = std::make_unique<KeywordMatcher>(keywords);
        entries_ = std::move(*dictionary);
        revision_ = now;
    }

    KeywordMatcher::Matches matches = matcher_->match(text);
    Found found;
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        if (matches.found[k])
            found.entries.push_back(entries_[k]);
    }
    // The occurrences come in the order of their ends, so an occurrence can only join the last
    // spans: those that reach its beginning. No sort is needed.
    for (const Span& occurrence : matches.occurrences) {
        Span span = occurrence;
        while (!found.spans.empty() && found.spans.back().end >= span.begin) {
            span.begin = std::min(span.begin, found.spans.back().begin);
            found.spans.pop_back();
        }
        found.spans.push_back(span);
    }
    return found;
}
