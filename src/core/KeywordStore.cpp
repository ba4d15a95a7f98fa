#include "core/KeywordStore.h"

#include "core/CaseFold.h"
#include "core/Database.h"
#include "core/KeywordOrder.h"

#include <QAnyStringView>
#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <sqlite3.h>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("KeywordStore", text);
}

// Errors that concern the one row being written, not the dictionary as a whole.
bool refusesOnlyThisRow(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CONSTRAINT || primary == SQLITE_MISMATCH || primary == SQLITE_TOOBIG;
}

} // namespace

// What was read last, with the state of the file it was read at: a read of an unchanged file
// gives it back at once, and any change, from anywhere, makes it read again.
struct KeywordStore::Cache {
    KeywordOrder order;
    // The keywords as last read, in the table's order, and their stored UTF-8 end to end: a
    // refresh compares bytes with bytes.
    QStringList read;
    QByteArray readUtf8;
    std::vector<qsizetype> readUtf8Ends;
    qint64 sortedRevision = -1;
    QStringList sorted;
    // `sorted`, case-folded, made at the first search after each read.
    qint64 foldedRevision = -1;
    QStringList folded;
    qint64 entriesRevision = -1;
    std::vector<KeywordEntry> entries;
};

namespace {

// A dictionary that cannot be used must not pass for an empty one; the check only reads it.
Result<std::unique_ptr<Database>> openChecked(const QString& path) {
    if (Status usable = Database::check(path, QStringLiteral("tblKeywords"),
                                        {QStringLiteral("Keyword"), QStringLiteral("Description")});
        !usable)
        return usable.error();
    return Database::open(path, Database::Access::ReadWrite);
}

} // namespace

Result<std::unique_ptr<KeywordStore>> KeywordStore::open(const QString& path) {
    Result<std::unique_ptr<Database>> opened = openChecked(path);
    if (!opened)
        return opened.error();
    return std::unique_ptr<KeywordStore>(new KeywordStore(std::move(*opened)));
}

Status KeywordStore::current() {
    if (db_->isStillAtPath())
        return Status();
    Result<std::unique_ptr<Database>> reopened = openChecked(db_->path());
    if (!reopened)
        return reopened.error();
    // The new file's count starts again from nothing: go on from above the old one's, so a
    // revision seen before never comes back.
    revisionBase_ += db_->dataVersion() + sqlite3_total_changes64(db_->handle()) + 1;
    db_ = std::move(*reopened);
    // What was read came from the file that is gone; the sort order's ranks stay good.
    cache_->sortedRevision = -1;
    cache_->entriesRevision = -1;
    return Status();
}

KeywordStore::KeywordStore(std::unique_ptr<Database> database)
    : db_(std::move(database))
    , cache_(std::make_unique<Cache>()) {}

KeywordStore::~KeywordStore() = default;

const QString& KeywordStore::path() const {
    return db_->path();
}

bool KeywordStore::isReadOnly() const {
    return db_->isReadOnly();
}

Result<QStringList> KeywordStore::keywords() {
    if (Status opened = current(); !opened)
        return opened.error();
    const qint64 now = revision();
    if (now == cache_->sortedRevision)
        return cache_->sorted;
    auto rows = db_->query("SELECT Keyword FROM tblKeywords");
    if (!rows)
        return rows.error();
    // The rows are compared as stored with the last read. Most are where it found them: while
    // they all are, nothing is built; from the first that is not, the lists are built again,
    // taking over rows found one place on (after a row removed before them) and decoding only
    // the others. Decoding and copying every keyword anew took most of a refresh's read.
    const QStringList& before = cache_->read;
    const QByteArray& beforeUtf8 = cache_->readUtf8;
    const std::vector<qsizetype>& beforeEnds = cache_->readUtf8Ends;
    auto endBefore = [&](qsizetype i) { return i == 0 ? 0 : beforeEnds[size_t(i - 1)]; };
    auto storedBefore = [&](qsizetype i) {
        return QByteArrayView(beforeUtf8.constData() + endBefore(i),
                              beforeEnds[size_t(i)] - endBefore(i));
    };
    qsizetype unchanged = 0; // leading rows as the last read had them
    bool changed = false;
    QStringList keywords;
    QByteArray utf8;
    std::vector<qsizetype> ends;
    // Starts the lists with the first `count` rows of the last read.
    auto keepLeading = [&](qsizetype count) {
        keywords.reserve(before.size() + 16);
        keywords.append(before.first(count));
        utf8.reserve(beforeUtf8.size() + 1024);
        utf8.append(beforeUtf8.first(endBefore(count)));
        ends.reserve(beforeEnds.size() + 16);
        ends.assign(beforeEnds.begin(), beforeEnds.begin() + qptrdiff(count));
    };
    qsizetype at = 0;
    while (rows->next()) {
        const QUtf8StringView stored = rows->utf8(0);
        if (stored.isNull())
            continue; // a row without a keyword is not listed
        const QByteArrayView bytes(stored.data(), stored.size());
        if (!changed) {
            if (unchanged < before.size() && storedBefore(unchanged) == bytes) {
                ++unchanged;
                continue;
            }
            changed = true;
            keepLeading(unchanged);
            at = unchanged;
        }
        if (at < before.size() && storedBefore(at) == bytes) {
            keywords << before[at++];
        } else if (at + 1 < before.size() && storedBefore(at + 1) == bytes) {
            at += 2;
            keywords << before[at - 1];
        } else {
            keywords << stored.toString();
            ++at;
        }
        utf8.append(bytes);
        ends.push_back(utf8.size());
    }
    if (!rows->status())
        return rows->status().error();
    if (!changed && unchanged == before.size()) {
        keywords = before;
        utf8 = beforeUtf8;
        ends = beforeEnds;
    } else if (!changed) { // rows removed from the end
        keepLeading(unchanged);
    }
    cache_->sorted = cache_->order.sort(keywords);
    cache_->read = std::move(keywords);
    cache_->readUtf8 = std::move(utf8);
    cache_->readUtf8Ends = std::move(ends);
    cache_->sortedRevision = now;
    return cache_->sorted;
}

