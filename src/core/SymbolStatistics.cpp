#include "core/SymbolStatistics.h"

#include "core/CaseFold.h"
#include "core/KeywordMatcher.h"

#include <QHash>

#include <algorithm>
#include <map>

bool DateRange::contains(int dateKey) const {
    // An entry whose date cannot be read is counted only where the range is open.
    if (dateKey < 0)
        return from.isNull() && to.isNull();
    return (from.isNull() || dateKey >= dateKeyOf(from)) &&
           (to.isNull() || dateKey <= dateKeyOf(to));
}

SymbolStatistics::SymbolStatistics(JournalStore& journal, KeywordStore& dictionary)
    : journal_(journal)
    , dictionary_(dictionary) {}

SymbolStatistics::~SymbolStatistics() = default;

Result<bool> SymbolStatistics::refresh() {
    const qint64 dictionaryNow = dictionary_.revision();
    const bool dictionaryChanged = dictionaryNow != dictionaryRevision_ || !matcher_;
    if (dictionaryChanged) {
        Result<std::vector<KeywordEntry>> keywords = dictionary_.entries();
        if (!keywords)
            return keywords.error();
        QStringList symbols, meanings, folded;
        QStringList patterns;
        std::vector<int> symbolOfPattern;
        QHash<QString, int> known;
        for (const KeywordEntry& keyword : *keywords) {
            const QString key = CaseFold::fold(keyword.keyword);
            auto found = known.constFind(key);
            if (found == known.constEnd()) {
                found = known.insert(key, int(symbols.size()));
                symbols << keyword.keyword;
                meanings << keyword.description;
                folded << key;
                // Spellings that fold alike match at the same places: one pattern serves them.
                patterns << keyword.keyword;
                symbolOfPattern.push_back(*found);
            }
        }
        matcher_ = std::make_unique<KeywordMatcher>(patterns);
        symbols_ = std::move(symbols);
        meanings_ = std::move(meanings);
        foldedSymbols_ = std::move(folded);
        symbolOfPattern_ = std::move(symbolOfPattern);
        dictionaryRevision_ = dictionaryNow;
        matched_.clear();
    }

    Result<bool> read = journal_.refresh();
    if (!read)
        return read.error();
    if (!*read && !dictionaryChanged)
        return false;
    // What was matched before, by entry: an entry that did not change is the same object.
    QHash<qint64, std::size_t> before;
    before.reserve(qsizetype(matched_.size()));
    for (std::size_t i = 0; i < matched_.size(); ++i)
        before.insert(matched_[i].entry->entry.id, i);
    std::vector<Matched> matched;
    matched.reserve(journal_.entries().size());
    std::vector<std::size_t> unmatched;
    for (const IndexedEntryPtr& entry : journal_.entries()) {
        const auto old = before.constFind(entry->entry.id);
        if (old != before.constEnd() && matched_[*old].entry == entry) {
            matched.push_back(std::move(matched_[*old]));
        } else {
            unmatched.push_back(matched.size());
            matched.push_back({entry, {}});
        }
    }
    match(matched, unmatched);
    matched_ = std::move(matched);
    return true;
}

void SymbolStatistics::match(std::vector<Matched>& matched,
                             const std::vector<std::size_t>& which) const {
    // Many entries at once, one paragraph each: no match crosses a paragraph break, so each
    // entry's matches are what it would give alone, and the matcher's cost per call is shared.
    constexpr qsizetype kBatch = 256 * 1024;
    QString batch;
    std::vector<qsizetype> starts;
    std::vector<std::size_t> entries;
    auto flush = [&] {
        const std::vector<std::vector<qsizetype>> found = matcher_->findAll(batch);
        for (std::size_t pattern = 0; pattern < found.size(); ++pattern) {
            for (const qsizetype position : found[pattern]) {
                const auto in = std::size_t(
                    std::upper_bound(starts.begin(), starts.end(), position) - starts.begin() - 1);
                std::vector<Hit>& hits = matched[entries[in]].hits;
                const int symbol = symbolOfPattern_[pattern];
                if (!hits.empty() && hits.back().symbol == symbol)
                    ++hits.back().occurrences;
                else
                    hits.push_back({symbol, 1});
            }
        }
        batch.clear();
        starts.clear();
        entries.clear();
    };
    for (const std::size_t entry : which) {
        const QString& text = matched[entry].entry->entry.text;
        if (!batch.isEmpty() && batch.size() + text.size() > kBatch)
            flush();
        starts.push_back(batch.size());
        entries.push_back(entry);
        batch += text;
        batch += QLatin1Char('\n');
    }
    if (!entries.empty())
        flush();
}

