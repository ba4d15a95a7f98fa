#include "core/JournalStore.h"

#include "core/Database.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <optional>
#include <sqlite3.h>
#include <tuple>

namespace {

const char* const kColumns[] = {"ID", "Year", "Month", "Day", "JournalName", "journaltext"};

QString tr(const char* text) {
    return QCoreApplication::translate("JournalStore", text);
}

JournalEntry rowWithoutText(const Database::Query& row) {
    JournalEntry entry;
    entry.id = row.integer(0);
    entry.year = row.value(1);
    entry.month = row.value(2);
    entry.day = row.value(3);
    entry.name = row.text(4);
    return entry;
}

// Gives each connection the text fingerprint that tells changed entries apart.
void addTextHash(sqlite3* db) {
    // A 64-bit hash of the stored UTF-8, eight bytes a step, made where the text lies, so no
    // text is copied.
    sqlite3_create_function_v2(
        db, "oneirion_text_hash", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
        [](sqlite3_context* context, int, sqlite3_value** arguments) {
            const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_text(arguments[0]));
            const auto size = std::size_t(std::max(sqlite3_value_bytes(arguments[0]), 0));
            quint64 hash = 14695981039346656037ull ^ size;
            std::size_t i = 0;
            for (; bytes && i + 8 <= size; i += 8) {
                quint64 word;
                std::memcpy(&word, bytes + i, 8);
                hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
                hash ^= hash >> 29;
            }
            for (; bytes && i < size; ++i)
                hash = (hash ^ bytes[i]) * 1099511628211ull;
            sqlite3_result_int64(context, sqlite3_int64(hash));
        },
        nullptr, nullptr, nullptr);
}

// A journal that cannot be used must not pass for an empty one; the check only reads it.
Result<std::unique_ptr<Database>> openChecked(const QString& path) {
    if (Status usable = JournalStore::check(path); !usable)
        return usable.error();
    Result<std::unique_ptr<Database>> opened = Database::open(path, Database::Access::ReadWrite);
    if (opened)
        addTextHash((*opened)->handle());
    return opened;
}

} // namespace

Status JournalStore::check(const QString& path) {
    QStringList columns;
    for (const char* column : kColumns)
        columns << QLatin1String(column);
    return Database::check(path, QStringLiteral("tblDreams"), columns);
}

Result<std::unique_ptr<JournalStore>> JournalStore::open(const QString& path) {
    Result<std::unique_ptr<Database>> opened = openChecked(path);
    if (!opened)
        return opened.error();
    return std::unique_ptr<JournalStore>(new JournalStore(std::move(*opened)));
}

Status JournalStore::current() {
    if (db_ && db_->isStillAtPath())
        return Status();
    Result<std::unique_ptr<Database>> reopened = openChecked(path_);
    if (!reopened)
        return reopened.error();
    retireConnection();
    db_ = std::move(*reopened);
    return Status();
}

void JournalStore::retireConnection() {
    // A new connection counts from zero again: what is cached by revision must not take the new
    // file for the old one.
    if (db_)
        revisionBase_ += db_->dataVersion() + sqlite3_total_changes64(db_->handle()) + 1;
    db_.reset();
    tree_ = {};
}

JournalStore::JournalStore(std::unique_ptr<Database> database)
    : path_(database->path())
    , db_(std::move(database)) {}

JournalStore::~JournalStore() = default;

const QString& JournalStore::path() const {
    return path_;
}

bool JournalStore::isReadOnly() const {
    return !db_ || db_->isReadOnly();
}

Result<JournalEntry> JournalStore::entry(qint64 id) {
    if (Status opened = current(); !opened)
        return opened.error();
    auto row = db_->query(
        "SELECT ID, Year, Month, Day, JournalName, journaltext FROM tblDreams WHERE ID = ?", {id});
    if (!row)
        return row.error();
    if (!row->next()) {
        if (!row->status())
            return row->status().error();
        return Error(tr("The entry no longer exists."));
    }
    JournalEntry entry = rowWithoutText(*row);
    entry.text = row->text(5);
    return entry;
}

