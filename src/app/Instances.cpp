// Running instances of one executable: each process holds an exclusive lock on a file of its own
// in a folder named after the executable's path. A lock that can be taken belongs to a process
// that has ended (a crash leaves its file behind), so that file is removed.

#include "app/modMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
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
    g_lockPath = folder + QStringLiteral("/%1.lock").arg(::getpid());
    const int fd =
        ::open(QFile::encodeName(g_lockPath).constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    g_lockFd = fd; // held until the process ends
}

bool PrevInstance() {
    const QString folder = instanceFolder();
    const QStringList entries = QDir(folder).entryList({QStringLiteral("*.lock")}, QDir::Files);
    bool running = false;
    for (const QString& entry : entries) {
        const QString path = folder + QLatin1Char('/') + entry;
        if (path == g_lockPath)
            continue;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            running = true;
        } else {
            ::unlink(QFile::encodeName(path).constData());
            ::flock(fd, LOCK_UN);
        }
        ::close(fd);
    }
    return running;
}

namespace testing {

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
