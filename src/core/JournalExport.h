#pragma once

// The journal written out to be read elsewhere: Markdown, one self-contained HTML file, or JSON,
// which a restore reads back. Entries are given in date order; each may carry the dictionary's
// symbols found in its text, as the analysis finds them. Nothing here touches a file.

#include "core/JournalStore.h"
#include "core/KeywordStore.h"

#include <QByteArray>
#include <QDate>

#include <optional>
#include <vector>

struct ExportSymbol {
    QString keyword;
    QString meaning;
};

struct ExportEntry {
    JournalEntry entry;
    std::vector<ExportSymbol> symbols;
};

namespace JournalExport {

// The identifier of a JSON export, and the version of its layout this program writes and reads.
inline const char* const kFormatName = "oneirion-journal";
constexpr int kFormatVersion = 1;

// An entry's date as "YYYY-MM-DD", from the stored whole numbers. The editor stores a day its
// month lacks as chosen (31 February), so such a date is written as stored. Empty when a part is
// missing or outside what a date can hold.
QString isoDate(const JournalEntry& entry);
// The same for people: the ISO date, or a word saying there is none.
QString shownDate(const JournalEntry& entry);

// An entry's name as a heading shows it: one line, and something even for an empty name.
QString shownName(const JournalEntry& entry);

// A number of entries in words: "1 entry", "12 entries".
QString entriesText(qint64 count);

// An inclusive range of days.
struct DateRange {
    QDate first;
    QDate last;
};
// The entries whose date lies in `range`, in their order. An entry without a date lies in none.
std::vector<JournalEntry> inRange(const std::vector<JournalEntry>& entries, const DateRange& range);
// The first and the last day the journal's entries are dated; none for a journal without dates.
std::optional<DateRange> span(const std::vector<JournalEntry>& entries);

// Each entry with the keywords of `dictionary` found in its text as whole words, in the
// dictionary's order, as the analysis lists them. Without a dictionary, no symbols.
std::vector<ExportEntry> withSymbols(std::vector<JournalEntry> entries,
                                     const std::vector<KeywordEntry>* dictionary);

// One heading per entry, its date under it; the text is escaped so that it reads as written.
QByteArray markdown(const std::vector<ExportEntry>& entries);
// One HTML file that needs nothing else; every text is escaped.
QByteArray html(const std::vector<ExportEntry>& entries);
// {"format": "oneirion-journal", "version": 1, "entries": [{"name", "date", "text"}]}, each
// entry also with "symbols" when `includeSymbols`. An entry without a date has "date": null.
QByteArray json(const std::vector<ExportEntry>& entries, bool includeSymbols);

// The entries of a JSON export, checked field by field; a file that is no usable export fails
// with the reason, naming the entry at fault.
Result<std::vector<JournalEntry>> readJson(const QByteArray& content);

} // namespace JournalExport
