#include "data/SimulatedFaultVfs.h"

#include <cstring>
#include <sqlite3.h>

namespace modDB::SimulatedFaultVfs {
namespace {

const char kName[] = "oneirion-disk-full";

// The wrapped file: our io methods first, the real file's state right behind.
struct FaultyFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<FaultyFile*>(f)->real;
}

int xClose(sqlite3_file* f) {
    return real(f)->pMethods->xClose(real(f));
}
int xRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
}
int xWrite(sqlite3_file*, const void*, int, sqlite3_int64) {
    return SQLITE_FULL;
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
    auto* wrapped = reinterpret_cast<FaultyFile*>(file);
    wrapped->real = reinterpret_cast<sqlite3_file*>(wrapped + 1);
    const int rc = parent->xOpen(parent, name, wrapped->real, flags, outFlags);
    // SQLite calls xClose only when pMethods is set, so leave it null on failure.
    wrapped->base.pMethods = wrapped->real->pMethods != nullptr ? &g_methods : nullptr;
    return rc;
}

void registerOnce() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    sqlite3_vfs* parent = sqlite3_vfs_find(nullptr);
    std::memcpy(&g_vfs, parent, sizeof g_vfs);
    g_vfs.zName = kName;
    g_vfs.szOsFile = int(sizeof(FaultyFile)) + parent->szOsFile;
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
    sqlite3_vfs_register(&g_vfs, 0);
}

} // namespace

const char* diskFullName() {
    registerOnce();
    return kName;
}

} // namespace modDB::SimulatedFaultVfs
