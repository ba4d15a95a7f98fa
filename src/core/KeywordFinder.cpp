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
    std::vector<Span>& occurrences = matches.occurrences;
    std::sort(occurrences.begin(), occurrences.end(),
              [](const Span& a, const Span& b) { return a.begin < b.begin; });
    for (const Span& occurrence : occurrences) {
        if (!found.spans.empty() && occurrence.begin <= found.spans.back().end)
            found.spans.back().end = std::max(found.spans.back().end, occurrence.end);
        else
            found.spans.push_back({occurrence.begin, occurrence.end});
    }
    return found;
}
