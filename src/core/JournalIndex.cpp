#include "core/JournalIndex.h"

#include "core/Text.h"

#include <QHash>
#include <QLocale>

#include <algorithm>

int dateKeyOf(const JournalEntry& entry) {
    const auto year = Text::wholeNumber(entry.year);
    const auto month = Text::wholeNumber(entry.month);
    const auto day = Text::wholeNumber(entry.day);
    if (!year || !month || !day || *year < 0 || *year > 9999 || *month < 0 || *month > 99 ||
        *day < 0 || *day > 99)
        return -1;
    return int(*year * 10000 + *month * 100 + *day);
}

int dateKeyOf(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QString displayDate(const JournalEntry& entry) {
    const int key = dateKeyOf(entry);
    const QDate date(key / 10000, key / 100 % 100, key % 100);
    if (key >= 0 && date.isValid())
        return QLocale().toString(date, QLocale::ShortFormat);
    return QStringLiteral("%1-%2-%3")
        .arg(Text::plainValue(entry.month), Text::plainValue(entry.day),
             Text::plainValue(entry.year));
}

JournalIndex::JournalIndex(JournalStore& store)
    : store_(store) {}

Result<bool> JournalIndex::refresh() {
    const qint64 now = store_.revision();
    if (now == revision_)
        return false;
    // With a copy to compare with, the fingerprints of the texts come first, and only the texts
    // that changed are read.
    const bool readTexts = entries_.empty();
    Result<std::vector<JournalStamp>> read = store_.stampedEntries(readTexts);
    if (!read)
        return read.error();

    QHash<qint64, IndexedEntryPtr> before;
    before.reserve(qsizetype(entries_.size()));
    for (const IndexedEntryPtr& kept : entries_)
        before.insert(kept->entry.id, kept);

    std::vector<IndexedEntryPtr> entries;
    entries.reserve(read->size());
    // The new entries whose text is still to be read.
    std::vector<std::shared_ptr<IndexedEntry>> unread;
    bool changed = !read_ || read->size() != entries_.size();
    for (JournalStamp& stamp : *read) {
        JournalEntry& entry = stamp.entry;
        const IndexedEntryPtr old = before.value(entry.id);
        const bool sameText = old && old->textHash == stamp.textHash;
        if (sameText && old->entry.name == entry.name && old->entry.year == entry.year &&
            old->entry.month == entry.month && old->entry.day == entry.day) {
            entries.push_back(old);
            continue;
        }
        changed = true;
        auto indexed = std::make_shared<IndexedEntry>();
        indexed->dateKey = dateKeyOf(entry);
        indexed->textHash = stamp.textHash;
        if (sameText)
            entry.text = old->entry.text;
        indexed->entry = std::move(entry);
        if (!readTexts && !sameText)
            unread.push_back(indexed);
        entries.push_back(std::move(indexed));
    }
    if (Status texts = readTextsOf(unread); !texts)
        return texts.error();
    // By date as the program reads it, then in the order the entries were stored.
    std::sort(
        entries.begin(), entries.end(), [](const IndexedEntryPtr& a, const IndexedEntryPtr& b) {
            return a->dateKey != b->dateKey ? a->dateKey < b->dateKey : a->entry.id < b->entry.id;
        });
    entries_ = std::move(entries);
    revision_ = now;
    read_ = true;
    return changed;
}

Status JournalIndex::readTextsOf(const std::vector<std::shared_ptr<IndexedEntry>>& unread) {
    // A few one by one; many, or an entry gone meanwhile, all at once.
    if (unread.size() <= 64) {
        bool allFound = true;
        for (const auto& indexed : unread) {
            Result<JournalEntry> stored = store_.entry(indexed->entry.id);
            allFound = allFound && stored;
            if (stored)
                indexed->entry.text = stored->text;
        }
        if (allFound)
            return Status();
    }
    Result<std::vector<JournalStamp>> all = store_.stampedEntries(true);
    if (!all)
        return all.status();
    QHash<qint64, const JournalStamp*> byId;
    for (const JournalStamp& stamp : *all)
        byId.insert(stamp.entry.id, &stamp);
    for (const auto& indexed : unread) {
        if (const JournalStamp* stamp = byId.value(indexed->entry.id)) {
            indexed->entry.text = stamp->entry.text;
            indexed->textHash = stamp->textHash;
        }
    }
    return Status();
}
