#include "core/JournalSearch.h"

#include "core/CaseFold.h"
#include "core/KeywordMatcher.h"

#include <QHash>

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

std::vector<TextWord> wordsOf(QStringView text, QStringView folded) {
    std::vector<TextWord> words;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isLetterOrNumber()) {
            ++i;
            continue;
        }
        const qsizetype begin = i;
        while (i < text.size() && text[i].isLetterOrNumber())
            ++i;
        words.push_back({qint32(begin), quint16(std::min<qsizetype>(i - begin, 0xFFFF)),
                         folded[begin].unicode()});
    }
    return words;
}

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
    // A word of the query that begins with a letter or digit can only match where a word of the
    // text begins that is exactly its first run of letters and digits: longer would leave a
    // letter after it, shorter would not hold it.
    for (const QString& word : std::as_const(words_)) {
        qsizetype length = 0;
        while (length < word.size() && word[length].isLetterOrNumber())
            ++length;
        if (length > 0)
            required_ << word.left(length);
    }
    if (searchable_ && words_.front().front().isLetterOrNumber())
        leadingWordLength_ = required_.front().size();
}

std::optional<TextSpan> SearchQuery::matchAt(QStringView text, QStringView folded,
                                             qsizetype at) const {
    if (isWordUnit(text, at - 1) || splitsCharacter(text, at))
        return std::nullopt;
    qsizetype end = at;
    for (qsizetype w = 0; w < words_.size(); ++w) {
        qsizetype next = end;
        while (w > 0 && next < folded.size() && isGap(folded[next]))
            ++next;
        if ((w > 0 && next == end) || !folded.mid(next).startsWith(words_[w]))
            return std::nullopt;
        end = next + words_[w].size();
    }
    if (isWordUnit(text, end) || splitsCharacter(text, end))
        return std::nullopt;
    return TextSpan{at, end};
}

std::optional<TextSpan> SearchQuery::firstMatch(QStringView text, QStringView folded,
                                                const std::vector<TextWord>* words) const {
    if (!searchable_)
        return std::nullopt;
    const QString& first = words_.front();
    if (words && leadingWordLength_ > 0 && leadingWordLength_ < 0xFFFF) {
        const char16_t lead = first.front().unicode();
        const auto length = quint16(leadingWordLength_);
        for (const TextWord& word : *words) {
            if (word.length != length || word.folded != lead)
                continue;
            if (auto match = matchAt(text, folded, word.at))
                return match;
        }
        return std::nullopt;
    }
    for (qsizetype at = folded.indexOf(first); at >= 0; at = folded.indexOf(first, at + 1)) {
        if (auto match = matchAt(text, folded, at))
            return match;
    }
    return std::nullopt;
}

std::pair<QString, TextSpan> snippetAround(const QString& text, TextSpan hit, int width) {
    // The hit's own line, looked at no further than the snippet can reach.
    const qsizetype reach = qsizetype(width) + (hit.end - hit.begin);
    qsizetype lineBegin = hit.begin;
    while (lineBegin > 0 && hit.begin - lineBegin < reach &&
           !isParagraphBreak(text[lineBegin - 1].unicode()))
        --lineBegin;
    qsizetype lineEnd = hit.end;
    while (lineEnd < text.size() && lineEnd - hit.end < reach &&
           !isParagraphBreak(text[lineEnd].unicode()))
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

Result<bool> JournalSearch::refresh() {
    Result<bool> changed = index_.refresh();
    if (!changed || (!*changed && indexed_))
        return changed;
    // An entry that did not change keeps its folded texts and words.
    QHash<const IndexedEntry*, std::size_t> before;
    before.reserve(qsizetype(texts_.size()));
    for (std::size_t i = 0; i < texts_.size(); ++i)
        before.insert(texts_[i].entry.get(), i);
    std::vector<SearchText> texts;
    texts.reserve(index_.entries().size());
    for (const IndexedEntryPtr& entry : index_.entries()) {
        const auto old = before.constFind(entry.get());
        if (old != before.constEnd() && texts_[*old].entry == entry) {
            texts.push_back(std::move(texts_[*old]));
            continue;
        }
        SearchText text{
            entry, CaseFold::fold(entry->entry.name), CaseFold::fold(entry->entry.text), {}};
        text.words = wordsOf(entry->entry.text, text.foldedText);
        texts.push_back(std::move(text));
    }
    // Which entries hold each word of their texts, by the entry's place in date order.
    entriesWith_.clear();
    texts_ = std::move(texts);
    for (qsizetype e = 0; e < qsizetype(texts_.size()); ++e) {
        const SearchText& text = texts_[std::size_t(e)];
        for (const TextWord& word : text.words) {
            std::vector<qint32>& holders =
                entriesWith_[QStringView(text.foldedText).mid(word.at, word.length)];
            if (holders.empty() || holders.back() != e)
                holders.push_back(qint32(e));
        }
    }
    indexed_ = true;
    return true;
}

Result<std::vector<SearchHit>> JournalSearch::find(const QString& query) {
    if (Result<bool> read = refresh(); !read)
        return read.error();
    const SearchQuery words(query);
    std::vector<SearchHit> hits;
    if (!words.isSearchable())
        return hits;
    // Only the texts that hold the query's rarest required word are looked into.
    static const std::vector<qint32> none;
    const std::vector<qint32>* candidates = nullptr;
    for (const QString& word : words.requiredWords()) {
        if (word.size() >= 0xFFFF) // longer than a word's length is kept
            continue;
        const auto found = entriesWith_.find(QStringView(word));
        const std::vector<qint32>& holders = found != entriesWith_.end() ? found->second : none;
        if (!candidates || holders.size() < candidates->size())
            candidates = &holders;
    }
    auto next = candidates ? candidates->rbegin() : std::vector<qint32>::const_reverse_iterator();

    // Newest first.
    for (qsizetype e = qsizetype(texts_.size()) - 1; e >= 0; --e) {
        const SearchText& text = texts_[std::size_t(e)];
        const JournalEntry& entry = text.entry->entry;
        std::optional<TextSpan> nameHit = words.firstMatch(entry.name, text.foldedName);
        std::optional<TextSpan> textHit;
        bool candidate = true;
        if (candidates) {
            while (next != candidates->rend() && *next > e)
                ++next;
            candidate = next != candidates->rend() && *next == e;
        }
        if (candidate)
            textHit = words.firstMatch(entry.text, text.foldedText, &text.words);
        if (nameHit || textHit)
            hits.push_back({text.entry, nameHit, textHit});
    }
    return hits;
}

Snippet snippetOf(const SearchHit& hit) {
    const QString& text = hit.entry().text;
    if (!hit.textHit)
        return {snippetAround(text, TextSpan{0, 0}).first, std::nullopt};
    auto [snippet, span] = snippetAround(text, *hit.textHit);
    return {std::move(snippet), span};
}
