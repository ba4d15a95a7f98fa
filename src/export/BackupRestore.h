#pragma once

// Backing up the journal to a file the user chooses, and restoring it from a backup or a JSON
// export, with the questions and messages that go with each.

#include <QDate>
#include <QDateTime>
#include <QStringList>

#include <functional>

class JournalStore;
class QWidget;

namespace BackupRestore {

// Asks for a file name (proposing "Oneirion journal YYYY-MM-DD.db" for `today`) and writes a
// consistent copy of the journal there, saying how it went.
void backUp(QWidget* parent, JournalStore& journal, const QDate& today,
            const QStringList& dataFiles);

// Asks for a backup or an export, checks it, runs `mayReplace` (the question about unsaved
// changes), asks for confirmation and puts it in the journal's place, keeping the journal it
// replaces beside it (named after `now`). True when the journal was replaced.
bool restore(QWidget* parent, JournalStore& journal, const QDateTime& now,
             const std::function<bool()>& mayReplace);

} // namespace BackupRestore
