#include "core/InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

namespace {

QString instanceFolder(const QString& executablePath) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(executablePath.toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return base + QStringLiteral("/oneirion-instances/") + QString::fromLatin1(key);
}

} // namespace

InstanceLock::InstanceLock(const QString& executablePath)
    : folder_(instanceFolder(executablePath)) {
    QDir().mkpath(folder_);
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const QString name = QStringLiteral("%1%2-%3")
                             .arg(qint64(now.tv_sec), 12, 10, QLatin1Char('0'))
                             .arg(qint64(now.tv_nsec), 9, 10, QLatin1Char('0'))
                             .arg(::getpid());
    // Locked under a name nobody looks for, then shown: another program never finds the file
    // unlocked and takes it for a stale one.
    const QString hidden = folder_ + QStringLiteral("/%1.new").arg(name);
    const int fd =
        ::open(QFile::encodeName(hidden).constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QString lockPath = folder_ + QStringLiteral("/%1.lock").arg(name);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(QFile::encodeName(hidden).constData(), QFile::encodeName(lockPath).constData()) !=
            0) {
        ::unlink(QFile::encodeName(hidden).constData());
        ::close(fd);
        return;
    }
    lockFd_ = fd;
    lockPath_ = lockPath;
}

InstanceLock::~InstanceLock() {
    if (lockFd_ < 0)
        return;
    ::unlink(QFile::encodeName(lockPath_).constData());
    ::close(lockFd_);
}

bool InstanceLock::earlierInstanceRunning() const {
    return countInstances(true) > 0;
}

int InstanceLock::otherInstances() const {
    return countInstances(false);
}

int InstanceLock::countInstances(bool earlierOnly) const {
    const QStringList entries = QDir(folder_).entryList({QStringLiteral("*.lock")}, QDir::Files);
    int running = 0;
    for (const QString& entry : entries) {
        const QString path = folder_ + QLatin1Char('/') + entry;
        if (path == lockPath_ || (earlierOnly && !lockPath_.isEmpty() && path > lockPath_))
            continue;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A lock that can be taken belongs to a program that has ended (a crash leaves its file
        // behind), so that file is removed.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ++running;
        } else {
            ::unlink(QFile::encodeName(path).constData());
            ::flock(fd, LOCK_UN);
        }
        ::close(fd);
    }
    return running;
}
