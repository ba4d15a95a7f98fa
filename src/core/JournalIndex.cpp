#include "core/JournalIndex.h"

#include "core/CaseFold.h"
#include "core/Text.h"

#include <QHash>
#include <QLocale>

#include <algorithm>

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
    Result<std::vector<JournalEntry>> read = store_.entries();
    if (!read)
        return read.error();

    QHash<qint64, IndexedEntryPtr> before;
    before.reserve(qsizetype(entries_.size()));
    for (const IndexedEntryPtr& kept : entries_)
        before.insert(kept->entry.id, kept);

    std::vector<IndexedEntryPtr> entries;
    entries.reserve(read->size());
    bool changed = !read_ || read->size() != entries_.size();
    for (JournalEntry& entry : *read) {
        const IndexedEntryPtr old = before.value(entry.id);
        if (old && old->entry.name == entry.name && old->entry.text == entry.text &&
            old->entry.year == entry.year && old->entry.month == entry.month &&
            old->entry.day == entry.day) {
            entries.push_back(old);
            continue;
        }
        changed = true;
        auto indexed = std::make_shared<IndexedEntry>();
        indexed->foldedName = CaseFold::fold(entry.name);
        indexed->foldedText = CaseFold::fold(entry.text);
        indexed->words = wordsOf(entry.text, indexed->foldedText);
        indexed->dateKey = dateKeyOf(entry);
        indexed->entry = std::move(entry);
        entries.push_back(std::move(indexed));
    }
    // The store orders by the stored values; a date stored as text sorts apart from numbers
    // there, so the order is settled here on the dates as the program reads them.
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const IndexedEntryPtr& a, const IndexedEntryPtr& b) { return a->dateKey < b->dateKey; });
    entries_ = std::move(entries);
    revision_ = now;
    read_ = true;
    return changed;
}
