#include "shell/modFileType.h"

namespace modFileType {

bool AssociateFileType(const QString&, const QString&, const QString&, const QString&, qint16) {
    return false;
}

bool IsFileTypeAssociated() {
    return true;
}

QString GetAssociatedProgram(const QString&) {
    return QString();
}

void MakeProbeFileName(const QString&, QString&, QString&) {}

} // namespace modFileType
