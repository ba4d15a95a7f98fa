// Faults of the files a test names: every SQLite file is opened through this wrapper of the real
// file system, made the default, and a write to a named file (or its log beside it) fails as it
// would on a full disk or a file that refuses writes, also through a connection opened before.

#include "FaultVfs.h"

#include <QFileInfo>
#include <QHash>

#include <cstring>
#include <sqlite3.h>

namespace testsupport {
namespace {

QHash<QByteArray, int>& faultyFiles() {
    static QHash<QByteArray, int> files;
    return files;
}

// The wrapped file: our io methods first, then the name it was opened under, then the real
// file's state.
struct WrappedFile {
    sqlite3_file base;
    sqlite3_file* real;
    char name[512];
};

sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<WrappedFile*>(f)->real;
}

// What a write to `f` meets: SQLITE_OK, or the error of its fault.
int writeFault(sqlite3_file* f) {
    const QByteArray name(reinterpret_cast<WrappedFile*>(f)->name);
    for (auto it = faultyFiles().cbegin(); it != faultyFiles().cend(); ++it) {
        if (name.startsWith(it.key()))
            return it.value();
    }
    return SQLITE_OK;
}

int xClose(sqlite3_file* f) {
    return real(f)->pMethods->xClose(real(f));
}
int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
}
int xWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    if (const int fault = writeFault(f); fault != SQLITE_OK)
        return fault;
    return real(f)->pMethods->xWrite(real(f), data, amount, offset);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file* f, int flags) {
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int xLock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xLock(real(f), level);
}
int xUnlock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xUnlock(real(f), level);
}
int xCheckReservedLock(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int xFileControl(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int xSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file* f) {
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int deleteFlag) {
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}

int xOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* parent = static_cast<sqlite3_vfs*>(vfs->pAppData);
    auto* wrapped = reinterpret_cast<WrappedFile*>(file);
    wrapped->real = reinterpret_cast<sqlite3_file*>(wrapped + 1);
    std::strncpy(wrapped->name, name ? name : "", sizeof wrapped->name - 1);
    wrapped->name[sizeof wrapped->name - 1] = '\0';
    const int rc = parent->xOpen(parent, name, wrapped->real, flags, outFlags);
    // SQLite calls xClose only when pMethods is set, so leave it null on failure.
    wrapped->base.pMethods = wrapped->real->pMethods != nullptr ? &g_methods : nullptr;
    return rc;
}

} // namespace

void installFaultVfs() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    sqlite3_vfs* parent = sqlite3_vfs_find(nullptr);
    std::memcpy(&g_vfs, parent, sizeof g_vfs);
    g_vfs.zName = "oneirion-test-faults";
    g_vfs.szOsFile = int(sizeof(WrappedFile)) + parent->szOsFile;
    g_vfs.pAppData = parent;
    g_vfs.xOpen = xOpen;
    g_vfs.pNext = nullptr;

    g_methods = sqlite3_io_methods{};
    g_methods.iVersion = 2;
    g_methods.xClose = xClose;
    g_methods.xRead = xRead;
    g_methods.xWrite = xWrite;
    g_methods.xTruncate = xTruncate;
    g_methods.xSync = xSync;
    g_methods.xFileSize = xFileSize;
    g_methods.xLock = xLock;
    g_methods.xUnlock = xUnlock;
    g_methods.xCheckReservedLock = xCheckReservedLock;
    g_methods.xFileControl = xFileControl;
    g_methods.xSectorSize = xSectorSize;
    g_methods.xDeviceCharacteristics = xDeviceCharacteristics;
    g_methods.xShmMap = xShmMap;
    g_methods.xShmLock = xShmLock;
    g_methods.xShmBarrier = xShmBarrier;
    g_methods.xShmUnmap = xShmUnmap;
    sqlite3_vfs_register(&g_vfs, 1);
}

void failWrites(const QString& file, WriteFault fault) {
    faultyFiles().insert(QFileInfo(file).absoluteFilePath().toLocal8Bit(),
                         fault == WriteFault::DiskFull ? SQLITE_FULL : SQLITE_READONLY);
}

void endWriteFaults() {
    faultyFiles().clear();
}

} // namespace testsupport
