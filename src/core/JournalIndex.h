#pragma once

// The journal held in memory for the windows that look across all entries (search, recurring
// symbols). It follows the journal file by its revision: an unchanged file costs one query; in a
// changed one the fingerprints of the texts tell which texts to read again, and entries whose
// content did not change keep the very same object, so that what was worked out for them is kept.

#include "core/JournalStore.h"
#include "core/Result.h"

#include <QDate>
#include <QString>

#include <memory>
#include <vector>

struct IndexedEntry {
    JournalEntry entry;
    // The store's fingerprint of the text.
    quint64 textHash = 0;
    // Year, month and day as one comparable number (20080314), or -1 when the stored date holds
    // something that is no whole number.
    int dateKey = -1;
};

using IndexedEntryPtr = std::shared_ptr<const IndexedEntry>;

// 20080314 for 14 March 2008; -1 for a date that holds no numbers.
int dateKeyOf(const JournalEntry& entry);
int dateKeyOf(const QDate& date);
// How an entry's date reads for the user: the locale's date, or month-day-year as the tree
// shows it when the stored day does not exist in the calendar.
QString displayDate(const JournalEntry& entry);

class JournalIndex {
public:
    explicit JournalIndex(JournalStore& store);

    // Brings the copy up to date with the file, and says whether anything changed. On failure
    // the copy stays as it was.
    Result<bool> refresh();
    // Every entry in date order, oldest first; ties in the order they were stored.
    const std::vector<IndexedEntryPtr>& entries() const { return entries_; }

private:
    Status readTextsOf(const std::vector<std::shared_ptr<IndexedEntry>>& unread);

    JournalStore& store_;
    qint64 revision_ = -1;
    bool read_ = false;
    std::vector<IndexedEntryPtr> entries_;
};
