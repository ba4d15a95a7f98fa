#pragma once

// Recurring symbols: the dictionary matched against every journal entry with the analysis's
// matcher, counted per keyword, per entry and per month, within a range of dates. The matches are
// kept per entry: after a change only the entries that changed are matched again, and a changed
// dictionary matches everything again.

#include "core/JournalIndex.h"
#include "core/KeywordStore.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class KeywordMatcher;

// Inclusive; a null end is open.
struct DateRange {
    QDate from;
    QDate to;
    bool contains(int dateKey) const;
};

struct SymbolCount {
    QString keyword;
    QString meaning;
    int entries = 0;     // entries it occurs in
    int occurrences = 0; // times it occurs in them
};

struct MonthCount {
    int year = 0;
    int month = 0;
    int entries = 0;
    int occurrences = 0;
};

class SymbolStatistics {
public:
    SymbolStatistics(JournalStore& journal, KeywordStore& dictionary);
    ~SymbolStatistics();
    SymbolStatistics(const SymbolStatistics&) = delete;
    SymbolStatistics& operator=(const SymbolStatistics&) = delete;

    // Brings the matches up to date with both files, and says whether anything changed. On
    // failure the last state stays.
    Result<bool> refresh();

    // Every keyword found in the range, most entries first, then most occurrences, then in the
    // dictionary's order. Keywords equal ignoring case count as one, under the first spelling.
    std::vector<SymbolCount> table(const DateRange& range) const;
    // The entries in the range that hold `keyword`, in date order, without their texts.
    std::vector<JournalEntry> entriesWith(const QString& keyword, const DateRange& range) const;
    // Each month of the range that has entries, with how often `keyword` occurs in it, in date
    // order; a month of the range whose entries lack it counts zero.
    std::vector<MonthCount> months(const QString& keyword, const DateRange& range) const;
    // The dates of the first and the last entry that has a readable date; null when none has.
    DateRange journalSpan() const;

private:
    struct Hit {
        int symbol;
        int occurrences;
    };
    struct Matched {
        IndexedEntryPtr entry;
        std::vector<Hit> hits; // by symbol, ascending
    };
    // Matches the entries `which` of `matched`, which have no hits yet.
    void match(std::vector<Matched>& matched, const std::vector<std::size_t>& which) const;
    int symbolOf(const QString& keyword) const;

    JournalIndex journal_;
    KeywordStore& dictionary_;
    qint64 dictionaryRevision_ = -1;
    // The dictionary's keywords, one per spelling that folds alike, and their meanings.
    QStringList symbols_;
    QStringList meanings_;
    QStringList foldedSymbols_;
    std::unique_ptr<KeywordMatcher> matcher_;
    std::vector<int> symbolOfPattern_;
    std::vector<Matched> matched_; // in date order
};

// The table as CSV (RFC 4180, UTF-8): a header line, then keyword, entries, occurrences and
// meaning per row.
QByteArray symbolTableCsv(const std::vector<SymbolCount>& table);
