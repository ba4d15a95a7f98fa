#include "core/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("SafeFile", text);
}

Error systemError(const QString& path, int code) {
    return Error(
        QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), qt_error_string(code)));
}

} // namespace

Status write(const QString& path, const QByteArray& content, Readers readers) {
    QSaveFile file(path);
    // Unbuffered, so that a write the disk cuts short says so here: a buffered one would report
    // every byte written, and the commit would put a cut-off file in the place of a whole one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Error(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    // A journal is private: whatever the file had before, it is the owner's alone now.
    if (readers == Readers::OwnerOnly &&
        !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
    }
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
    }
    if (!file.commit())
        return Error(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return Status();
}

Result<QString> createBeside(const QString& target) {
    const QFileInfo info(target);
    // Hidden, so that a file left by a killed process does not stand among the user's own.
    QTemporaryFile file(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    // QTemporaryFile makes it readable and writable by the owner alone.
    if (!file.open())
        return Error(tr("%1: a file cannot be created there: %2")
                         .arg(QDir::toNativeSeparators(info.absolutePath()), file.errorString()));
    return file.fileName();
}

Status moveIntoPlace(const QString& built, const QString& target) {
    const QByteArray from = QFile::encodeName(built);
    const QByteArray to = QFile::encodeName(target);
    // The content first, so that the name never points at data still on its way to the disk.
    const int file = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return systemError(built, errno);
    const bool synced = ::fsync(file) == 0;
    const int syncError = errno;
    ::close(file);
    if (!synced)
        return systemError(built, syncError);
    if (::rename(from.constData(), to.constData()) != 0)
        return systemError(target, errno);
    // Then the folder, which holds the new name.
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    const int directory = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return Status();
}

bool sameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace SafeFile
