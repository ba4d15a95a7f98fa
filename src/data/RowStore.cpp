#include "data/RowStore.h"

#include "data/CaseFold.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <new>
#include <sqlite3.h>

namespace modDB::detail {
namespace {

const size_t kChunk = 1 << 20;
// Every handler reads its table afresh, so the same amount of memory is taken and given back
// again and again. Keeping a few chunks lets the next read write into memory that is already
// mapped instead of faulting new pages in.
const size_t kPooledChunks = 32;

std::vector<std::unique_ptr<char[]>>& chunkPool() {
    // Never destroyed: stores may still be dropped while the program's statics are torn down.
    static auto* pool = new std::vector<std::unique_ptr<char[]>>;
    return *pool;
}

std::unique_ptr<char[]> takeChunk(size_t size) {
    auto& pool = chunkPool();
    if (size == kChunk && !pool.empty()) {
        std::unique_ptr<char[]> chunk = std::move(pool.back());
        pool.pop_back();
        return chunk;
    }
    // Not value-initialised: every byte is written before it is read.
    return std::unique_ptr<char[]>(new char[size]);
}

int rank(Cell::Type type) {
    switch (type) {
    case Cell::Null:
        return 0;
    case Cell::Integer:
    case Cell::Real:
        return 1;
    case Cell::Text:
        return 2;
    case Cell::Blob:
        return 3;
    }
    return 0;
}

} // namespace

RowStore::~RowStore() {
    for (size_t i = 0; i < chunks_.size(); ++i) {
        if (chunkSizes_[i] == kChunk && chunkPool().size() < kPooledChunks)
            chunkPool().push_back(std::move(chunks_[i]));
    }
}

char* RowStore::allocate(size_t bytes, size_t alignment) {
    size_t start = (used_ + alignment - 1) / alignment * alignment;
    if (chunks_.empty() || start + bytes > capacity_) {
        capacity_ = std::max(kChunk, bytes + alignment);
        chunks_.push_back(takeChunk(capacity_));
        chunkSizes_.push_back(capacity_);
        used_ = 0;
        start = 0;
    }
    used_ = start + bytes;
    return chunks_.back().get() + start;
}

Cell* RowStore::readCells(sqlite3_stmt* stmt, int first) {
    auto* cells = reinterpret_cast<Cell*>(allocate(sizeof(Cell) * size_t(columns_), alignof(Cell)));
    for (int i = 0; i < columns_; ++i) {
        Cell* cell = new (cells + i) Cell;
        if (stmt == nullptr)
            continue;
        const int col = first + i;
        switch (sqlite3_column_type(stmt, col)) {
        case SQLITE_INTEGER:
            cell->type = Cell::Integer;
            cell->integer = sqlite3_column_int64(stmt, col);
            break;
        case SQLITE_FLOAT:
            cell->type = Cell::Real;
            cell->real = sqlite3_column_double(stmt, col);
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const bool text = sqlite3_column_type(stmt, col) == SQLITE_TEXT;
            const void* data = text ? static_cast<const void*>(sqlite3_column_text(stmt, col))
                                    : sqlite3_column_blob(stmt, col);
            const int length = sqlite3_column_bytes(stmt, col);
            char* copy = allocate(size_t(length), 1);
            if (length > 0)
                std::memcpy(copy, data, size_t(length));
            cell->type = text ? Cell::Text : Cell::Blob;
            cell->length = length;
            cell->bytes = copy;
            break;
        }
        default:
            break;
        }
    }
    return cells;
}

Row* RowStore::addRow(qint64 rowid, sqlite3_stmt* stmt, int first) {
    rows_.push_back(Row{rowid, readCells(stmt, first)});
    return &rows_.back();
}

QVariant RowStore::value(const Cell& cell) {
    switch (cell.type) {
    case Cell::Integer:
        return QVariant(qlonglong(cell.integer));
    case Cell::Real:
        return QVariant(cell.real);
    case Cell::Text:
        return QVariant(QString::fromUtf8(cell.bytes, cell.length));
    case Cell::Blob:
        return QVariant(QByteArray(cell.bytes, cell.length));
    case Cell::Null:
        break;
    }
    return QVariant();
}

QString RowStore::text(const Cell& cell) {
    switch (cell.type) {
    case Cell::Text:
        return QString::fromUtf8(cell.bytes, cell.length);
    case Cell::Integer:
        return QString::number(cell.integer);
    case Cell::Real:
        return QString::number(cell.real, 'g', 17);
    default:
        return QString();
    }
}

int RowStore::compare(const Cell& a, const Cell& b) {
    const int ra = rank(a.type), rb = rank(b.type);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    switch (ra) {
    case 1:
        if (a.type == Cell::Integer && b.type == Cell::Integer)
            return a.integer < b.integer ? -1 : (a.integer > b.integer ? 1 : 0);
        else {
            const double x = a.type == Cell::Integer ? double(a.integer) : a.real;
            const double y = b.type == Cell::Integer ? double(b.integer) : b.real;
            return x < y ? -1 : (x > y ? 1 : 0);
        }
    case 2:
        return CompareNoCase(text(a), text(b));
    case 3: {
        const int common = std::memcmp(a.bytes, b.bytes, size_t(std::min(a.length, b.length)));
        if (common != 0)
            return common;
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    }
    default:
        return 0;
    }
}

} // namespace modDB::detail
