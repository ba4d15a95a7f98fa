#include "export/TargetFile.h"

#include "core/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace TargetFile {

QString withSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().isEmpty() ? path + suffix : path;
}

QString ownFileAt(const QString& path, const QStringList& dataFiles) {
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& own : dataFiles) {
        for (const char* companion : {"", "-wal", "-shm", "-journal"}) {
            const QString file = own + QLatin1String(companion);
            // The program finds its data files whatever their letter case.
            if (SafeFile::sameFile(path, file) ||
                target.compare(QDir::cleanPath(QFileInfo(file).absoluteFilePath()),
                               Qt::CaseInsensitive) == 0)
                return own;
        }
    }
    return QString();
}

} // namespace TargetFile
