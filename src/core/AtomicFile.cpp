#include "core/AtomicFile.h"

#include <QSaveFile>

Status writeFileAtomically(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    // Unbuffered, so that a write the disk cuts short says so here: a buffered one would report
    // every byte written, and the commit would put a cut-off file in the place of a whole one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Error(QStringLiteral("%1: %2").arg(path, reason));
    }
    if (!file.commit())
        return Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return Status();
}
