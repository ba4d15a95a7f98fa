#include "data/KeywordStore.h"

#include "data/CaseFold.h"
#include "data/SqliteStatement.h"
#include "data/modDB.h"

#include <QDir>
#include <QHash>

namespace KeywordStore {
namespace {

QString reason(const QString& file, sqlite3* db) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file),
                                        QString::fromUtf8(sqlite3_errmsg(db)));
}

int exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

void bindText(sqlite3_stmt* stmt, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text64(stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
}

// Steps a statement that gives no rows once, and makes it ready for the next use.
int run(sqlite3_stmt* stmt) {
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return rc;
}

// Errors that concern the one row being written, not the dictionary as a whole.
bool refusesOnlyThisRow(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_CONSTRAINT || primary == SQLITE_MISMATCH || primary == SQLITE_TOOBIG;
}

struct Existing {
    qint64 rowid = 0;
    QString description;
};

// Opens the dictionary; on failure `error` names the file and the reason, and it gives null.
sqlite3* open(const QString& path, modDB::ConnectionPtr& connection, QString& error) {
    const modDB::Status opened = modDB::OpenDatabaseFile(connection, path);
    if (!opened) {
        error = opened.reason();
        return nullptr;
    }
    return connection->handle();
}

} // namespace

bool KeywordSet::contains(const QString& keyword) const {
    return folded.contains(modDB::FoldCase(keyword));
}

KeywordSet ReadKeywords(const QString& dictionaryPath) {
    KeywordSet result;
    modDB::ConnectionPtr connection;
    sqlite3* db = open(dictionaryPath, connection, result.error);
    if (db == nullptr)
        return result;
    int rc;
    const modDB::StatementPtr select = modDB::Prepare(db, "SELECT Keyword FROM tblKeywords", rc);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(select.get());
        if (rc == SQLITE_ROW && sqlite3_column_type(select.get(), 0) != SQLITE_NULL)
            result.folded.insert(modDB::FoldCase(modDB::ColumnText(select.get(), 0)));
    }
    if (rc != SQLITE_DONE) {
        result.folded.clear();
        result.error = reason(connection->FilePath(), db);
    }
    connection->Close();
    return result;
}

MergeResult Merge(const QString& dictionaryPath, const std::vector<Item>& items, Policy policy,
                  const std::function<bool(int)>& progress) {
    MergeResult result;
    modDB::ConnectionPtr connection;
    sqlite3* db = open(dictionaryPath, connection, result.error);
    if (db == nullptr)
        return result;
    // Ends the merge with nothing kept: whatever the transaction wrote is rolled back.
    auto finish = [&](Outcome outcome) {
        if (outcome == Outcome::Failed)
            result.error = reason(connection->FilePath(), db);
        if (sqlite3_get_autocommit(db) == 0)
            exec(db, "ROLLBACK");
        result.outcome = outcome;
        connection->Close();
        return result;
    };
    if (exec(db, "BEGIN IMMEDIATE") != SQLITE_OK)
        return finish(Outcome::Failed);

    // The dictionary as it is now, read once: of rows equal but for case, the first in keyword
    // order (the oldest) is the one an update changes.
    QHash<QString, Existing> existing;
    int rc;
    {
        const modDB::StatementPtr select = modDB::Prepare(
            db, "SELECT rowid, Keyword, Description FROM tblKeywords ORDER BY rowid", rc);
        while (rc == SQLITE_OK || rc == SQLITE_ROW) {
            rc = sqlite3_step(select.get());
            if (rc != SQLITE_ROW || sqlite3_column_type(select.get(), 1) == SQLITE_NULL)
                continue;
            const QString key = modDB::FoldCase(modDB::ColumnText(select.get(), 1));
            if (!existing.contains(key))
                existing.insert(key, Existing{sqlite3_column_int64(select.get(), 0),
                                              modDB::ColumnText(select.get(), 2)});
        }
    }
    if (rc != SQLITE_DONE)
        return finish(Outcome::Failed);
    const modDB::StatementPtr insert =
        modDB::Prepare(db, "INSERT INTO tblKeywords (Keyword, Description) VALUES (?1, ?2)", rc);
    const modDB::StatementPtr update =
        modDB::Prepare(db, "UPDATE tblKeywords SET Description = ?1 WHERE rowid = ?2", rc);
    // A savepoint per row: a row the dictionary refuses is undone alone, triggers and all.
    const modDB::StatementPtr savepoint = modDB::Prepare(db, "SAVEPOINT keyword", rc);
    const modDB::StatementPtr release = modDB::Prepare(db, "RELEASE keyword", rc);
    const modDB::StatementPtr undo = modDB::Prepare(db, "ROLLBACK TO keyword", rc);
    if (!insert || !update || !savepoint || !release || !undo)
        return finish(Outcome::Failed);

    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        const QString key = modDB::FoldCase(item.keyword);
        const auto found = existing.find(key);
        sqlite3_stmt* write = nullptr;
        QString description = item.description;
        if (found == existing.end()) {
            write = insert.get();
            bindText(write, 1, item.keyword);
            bindText(write, 2, description);
        } else if (policy != Policy::KeepExisting) {
            if (policy == Policy::Append)
                description = found->description + QStringLiteral(" ; ") + item.description;
            write = update.get();
            bindText(write, 1, description);
            sqlite3_bind_int64(write, 2, found->rowid);
        }
        if (write != nullptr) {
            if (run(savepoint.get()) != SQLITE_DONE)
                return finish(Outcome::Failed);
            rc = run(write);
            if (rc == SQLITE_DONE) {
                if (run(release.get()) != SQLITE_DONE)
                    return finish(Outcome::Failed);
                if (found == existing.end())
                    existing.insert(key, Existing{sqlite3_last_insert_rowid(db), description});
                else
                    found->description = description;
            } else if (sqlite3_get_autocommit(db) != 0 || !refusesOnlyThisRow(rc)) {
                return finish(Outcome::Failed);
            } else {
                if (result.refused++ == 0)
                    result.firstRefusal = QStringLiteral("%1: %2").arg(
                        item.keyword, QString::fromUtf8(sqlite3_errmsg(db)));
                if (run(undo.get()) != SQLITE_DONE || run(release.get()) != SQLITE_DONE)
                    return finish(Outcome::Failed);
            }
        }
        if (progress && !progress(int(i + 1)))
            return finish(Outcome::Cancelled);
    }
    if (exec(db, "COMMIT") != SQLITE_OK)
        return finish(Outcome::Failed);
    return finish(Outcome::Committed);
}

} // namespace KeywordStore