Result<QStringList> KeywordStore::search(const QString& text) {
    Result<QStringList> all = keywords();
    if (!all)
        return all;
    // Matching the sorted list keeps the matches sorted. Folding case per code point keeps every
    // text as long as it was, so a folded text holds the folded search text exactly where the
    // text holds the search text ignoring case; each keyword is folded once, not per keystroke.
    if (cache_->foldedRevision != cache_->sortedRevision) {
        cache_->folded.clear();
        cache_->folded.reserve(all->size());
        for (const QString& keyword : *all)
            cache_->folded << CaseFold::fold(keyword);
        cache_->foldedRevision = cache_->sortedRevision;
    }
    const QString needle = CaseFold::fold(text);
    QStringList matches;
    matches.reserve(all->size());
    for (qsizetype i = 0; i < all->size(); ++i) {
        const QString& folded = cache_->folded[i];
        if (!folded.isEmpty() && folded.contains(needle))
            matches << (*all)[i];
    }
    return matches;
}

Result<std::vector<KeywordEntry>> KeywordStore::entries() {
    if (Status opened = current(); !opened)
        return opened.error();
    const qint64 now = revision();
    if (now == cache_->entriesRevision)
        return cache_->entries;
    auto rows = db_->query("SELECT Keyword, Description FROM tblKeywords ORDER BY rowid");
    if (!rows)
        return rows.error();
    std::vector<KeywordEntry> read;
    while (rows->next())
        read.push_back({rows->text(0), rows->text(1)});
    if (!rows->status())
        return rows->status().error();
    // In keyword order ignoring case; equal ones keep the table's order. Sorting here spares
    // SQLite a conversion of both texts for every comparison of its own.
    std::stable_sort(read.begin(), read.end(), [](const KeywordEntry& a, const KeywordEntry& b) {
        return CaseFold::compare(a.keyword, b.keyword) < 0;
    });
    cache_->entries = std::move(read);
    cache_->entriesRevision = now;
    return cache_->entries;
}

Result<QSet<QString>> KeywordStore::foldedKeywords() {
    if (Status opened = current(); !opened)
        return opened.error();
    auto rows = db_->query("SELECT Keyword FROM tblKeywords WHERE Keyword IS NOT NULL");
    if (!rows)
        return rows.error();
    QSet<QString> folded;
    while (rows->next())
        folded.insert(CaseFold::fold(rows->text(0)));
    if (!rows->status())
        return rows->status().error();
    return folded;
}

Result<std::optional<KeywordEntry>> KeywordStore::find(const QString& keyword) {
    if (Status opened = current(); !opened)
        return opened.error();
    auto row = db_->query("SELECT Keyword, Description FROM tblKeywords "
                          "WHERE Keyword = ? COLLATE ONEIRION_NOCASE ORDER BY rowid DESC LIMIT 1",
                          {keyword});
    if (!row)
        return row.error();
    if (!row->next()) {
        if (!row->status())
            return row->status().error();
        return std::optional<KeywordEntry>();
    }
    return std::optional<KeywordEntry>(KeywordEntry{row->text(0), row->text(1)});
}

Result<bool> KeywordStore::contains(const QString& keyword) {
    Result<std::optional<KeywordEntry>> found = find(keyword);
    if (!found)
        return found.error();
    return found->has_value();
}