int SymbolStatistics::symbolOf(const QString& keyword) const {
    return int(foldedSymbols_.indexOf(CaseFold::fold(keyword)));
}

std::vector<SymbolCount> SymbolStatistics::table(const DateRange& range) const {
    std::vector<SymbolCount> counts(std::size_t(symbols_.size()));
    for (const Matched& matched : matched_) {
        if (!range.contains(matched.entry->dateKey))
            continue;
        for (const Hit& hit : matched.hits) {
            SymbolCount& count = counts[std::size_t(hit.symbol)];
            ++count.entries;
            count.occurrences += hit.occurrences;
        }
    }
    std::vector<int> order;
    for (int symbol = 0; symbol < int(counts.size()); ++symbol)
        if (counts[std::size_t(symbol)].entries > 0)
            order.push_back(symbol);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const SymbolCount& x = counts[std::size_t(a)];
        const SymbolCount& y = counts[std::size_t(b)];
        return x.entries != y.entries ? x.entries > y.entries : x.occurrences > y.occurrences;
    });
    std::vector<SymbolCount> table;
    table.reserve(order.size());
    for (int symbol : order) {
        SymbolCount count = counts[std::size_t(symbol)];
        count.keyword = symbols_[symbol];
        count.meaning = meanings_[symbol];
        table.push_back(std::move(count));
    }
    return table;
}

std::vector<JournalEntry> SymbolStatistics::entriesWith(const QString& keyword,
                                                        const DateRange& range) const {
    std::vector<JournalEntry> entries;
    const int symbol = symbolOf(keyword);
    if (symbol < 0)
        return entries;
    for (const Matched& matched : matched_) {
        if (!range.contains(matched.entry->dateKey))
            continue;
        const bool holds = std::any_of(matched.hits.begin(), matched.hits.end(),
                                       [&](const Hit& hit) { return hit.symbol == symbol; });
        if (holds) {
            const JournalEntry& entry = matched.entry->entry;
            entries.push_back(
                {entry.id, entry.name, QString(), entry.year, entry.month, entry.day});
        }
    }
    return entries;
}

std::vector<MonthCount> SymbolStatistics::months(const QString& keyword,
                                                 const DateRange& range) const {
    const int symbol = symbolOf(keyword);
    // Keyed by year * 100 + month, so the map keeps date order.
    std::map<int, MonthCount> byMonth;
    for (const Matched& matched : matched_) {
        const int key = matched.entry->dateKey;
        if (key < 0 || key / 100 % 100 < 1 || key / 100 % 100 > 12 || !range.contains(key))
            continue;
        MonthCount& month = byMonth[key / 100];
        for (const Hit& hit : matched.hits) {
            if (hit.symbol == symbol) {
                ++month.entries;
                month.occurrences += hit.occurrences;
            }
        }
    }
    std::vector<MonthCount> months;
    if (byMonth.empty())
        return months;
    // Every month from the first to the last, so that the months between read as none.
    const int last = byMonth.rbegin()->first;
    for (int key = byMonth.begin()->first; key <= last;
         key = key % 100 == 12 ? key + 89 : key + 1) {
        const auto found = byMonth.find(key);
        MonthCount month = found != byMonth.end() ? found->second : MonthCount();
        month.year = key / 100;
        month.month = key % 100;
        months.push_back(month);
    }
    return months;
}

DateRange SymbolStatistics::journalSpan() const {
    DateRange span;
    for (const Matched& matched : matched_) {
        const int key = matched.entry->dateKey;
        if (key < 0)
            continue;
        // A day the calendar lacks (31 February) stands for the last day of its month.
        const int year = key / 10000, month = std::clamp(key / 100 % 100, 1, 12);
        const QDate first(year, month, 1);
        const QDate date(year, month, std::clamp(key % 100, 1, first.daysInMonth()));
        if (!date.isValid())
            continue;
        if (span.from.isNull() || date < span.from)
            span.from = date;
        if (span.to.isNull() || date > span.to)
            span.to = date;
    }
    return span;
}

namespace {

QString csvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QByteArray symbolTableCsv(const std::vector<SymbolCount>& table) {
    QString csv = QStringLiteral("Keyword,Entries,Occurrences,Meaning\r\n");
    for (const SymbolCount& row : table)
        csv += QStringLiteral("%1,%2,%3,%4\r\n")
                   .arg(csvField(row.keyword))
                   .arg(row.entries)
                   .arg(row.occurrences)
                   .arg(csvField(row.meaning));
    return csv.toUtf8();
}