Result<std::vector<JournalEntry>> JournalStore::treeRows(JournalOrder order) {
    if (Status opened = current(); !opened)
        return opened.error();
    // An unchanged journal gives the same rows: any change, from anywhere, reads them again.
    const qint64 now = revision();
    if (now == tree_.revision && order == tree_.order)
        return tree_.rows;
    std::optional<std::vector<JournalEntry>> sorted;
    if (order == JournalOrder::ByDate) {
        Result<std::optional<std::vector<JournalEntry>>> byDate = rowsByWholeDate();
        if (!byDate)
            return byDate.error();
        sorted = std::move(*byDate);
    }
    if (!sorted) {
        auto rows =
            order == JournalOrder::ByDate
                ? db_->query("SELECT ID, Year, Month, Day, JournalName FROM tblDreams "
                             "ORDER BY Year, Month, Day, ID")
                : db_->query("SELECT ID, Year, Month, Day, JournalName FROM tblDreams "
                             "ORDER BY Year, Month, JournalName COLLATE ONEIRION_NOCASE, ID");
        if (!rows)
            return rows.error();
        sorted.emplace();
        while (rows->next())
            sorted->push_back(rowWithoutText(*rows));
        if (!rows->status())
            return rows->status().error();
    }
    tree_ = {now, order, *sorted};
    return std::move(*sorted);
}

Result<std::optional<std::vector<JournalEntry>>> JournalStore::rowsByWholeDate() {
    // SQLite sorts a large journal several times slower than it reads it. When every date part
    // is a whole number, as this program writes them, the same order is the numbers' order;
    // anything else another tool may have stored is left to SQLite's own rules.
    auto rows = db_->query("SELECT ID, Year, Month, Day, JournalName FROM tblDreams");
    if (!rows)
        return rows.error();
    std::vector<JournalEntry> entries;
    struct Key {
        qint64 year, month, day, id;
        std::size_t at;
    };
    std::vector<Key> keys;
    const auto whole = [](const QVariant& part) { return part.typeId() == QMetaType::LongLong; };
    while (rows->next()) {
        JournalEntry entry = rowWithoutText(*rows);
        if (!whole(entry.year) || !whole(entry.month) || !whole(entry.day))
            return std::optional<std::vector<JournalEntry>>();
        keys.push_back({entry.year.toLongLong(), entry.month.toLongLong(), entry.day.toLongLong(),
                        entry.id, entries.size()});
        entries.push_back(std::move(entry));
    }
    if (!rows->status())
        return rows->status().error();
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return std::tie(a.year, a.month, a.day, a.id) < std::tie(b.year, b.month, b.day, b.id);
    });
    std::vector<JournalEntry> sorted;
    sorted.reserve(entries.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(entries[key.at]));
    return std::optional<std::vector<JournalEntry>>(std::move(sorted));
}

Result<std::vector<JournalStamp>> JournalStore::stampedEntries(bool withTexts) {
    if (Status opened = current(); !opened)
        return opened.error();
    // Unsorted: sorting whole texts in the database costs more than reading them.
    auto rows = db_->query(withTexts ? "SELECT ID, Year, Month, Day, JournalName, "
                                       "oneirion_text_hash(journaltext), journaltext FROM tblDreams"
                                     : "SELECT ID, Year, Month, Day, JournalName, "
                                       "oneirion_text_hash(journaltext) FROM tblDreams");
    if (!rows)
        return rows.error();
    std::vector<JournalStamp> stamps;
    while (rows->next()) {
        stamps.push_back({rowWithoutText(*rows), quint64(rows->integer(5))});
        if (withTexts)
            stamps.back().entry.text = rows->text(6);
    }
    if (!rows->status())
        return rows->status().error();
    return stamps;
}

