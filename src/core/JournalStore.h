#pragma once

// The journal, table tblDreams of Dreams.dll: entries by ID, the rows the tree shows, and the
// writes the editor makes. Every operation returns its outcome; nothing here shows a message.

#include "core/Result.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Database;

struct JournalEntry {
    qint64 id = 0; // 0 until the entry is stored
    QString name;
    QString text;
    // The date as stored. Another tool may have stored something that is no number, so the
    // parts are kept as they are; the program itself always writes whole numbers.
    QVariant year;
    QVariant month;
    QVariant day;
};

struct JournalStamp {
    JournalEntry entry;
    quint64 textHash = 0;
};

// The tree orders a month's entries by day or by name.
enum class JournalOrder { ByDate, ByName };

class JournalStore {
public:
    // Opens Dreams.dll. A file that is no database, or has no journal table with the expected
    // columns, fails with the reason. A file or folder that refuses writes opens for reading.
    static Result<std::unique_ptr<JournalStore>> open(const QString& path);
    // Whether `path` holds a usable journal, only reading it; the reason when it does not.
    static Status check(const QString& path);
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    const QString& path() const;
    bool isReadOnly() const;

    Result<JournalEntry> entry(qint64 id);
    // Every entry without its text, ordered by year and month, then by day or name.
    Result<std::vector<JournalEntry>> treeRows(JournalOrder order);
    // Every entry with its text, in date order.
    Result<std::vector<JournalEntry>> entries();
    // Every entry in no particular order, with a fingerprint of its text, and the text itself
    // when `withTexts`. The fingerprints tell which entries changed without reading every text.
    Result<std::vector<JournalStamp>> stampedEntries(bool withTexts);

    // Whether an entry other than `except` is named `name`, ignoring case. Stored names are
    // compared with the spaces they were stored with.
    Result<bool> isNameTaken(const QString& name, std::optional<qint64> except = std::nullopt);

    // Stores a new entry and gives its ID.
    Result<qint64> insert(const JournalEntry& entry);
    // Writes the name, text and date of the stored entry `entry.id`.
    Status update(const JournalEntry& entry);
    Status remove(qint64 id);

    // Changes whenever the journal file changes, through this store or any other program.
    qint64 revision();

    Result<qint64> count();
    // Writes a consistent copy of the journal, also while it is in use, to a new file that takes
    // the place of `target` in one step, with mode 0600.
    Status backupTo(const QString& target);
    // Puts another journal in the place of this one. `swap` must move the new file into place
    // in one step; it runs while no connection has the journal open and no write-ahead log lies
    // beside it, so nothing of the old file can reach the new one. Then the store opens what is
    // at its path: the new journal, or the old one when `swap` failed. A failure means the file
    // was not replaced.
    Status replaceFile(const std::function<Status()>& swap);

private:
    explicit JournalStore(std::unique_ptr<Database> database);
    // Reopens the journal when its file was replaced or removed while the program ran: writes
    // must reach the file the user has, not one that is gone.
    Status current();
    // The tree's rows in date order, sorted here; none when some date part is no whole number.
    Result<std::optional<std::vector<JournalEntry>>> rowsByWholeDate();

    QString path_;
    // Empty only while the file is being replaced.
    // Lets go of the connection; the revisions it gave are never given again.
    void retireConnection();

    std::unique_ptr<Database> db_;
    qint64 revisionBase_ = 0;
    // The tree rows last read, the order they were read in and the state of the file then.
    struct TreeCache {
        qint64 revision = -1;
        JournalOrder order = JournalOrder::ByDate;
        std::vector<JournalEntry> rows;
    };
    TreeCache tree_;
};
