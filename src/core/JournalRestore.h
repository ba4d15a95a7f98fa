#pragma once

// Putting a journal back from a backup (a copy of Dreams.dll) or a JSON export. The source is
// checked before anything changes; the journal in use is kept beside itself and then replaced
// in one step, so a failure, or a process killed at any moment, leaves a usable journal: the old
// one or the restored one, never a mix.

#include "core/JournalStore.h"

#include <QDateTime>

#include <vector>

struct RestoreSource {
    enum class Kind { Backup, Export };
    Kind kind = Kind::Backup;
    QString path;
    qint64 entryCount = 0;
    // An export's entries, read and checked.
    std::vector<JournalEntry> entries;
};

namespace JournalRestore {

// Reads `path` only. Refuses, with the reason, the journal in use itself, a file that is neither
// a backup nor an export, a truncated or damaged backup, and an export with a field at fault.
Result<RestoreSource> inspect(const QString& path, const QString& journalPath);

// Replaces the journal of `journal` by `source`, keeping the journal it replaces beside it as
// "Dreams.dll.before-restore-YYYY-MM-DD-hhmmss" (`now`). Gives the path of that copy.
Result<QString> restore(JournalStore& journal, const RestoreSource& source, const QDateTime& now);

} // namespace JournalRestore
