#include "data/Handle.h"

#include <QFile>

#include <deque>
#include <sqlite3.h>
#include <sys/stat.h>

namespace modDB::detail {
namespace {

// A handle per data file is all the program ever reuses; a few more cover update files.
const size_t kPoolSize = 4;

std::deque<std::shared_ptr<Handle>>& pool() {
    static std::deque<std::shared_ptr<Handle>> idle;
    return idle;
}

} // namespace

FileIdentity FileIdentity::Of(const QString& path) {
    FileIdentity identity;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        identity.device = quint64(st.st_dev);
        identity.inode = quint64(st.st_ino);
    }
    return identity;
}

Handle::~Handle() {
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    // close_v2 defers the close until the last statement is finalized, so it never fails here.
    sqlite3_close_v2(db_);
}

sqlite3_stmt* Handle::cachedStatement(const QString& sql) {
    auto found = statements_.find(sql);
    if (found != statements_.end())
        return found->second;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT,
                           &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements_.emplace(sql, stmt);
    return stmt;
}

qint64 Handle::dataVersion() {
    sqlite3_stmt* stmt = cachedStatement(QStringLiteral("PRAGMA data_version"));
    if (stmt == nullptr)
        return -1;
    const qint64 version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_reset(stmt);
    return version;
}

qint64 Handle::changeCount() const {
    return sqlite3_total_changes64(db_);
}

void Handle::noteWriteResult(int resultCode, int normalTimeoutMs) {
    const int primary = resultCode & 0xff;
    const bool busy = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
    if (busy && waitingForLocks_) {
        waitingForLocks_ = false;
        sqlite3_busy_timeout(db_, 0);
    } else if (!busy && !waitingForLocks_) {
        waitingForLocks_ = true;
        sqlite3_busy_timeout(db_, normalTimeoutMs);
    }
}

const Snapshot* Handle::currentSnapshot(const QString& sql) {
    const auto found = snapshots_.find(sql);
    if (found == snapshots_.end())
        return nullptr;
    if (found->second.dataVersion != dataVersion() || found->second.changeCount != changeCount()) {
        snapshots_.erase(found);
        return nullptr;
    }
    return &found->second;
}

void Handle::keepSnapshot(const QString& sql, Snapshot snapshot) {
    snapshots_[sql] = std::move(snapshot);
}

std::shared_ptr<Handle> TakePooledHandle(const QString& poolKey, const FileIdentity& identity) {
    auto& idle = pool();
    for (auto it = idle.begin(); it != idle.end(); ++it) {
        if ((*it)->poolKey() != poolKey)
            continue;
        std::shared_ptr<Handle> handle = std::move(*it);
        idle.erase(it);
        if (handle->identity() == identity)
            return handle;
        return nullptr; // the file was replaced: its old handle is closed here
    }
    return nullptr;
}

void ReturnHandle(std::shared_ptr<Handle> handle) {
    if (!handle || handle->poolKey().isEmpty())
        return;
    auto& idle = pool();
    for (const auto& other : idle) {
        if (other->poolKey() == handle->poolKey())
            return; // one idle handle per file is enough
    }
    idle.push_front(std::move(handle));
    if (idle.size() > kPoolSize)
        idle.pop_back();
}

} // namespace modDB::detail
