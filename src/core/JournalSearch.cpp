#include "core/JournalSearch.h"

#include "core/CaseFold.h"
#include "core/KeywordMatcher.h"

namespace {

// Space between the words of a phrase: anything blank that does not end the line.
bool isGap(QChar c) {
    return c.isSpace() && !isParagraphBreak(c.unicode());
}

bool isWordUnit(QStringView text, qsizetype at) {
    return at >= 0 && at < text.size() && text[at].isLetterOrNumber();
}

bool splitsCharacter(QStringView text, qsizetype at) {
    return at > 0 && at < text.size() && text[at].isLowSurrogate() &&
           text[at - 1].isHighSurrogate();
}

} // namespace

SearchQuery::SearchQuery(const QString& text) {
    const QString folded = CaseFold::fold(text);
    qsizetype i = 0;
    while (i < folded.size()) {
        while (i < folded.size() && folded[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < folded.size() && !folded[i].isSpace())
            ++i;
        if (i > start)
            words_ << folded.mid(start, i - start);
    }
    for (const QString& word : std::as_const(words_))
        for (QChar c : word)
            searchable_ = searchable_ || c.isLetterOrNumber();
}

std::optional<TextSpan> SearchQuery::firstMatch(QStringView text, QStringView folded) const {
    if (!searchable_)
        return std::nullopt;
    const QString& first = words_.front();
    for (qsizetype at = folded.indexOf(first); at >= 0; at = folded.indexOf(first, at + 1)) {
        if (isWordUnit(text, at - 1) || splitsCharacter(text, at))
            continue;
        qsizetype end = at + first.size();
        bool whole = true;
        for (qsizetype w = 1; whole && w < words_.size(); ++w) {
            qsizetype next = end;
            while (next < folded.size() && isGap(folded[next]))
                ++next;
            whole = next > end && folded.mid(next).startsWith(words_[w]);
            end = next + words_[w].size();
        }
        if (whole && !isWordUnit(text, end) && !splitsCharacter(text, end))
            return TextSpan{at, end};
    }
    return std::nullopt;
}

std::pair<QString, TextSpan> snippetAround(const QString& text, TextSpan hit, int width) {
    // The hit's own line, where it starts and ends.
    qsizetype lineBegin = hit.begin;
    while (lineBegin > 0 && !isParagraphBreak(text[lineBegin - 1].unicode()))
        --lineBegin;
    qsizetype lineEnd = hit.end;
    while (lineEnd < text.size() && !isParagraphBreak(text[lineEnd].unicode()))
        ++lineEnd;

    // Some context before the hit, the rest after it; cuts fall between words where they can.
    const qsizetype room = std::max<qsizetype>(width - (hit.end - hit.begin), 0);
    qsizetype begin = std::max(lineBegin, hit.begin - room / 3);
    qsizetype end = std::min(lineEnd, begin + std::max<qsizetype>(width, hit.end - begin));
    if (begin > lineBegin) {
        const qsizetype space = text.indexOf(QLatin1Char(' '), begin - 1);
        if (space >= 0 && space < begin + 12 && space < hit.begin)
            begin = space + 1;
    }
    if (end < lineEnd) {
        const qsizetype space = text.lastIndexOf(QLatin1Char(' '), end);
        if (space >= hit.end && space > end - 12)
            end = space;
    }
    if (splitsCharacter(text, begin))
        ++begin;
    if (splitsCharacter(text, end))
        --end;

    const QString ellipsis(QChar(0x2026));
    QString snippet = text.mid(begin, end - begin);
    qsizetype shift = begin;
    if (begin > lineBegin) {
        snippet.prepend(ellipsis);
        shift -= 1;
    }
    if (end < lineEnd)
        snippet.append(ellipsis);
    // Tabs and other blanks read as single spaces on one line.
    for (QChar& c : snippet)
        if (c.isSpace())
            c = QLatin1Char(' ');
    return {snippet, TextSpan{hit.begin - shift, hit.end - shift}};
}

JournalSearch::JournalSearch(JournalStore& store)
    : index_(store) {}

Result<std::vector<SearchHit>> JournalSearch::find(const QString& query) {
    if (Result<bool> read = index_.refresh(); !read)
        return read.error();
    const SearchQuery words(query);
    std::vector<SearchHit> hits;
    if (!words.isSearchable())
        return hits;
    const std::vector<IndexedEntryPtr>& entries = index_.entries();
    // Newest first.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const IndexedEntry& indexed = **it;
        const JournalEntry& entry = indexed.entry;
        std::optional<TextSpan> nameHit = words.firstMatch(entry.name, indexed.foldedName);
        std::optional<TextSpan> textHit = words.firstMatch(entry.text, indexed.foldedText);
        if (!nameHit && !textHit)
            continue;
        SearchHit hit;
        hit.entry = {entry.id, entry.name, QString(), entry.year, entry.month, entry.day};
        hit.nameHit = nameHit;
        if (textHit) {
            auto [snippet, span] = snippetAround(entry.text, *textHit);
            hit.snippet = std::move(snippet);
            hit.snippetHit = span;
        } else if (!entry.text.isEmpty()) {
            hit.snippet = snippetAround(entry.text, TextSpan{0, 0}).first;
        }
        hits.push_back(std::move(hit));
    }
    return hits;
}
