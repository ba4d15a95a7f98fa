#pragma once

// The dream dictionary, table tblKeywords of Keywords.dll: its keywords in alphabetical order,
// search, the meaning of a keyword, the panel's edits, and the merge of an update. Keywords are
// compared ignoring case for all of Unicode; a NULL keyword equals nothing. Every operation
// returns its outcome; nothing here shows a message.

#include "core/Result.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Database;

struct KeywordEntry {
    QString keyword;
    QString description; // empty for NULL
};

// What becomes of a keyword the dictionary already holds when an update brings it again.
enum class MergePolicy { KeepExisting, Overwrite, Append };

struct MergeOutcome {
    bool cancelled = false;
    // Items the dictionary itself refused (a trigger, a constraint); the others were committed.
    int refused = 0;
    QString firstRefusal;
};

class KeywordStore {
public:
    // Opens Keywords.dll. A file that is no database, or has no keyword table with the expected
    // columns, fails with the reason. A file or folder that refuses writes opens for reading.
    static Result<std::unique_ptr<KeywordStore>> open(const QString& path);
    ~KeywordStore();
    KeywordStore(const KeywordStore&) = delete;
    KeywordStore& operator=(const KeywordStore&) = delete;

    const QString& path() const;
    bool isReadOnly() const;

    // Every keyword that is not NULL, in alphabetical order ignoring case (the user's locale);
    // a keyword stored twice is listed twice.
    Result<QStringList> keywords();
    // The keywords that contain `text` anywhere, ignoring case, in the same order. An empty text
    // gives every keyword that is not empty.
    Result<QStringList> search(const QString& text);
    // Every row in keyword order, ignoring case: what the analysis matches.
    Result<std::vector<KeywordEntry>> entries();
    // Every keyword, case-folded: tells an update's new keywords from known ones.
    Result<QSet<QString>> foldedKeywords();

    // Of the rows whose keyword equals `keyword`, the last in the table's own order.
    Result<std::optional<KeywordEntry>> find(const QString& keyword);
    Result<bool> contains(const QString& keyword);
    // The rows whose keyword equals `keyword`, in the table's own order.
    Result<std::vector<qint64>> rowsOf(const QString& keyword);

    Status add(const QString& keyword, const QString& description);
    // Rewrites every row whose keyword equals `keyword`: its keyword becomes `newKeyword`, its
    // meaning `description`. Gives how many rows were rewritten; all or none are.
    Result<int> update(const QString& keyword, const QString& newKeyword,
                       const QString& description);
    Status removeRow(qint64 row);

    // Merges `items` (keyword, meaning) in order, in one transaction: a new keyword is added; an
    // existing one (the oldest row equal ignoring case) is changed by `policy` and keeps its own
    // spelling. A keyword added earlier in the run is found by later items. `progress` runs after
    // each item with the number handled so far; returning false cancels. A cancelled or failed
    // merge leaves the dictionary exactly as it was.
    Result<MergeOutcome> merge(const std::vector<KeywordEntry>& items, MergePolicy policy,
                               const std::function<bool(int done)>& progress = {});

    // Changes whenever the dictionary file changes, through this store or any other program.
    qint64 revision();

private:
    explicit KeywordStore(std::unique_ptr<Database> database);
    // Reopens the dictionary when its file was replaced or removed while the program ran.
    Status current();

    std::unique_ptr<Database> db_;
    qint64 revisionBase_ = 0;
    struct Cache;
    std::unique_ptr<Cache> cache_;
};