Result<std::vector<qint64>> KeywordStore::rowsOf(const QString& keyword) {
    if (Status opened = current(); !opened)
        return opened.error();
    auto rows = db_->query(
        "SELECT rowid FROM tblKeywords WHERE Keyword = ? COLLATE ONEIRION_NOCASE ORDER BY rowid",
        {keyword});
    if (!rows)
        return rows.error();
    std::vector<qint64> found;
    while (rows->next())
        found.push_back(rows->integer(0));
    if (!rows->status())
        return rows->status().error();
    return found;
}

Status KeywordStore::add(const QString& keyword, const QString& description) {
    if (Status opened = current(); !opened)
        return opened;
    return db_->execute("INSERT INTO tblKeywords (Keyword, Description) VALUES (?, ?)",
                        {keyword, description});
}

Result<int> KeywordStore::update(const QString& keyword, const QString& newKeyword,
                                 const QString& description) {
    if (Status opened = current(); !opened)
        return opened.error();
    // One statement: a row that fails undoes the rows before it.
    Status written = db_->execute("UPDATE tblKeywords SET Keyword = ?, Description = ? "
                                  "WHERE Keyword = ? COLLATE ONEIRION_NOCASE",
                                  {newKeyword, description, keyword});
    if (!written)
        return written.error();
    return db_->changes();
}

Status KeywordStore::removeRow(qint64 row) {
    if (Status opened = current(); !opened)
        return opened;
    Status removed = db_->execute("DELETE FROM tblKeywords WHERE rowid = ?", {row});
    if (!removed)
        return removed;
    if (db_->changes() == 0)
        return Error(tr("The keyword no longer exists."));
    return Status();
}

Result<MergeOutcome> KeywordStore::merge(const std::vector<KeywordEntry>& items, MergePolicy policy,
                                         const std::function<bool(int)>& progress) {
    if (Status opened = current(); !opened)
        return opened.error();
    struct Existing {
        qint64 row = 0;
        QString description;
    };
    MergeOutcome outcome;
    Status done = db_->transaction([&]() -> Status {
        // The dictionary as it is now, read once: of rows equal but for case, the first in the
        // table's order (the oldest) is the one an update changes.
        QHash<QString, Existing> existing;
        {
            auto rows = db_->query("SELECT rowid, Keyword, Description FROM tblKeywords "
                                   "WHERE Keyword IS NOT NULL ORDER BY rowid");
            if (!rows)
                return rows.error();
            while (rows->next()) {
                const QString key = CaseFold::fold(rows->text(1));
                if (!existing.contains(key))
                    existing.insert(key, Existing{rows->integer(0), rows->text(2)});
            }
            if (!rows->status())
                return rows->status();
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            const KeywordEntry& item = items[i];
            const QString key = CaseFold::fold(item.keyword);
            const auto found = existing.find(key);
            if (found == existing.end() || policy != MergePolicy::KeepExisting) {
                const QString description =
                    found != existing.end() && policy == MergePolicy::Append
                        ? found->description + QStringLiteral(" ; ") + item.description
                        : item.description;
                int code = SQLITE_OK;
                QString reason;
                // A savepoint per row: a row the dictionary refuses is undone alone, triggers
                // and all, and the rest goes on.
                Status written = db_->savepoint([&]() -> Status {
                    Status step =
                        found == existing.end()
                            ? db_->execute(
                                  "INSERT INTO tblKeywords (Keyword, Description) VALUES (?, ?)",
                                  {item.keyword, description})
                            : db_->execute("UPDATE tblKeywords SET Description = ? WHERE rowid = ?",
                                           {description, found->row});
                    if (!step) {
                        code = sqlite3_extended_errcode(db_->handle());
                        reason = QString::fromUtf8(sqlite3_errmsg(db_->handle()));
                    }
                    return step;
                });
                if (written) {
                    if (found == existing.end())
                        existing.insert(key, Existing{db_->lastInsertRowId(), description});
                    else
                        found->description = description;
                } else if (refusesOnlyThisRow(code)) {
                    if (outcome.refused++ == 0)
                        outcome.firstRefusal = QStringLiteral("%1: %2").arg(item.keyword, reason);
                } else {
                    return written;
                }
            }
            if (progress && !progress(int(i + 1))) {
                outcome.cancelled = true;
                return Error(tr("The import was cancelled."));
            }
        }
        return Status();
    });
    if (!done && !outcome.cancelled)
        return done.error();
    return outcome;
}

qint64 KeywordStore::revision() {
    // A file that cannot be reopened keeps the last state: every operation then says why.
    static_cast<void>(current());
    // Other programs' commits move the data version; this connection's own writes move its
    // change count. Both only grow, so their sum changes whenever either does.
    return revisionBase_ + db_->dataVersion() + sqlite3_total_changes64(db_->handle());
}
