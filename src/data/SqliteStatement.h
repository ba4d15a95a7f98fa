#pragma once

// A prepared SQLite statement that finalizes itself.

#include <QString>

#include <memory>
#include <sqlite3.h>

namespace modDB {

struct FinalizeStatement {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Prepares `sql` on `db`; `rc` receives SQLite's result, and the pointer is null on failure.
inline StatementPtr Prepare(sqlite3* db, const char* sql, int& rc) {
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    return StatementPtr(stmt);
}

// A column as text: NULL gives a null QString, anything else its text form.
inline QString ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text == nullptr ? QString()
                           : QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

} // namespace modDB
