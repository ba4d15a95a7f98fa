#pragma once

// The dictionary, Keywords.dll, as the update import reads and writes it: the keywords it holds,
// and the merge of an update's keywords in one transaction. QtCore and SQLite only.

#include <QSet>
#include <QString>

#include <functional>
#include <vector>

namespace KeywordStore {

struct [[nodiscard]] KeywordSet {
    QSet<QString> folded; // every keyword, case-folded; NULL keywords are left out
    QString error;        // names the file and the reason it could not be read

    bool ok() const { return error.isEmpty(); }
    bool contains(const QString& keyword) const;
};

// Every keyword the dictionary holds now.
[[nodiscard]] KeywordSet ReadKeywords(const QString& dictionaryPath);

// What becomes of a keyword the dictionary already holds.
enum class Policy { KeepExisting, Overwrite, Append };

struct Item {
    QString keyword; // trimmed, not empty
    QString description;
};

enum class Outcome { Committed, Cancelled, Failed };

struct [[nodiscard]] MergeResult {
    Outcome outcome = Outcome::Failed;
    // Items the dictionary itself refused (a trigger, a constraint); the others were committed.
    int refused = 0;
    QString firstRefusal;
    // Why nothing was merged, naming the file, when the outcome is Failed.
    QString error;
};

// Merges `items` in order, in one transaction: a new keyword is added, an existing one (equal
// ignoring case, the first row in keyword order) is changed by `policy` and keeps its own
// spelling. A keyword added earlier in the run is found by later items. `progress` runs after
// each item with the number handled so far; returning false cancels, and a cancelled or failed
// merge leaves the dictionary exactly as it was.
[[nodiscard]] MergeResult Merge(const QString& dictionaryPath, const std::vector<Item>& items,
                                Policy policy, const std::function<bool(int done)>& progress = {});

} // namespace KeywordStore
