// Running instances of one executable: each process holds an exclusive lock on a file of its own
// in a folder named after the executable's path. The file's name starts with the moment the
// process registered, so names sort in start order and only earlier instances count: two starts
// at the same moment refuse one, not each other. A lock that can be taken belongs to a process
// that has ended (a crash leaves its file behind), so that file is removed.

#include "app/modMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

namespace modMain {
namespace {

int g_lockFd = -1;
QString g_lockPath;

QString instanceFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(ExePath().toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return base + QStringLiteral("/oneirion-instances/") + QString::fromLatin1(key);
}

} // namespace

void RegisterInstance() {
    if (g_lockFd >= 0)
        return;
    const QString folder = instanceFolder();
    QDir().mkpath(folder);
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const QString name = QStringLiteral("%1%2-%3")
                             .arg(qint64(now.tv_sec), 12, 10, QLatin1Char('0'))
                             .arg(qint64(now.tv_nsec), 9, 10, QLatin1Char('0'))
                             .arg(::getpid());
    // Locked under a name nobody looks for, then shown: another process never finds the file
    // unlocked and takes it for a stale one.
    const QString hidden = folder + QStringLiteral("/%1.new").arg(name);
    const int fd =
        ::open(QFile::encodeName(hidden).constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    g_lockPath = folder + QStringLiteral("/%1.lock").arg(name);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(QFile::encodeName(hidden).constData(),
                 QFile::encodeName(g_lockPath).constData()) != 0) {
        ::unlink(QFile::encodeName(hidden).constData());
        ::close(fd);
        g_lockPath.clear();
        return;
    }
    g_lockFd = fd; // held until the process ends
}

namespace {

// Processes of this executable that are running now, other than this one; with `earlierOnly`,
// only those that registered before it.
int countInstances(bool earlierOnly) {
    const QString folder = instanceFolder();
    const QStringList entries = QDir(folder).entryList({QStringLiteral("*.lock")}, QDir::Files);
    int running = 0;
    for (const QString& entry : entries) {
        const QString path = folder + QLatin1Char('/') + entry;
        if (path == g_lockPath || (earlierOnly && !g_lockPath.isEmpty() && path > g_lockPath))
            continue;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
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

} // namespace

bool PrevInstance() {
    return countInstances(true) > 0;
}

namespace testing {

int OtherInstances() {
    return countInstances(false);
}

void ReleaseInstance() {
    if (g_lockFd < 0)
        return;
    ::unlink(QFile::encodeName(g_lockPath).constData());
    ::close(g_lockFd);
    g_lockFd = -1;
    g_lockPath.clear();
}

} // namespace testing

} // namespace modMain