Result<std::vector<JournalEntry>> JournalStore::entries() {
    if (Status opened = current(); !opened)
        return opened.error();
    auto rows = db_->query("SELECT ID, Year, Month, Day, JournalName, journaltext FROM tblDreams "
                           "ORDER BY Year, Month, Day, ID");
    if (!rows)
        return rows.error();
    std::vector<JournalEntry> entries;
    while (rows->next()) {
        entries.push_back(rowWithoutText(*rows));
        entries.back().text = rows->text(5);
    }
    if (!rows->status())
        return rows->status().error();
    return entries;
}

Result<bool> JournalStore::isNameTaken(const QString& name, std::optional<qint64> except) {
    if (Status opened = current(); !opened)
        return opened.error();
    // A NULL ID never equals the excluded one: such a row, stored by another tool, still counts.
    auto found = db_->query("SELECT 1 FROM tblDreams WHERE JournalName = ? COLLATE "
                            "ONEIRION_NOCASE AND ID IS NOT ? LIMIT 1",
                            {name, except ? QVariant(*except) : QVariant()});
    if (!found)
        return found.error();
    const bool taken = found->next();
    if (!found->status())
        return found->status().error();
    return taken;
}

Result<qint64> JournalStore::insert(const JournalEntry& entry) {
    if (Status opened = current(); !opened)
        return opened.error();
    Status added = db_->execute(
        "INSERT INTO tblDreams (JournalName, journaltext, Year, Month, Day) VALUES (?, ?, ?, ?, ?)",
        {entry.name, entry.text, entry.year, entry.month, entry.day});
    if (!added)
        return added.error();
    auto id = db_->query("SELECT ID FROM tblDreams WHERE rowid = ?", {db_->lastInsertRowId()});
    if (!id)
        return id.error();
    if (!id->next() || id->isNull(0))
        return Error(tr("The new entry was given no number."));
    return id->integer(0);
}

Status JournalStore::update(const JournalEntry& entry) {
    if (Status opened = current(); !opened)
        return opened;
    Status written =
        db_->execute("UPDATE tblDreams SET JournalName = ?, journaltext = ?, "
                     "Year = ?, Month = ?, Day = ? WHERE ID = ?",
                     {entry.name, entry.text, entry.year, entry.month, entry.day, entry.id});
    if (!written)
        return written;
    if (db_->changes() == 0)
        return Error(tr("The entry no longer exists."));
    return Status();
}

Status JournalStore::remove(qint64 id) {
    if (Status opened = current(); !opened)
        return opened;
    Status removed = db_->execute("DELETE FROM tblDreams WHERE ID = ?", {id});
    if (!removed)
        return removed;
    if (db_->changes() == 0)
        return Error(tr("The entry no longer exists."));
    return Status();
}

qint64 JournalStore::revision() {
    // A file that cannot be reopened keeps the last state: every operation then says why.
    if (!current() && !db_)
        return -1;
    // Other programs' commits move the data version; this connection's own writes move its
    // change count. Both only grow, so their sum changes whenever either does.
    return revisionBase_ + db_->dataVersion() + sqlite3_total_changes64(db_->handle());
}

Result<qint64> JournalStore::count() {
    if (Status opened = current(); !opened)
        return opened.error();
    auto counted = db_->query("SELECT count(*) FROM tblDreams");
    if (!counted)
        return counted.error();
    if (!counted->next())
        return counted->status().error();
    return counted->integer(0);
}

Status JournalStore::backupTo(const QString& target) {
    if (Status opened = current(); !opened)
        return opened;
    return db_->copyTo(target);
}

Status JournalStore::replaceFile(const std::function<Status()>& swap) {
    if (Status opened = current(); !opened)
        return opened;
    // The last connection to close folds the write-ahead log into the file and deletes it. A log
    // left behind (another program still has the journal open) would be read into the new file
    // as if it were its own, so then nothing is replaced.
    retireConnection();
    const QFileInfo log(path_ + QStringLiteral("-wal"));
    Status swapped = log.exists() && log.size() > 0
                         ? Status(Error(tr("Another program has the journal open.")))
                         : swap();
    // The journal that is there now. Should it fail to open, the file has been replaced all the
    // same, and every later operation tries again and says why.
    static_cast<void>(current());
    return swapped;
}
