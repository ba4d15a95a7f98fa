#pragma once

// Associates the update-file type (.udj) with this program on the freedesktop stack, so that
// opening such a file starts the program on it. Only the user's own XDG folders are written.

#include "core/Result.h"

#include <QString>

namespace DesktopAssociation {

// Writes the association below the user's XDG data and config folders: a MIME type for the
// extension, a desktop entry that opens it with `executable`, the default-application line and
// the icon, then refreshes the desktop's databases. Every step runs even when one before it
// failed; the first failure is given back.
Status associate(const QString& executable, const QString& extension, const QString& typeName,
                 const QString& description);
// True when the desktop would open update files with exactly `executable`.
bool isAssociated(const QString& executable);
// The executable the desktop would start for a file of `extension`, or "".
QString associatedProgram(const QString& extension);

// A folder for a probe file (TEMP, with a trailing slash) and a name in it that no file has
// yet; the name is empty when every candidate is taken.
struct ProbeName {
    QString folder;
    QString fileName;
};
ProbeName probeFileName(const QString& extension);

} // namespace DesktopAssociation
