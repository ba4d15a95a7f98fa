#pragma once

// The file the user names for an export or a backup, made ready and checked before anything is
// written.

#include <QString>
#include <QStringList>

namespace TargetFile {

// `path`, with `suffix` (".md") added when the name the user typed has none.
QString withSuffix(const QString& path, const QString& suffix);

// The program's data file that writing to `path` would destroy (the file itself, or the log
// or shared memory SQLite keeps beside it); empty when there is none.
QString ownFileAt(const QString& path, const QStringList& dataFiles);

} // namespace TargetFile
