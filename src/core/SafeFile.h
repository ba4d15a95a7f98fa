#pragma once

// Files the program writes for the user (exports, backups, a restored journal): each appears
// whole under its name or not at all, readable and writable by its owner alone, so a failure or
// a killed process never leaves a half file where the user looks for a whole one.

#include "core/Result.h"

#include <QByteArray>
#include <QString>

namespace SafeFile {

// Who may read a file written: the user's own data is private; files for the desktop (its
// menu entry, its file types) keep the usual permissions so the desktop can read them.
enum class Readers { OwnerOnly, Everyone };

// Writes `content` to `path` in one step. Fails with "PATH: reason".
Status write(const QString& path, const QByteArray& content, Readers readers = Readers::OwnerOnly);

// A new empty file in the folder of `target`, named after it, for building what will take its
// place. The caller removes it unless it moves it into place.
Result<QString> createBeside(const QString& target);

// Puts the finished file `built` in the place of `target` in one step, and makes the change
// itself survive a crash of the machine.
Status moveIntoPlace(const QString& built, const QString& target);

// Whether two paths name the same file (the same inode), as hard links and other spellings do.
bool sameFile(const QString& a, const QString& b);

} // namespace SafeFile
