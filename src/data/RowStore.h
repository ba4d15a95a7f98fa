#pragma once

// Where a recordset keeps its copy of the rows: values exactly as SQLite returned them, in one
// growing arena, turned into QVariants only when a field is read. A dictionary of tens of
// thousands of rows is read far more often than its descriptions are looked at.

#include <QString>
#include <QVariant>

#include <deque>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace modDB::detail {

struct Cell {
    enum Type : unsigned char { Null, Integer, Real, Text, Blob };
    Type type = Null;
    int length = 0; // bytes, for Text and Blob
    union {
        qint64 integer;
        double real;
        const char* bytes;
    };
    Cell()
        : integer(0) {}
};

struct Row {
    qint64 rowid = 0;
    Cell* cells = nullptr;
};

class RowStore {
public:
    explicit RowStore(int columns)
        : columns_(columns) {}
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    int columns() const { return columns_; }
    // A new row whose cells are read from the statement's current result, starting at `first`;
    // without a statement, every cell is NULL.
    Row* addRow(qint64 rowid, sqlite3_stmt* stmt, int first);
    // Fresh cells for an existing row, read the same way.
    Cell* readCells(sqlite3_stmt* stmt, int first);

    static QVariant value(const Cell& cell);
    static QString text(const Cell& cell);
    // SQLite's ORDER BY comparison: NULL < numbers < text (case-insensitive) < blobs.
    static int compare(const Cell& a, const Cell& b);

private:
    char* allocate(size_t bytes, size_t alignment);

    int columns_;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::vector<size_t> chunkSizes_;
    size_t used_ = 0;
    size_t capacity_ = 0;
    std::deque<Row> rows_; // stable addresses: recordsets keep pointers to rows
};

} // namespace modDB::detail
