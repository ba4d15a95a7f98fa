#pragma once

// Registration of the update-file type (.udj) with the desktop, so that opening such a file
// starts the program on it.

#include <QString>

namespace modFileType {

// Writes the association below the user's XDG data and config folders: a MIME type for the
// extension, a desktop entry that opens it with `exePath`, the default-application line and the
// icon, then refreshes the desktop's databases. Every step runs even when one before it failed;
// true when all files were written. The program has one icon, which every `iconNumber` names.
bool AssociateFileType(const QString& exePath, const QString& extension, const QString& typeName,
                       const QString& description, qint16 iconNumber);
// True when the desktop would open update files with exactly this executable.
bool IsFileTypeAssociated();
// The executable the desktop would start for a file of `extension`, or "".
QString GetAssociatedProgram(const QString& extension);
// A folder for a probe file and a name in it that no file has yet.
void MakeProbeFileName(const QString& extension, QString& folder, QString& fileName);

} // namespace modFileType
