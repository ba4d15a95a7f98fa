#include "data/CaseFold.h"
#include "data/Handle.h"
#include "data/QueryText.h"
#include "data/RowStore.h"
#include "data/modDB.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace modDB {
namespace {

using detail::Cell;
using detail::RowStore;

const char kCollation[] = " COLLATE ONEIRION_NOCASE";

int bindValue(sqlite3_stmt* stmt, int index, const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return sqlite3_bind_int64(stmt, index, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(stmt, index, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                   SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text64(stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                   SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    }
}

// A statement from the connection's cache, reset and unbound again when the operation ends.
class Statement {
public:
    Statement(Connection& connection, const QString& sql)
        : stmt_(connection.cachedStatement(sql)) {}
    ~Statement() {
        if (stmt_ != nullptr) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_;
};

QString errorOf(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// The value a filter compares, or a null string when the row cannot match.
QString filterKey(const Cell& cell, bool numeric) {
    if (cell.type == Cell::Null)
        return QString();
    if (numeric) {
        bool ok = false;
        const double number = RowStore::text(cell).toDouble(&ok);
        return ok ? QString::number(number, 'g', 17) : QString();
    }
    return FoldCase(RowStore::text(cell));
}

} // namespace

struct Recordset::FilterIndex {
    QHash<QString, std::vector<Row*>> buckets;
};

Recordset::~Recordset() = default;

Status Recordset::fail(const QString& reason) const {
    lastError_ = reason;
    return Status::Fail(reason);
}

int Recordset::columnIndex(const QString& name) const {
    for (int i = 0; i < columns_.size(); ++i) {
        if (EqualNoCase(columns_[i], name))
            return i;
    }
    return -1;
}

QStringList Recordset::FieldNames() const {
    return columns_;
}

long Recordset::RecordCount() const {
    if (!open_)
        return 0;
    return long(filtered_ ? visible_.size() : rows_.size());
}

bool Recordset::EOF_() const {
    return !open_ || (editMode_ != EditMode::Add && pos_ >= RecordCount());
}

Recordset::Row* Recordset::currentRow() const {
    if (!open_ || deletedCurrent_ || pos_ < 0 || pos_ >= RecordCount())
        return nullptr;
    return filtered_ ? visible_[size_t(pos_)] : rows_[size_t(pos_)];
}

Status Recordset::MoveFirst() {
    if (!open_)
        return fail(QStringLiteral("The recordset is not open."));
    editMode_ = EditMode::None;
    deletedCurrent_ = false;
    pos_ = 0;
    if (RecordCount() == 0)
        return fail(QStringLiteral("There is no row to move to."));
    return Status::Ok();
}

Status Recordset::MoveNext() {
    if (!open_)
        return fail(QStringLiteral("The recordset is not open."));
    editMode_ = EditMode::None;
    if (deletedCurrent_) {
        // The row after a deleted one already sits at the deleted row's position.
        deletedCurrent_ = false;
        return Status::Ok();
    }
    if (pos_ >= RecordCount())
        return fail(QStringLiteral("The position is already past the last row."));
    ++pos_;
    return Status::Ok();
}

QVariant Recordset::Field(const QString& column) const {
    const int col = columnIndex(column);
    if (col < 0) {
        lastError_ = QStringLiteral("No column named %1.").arg(column);
        return QVariant();
    }
    if (editMode_ != EditMode::None)
        return pending_[size_t(col)];
    const Row* row = currentRow();
    if (row == nullptr) {
        lastError_ = QStringLiteral("There is no current row.");
        return QVariant();
    }
    return RowStore::value(row->cells[col]);
}

Status Recordset::SetField(const QString& column, const QVariant& value) {
    if (!open_)
        return fail(QStringLiteral("The recordset is not open."));
    const int col = columnIndex(column);
    if (col < 0)
        return fail(QStringLiteral("No column named %1.").arg(column));
    if (editMode_ == EditMode::None) {
        const Row* row = currentRow();
        if (row == nullptr)
            return fail(QStringLiteral("There is no current row to change."));
        editMode_ = EditMode::Edit;
        pending_.clear();
        for (int i = 0; i < columns_.size(); ++i)
            pending_.push_back(RowStore::value(row->cells[i]));
        dirty_.assign(columns_.size(), false);
    }
    pending_[size_t(col)] = value;
    dirty_[size_t(col)] = true;
    return Status::Ok();
}

// Why this recordset cannot write now, or Ok.
Status Recordset::writable() const {
    if (!open_)
        return fail(QStringLiteral("The recordset is not open."));
    if (!updatable_)
        return fail(QStringLiteral("This recordset cannot be changed."));
    if (!connection_ || !connection_->IsOpen())
        return fail(QStringLiteral("The connection is closed."));
    return Status::Ok();
}

Status Recordset::AddNew() {
    if (const Status ready = writable(); !ready)
        return ready;
    editMode_ = EditMode::Add;
    deletedCurrent_ = false;
    pending_.assign(columns_.size(), QVariant());
    dirty_.assign(columns_.size(), false);
    return Status::Ok();
}

Status Recordset::CancelUpdate() {
    editMode_ = EditMode::None;
    return Status::Ok();
}

Status Recordset::Update() {
    if (!open_)
        return fail(QStringLiteral("The recordset is not open."));
    if (editMode_ == EditMode::None)
        return Status::Ok();
    if (const Status ready = writable(); !ready)
        return ready;
    sqlite3* db = connection_->handle();

    QStringList names;
    std::vector<int> changed;
    for (int i = 0; i < columns_.size(); ++i) {
        if (dirty_[size_t(i)]) {
            names << QueryText::QuoteIdentifier(columns_[i]);
            changed.push_back(i);
        }
    }
    const QString table = QueryText::QuoteIdentifier(table_);
    QString sql;
    Row* existing = nullptr;
    if (editMode_ == EditMode::Add) {
        if (changed.empty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
        } else {
            QStringList params;
            for (size_t i = 0; i < changed.size(); ++i)
                params << QStringLiteral("?%1").arg(i + 1);
            sql =
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, names.join(QLatin1String(", ")), params.join(QLatin1String(", ")));
        }
    } else {
        existing = currentRow();
        if (existing == nullptr)
            return fail(QStringLiteral("There is no current row to change."));
        if (changed.empty()) {
            editMode_ = EditMode::None;
            return Status::Ok();
        }
        QStringList sets;
        for (size_t i = 0; i < changed.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(names[int(i)]).arg(i + 1);
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                  .arg(table, sets.join(QLatin1String(", ")))
                  .arg(changed.size() + 1);
    }

    Statement stmt(*connection_, sql);
    if (!stmt.prepared())
        return fail(errorOf(db));
    for (size_t i = 0; i < changed.size(); ++i)
        bindValue(stmt.get(), int(i + 1), pending_[size_t(changed[i])]);
    if (existing != nullptr)
        sqlite3_bind_int64(stmt.get(), int(changed.size() + 1), existing->rowid);
    const int rc = sqlite3_step(stmt.get());
    connection_->noteWriteResult(rc);
    if (rc != SQLITE_DONE)
        return fail(QStringLiteral("%1: %2").arg(connection_->FilePath(), errorOf(db)));
    if (sqlite3_changes(db) == 0)
        return fail(QStringLiteral("The row no longer exists; another program removed it."));

    editMode_ = EditMode::None;
    // A changed row is a new row object: other copies of these rows keep the old one.
    Row* row = store_->addRow(existing != nullptr ? existing->rowid : sqlite3_last_insert_rowid(db),
                              nullptr, 0);
    if (existing != nullptr)
        unplaceRow(existing);
    // Read the row back: the copy must hold what the file holds, column types included.
    const Status reread = refetchRow(*row);
    placeRow(row);
    if (!reread.ok())
        return reread;
    rememberOwnWrite();
    return Status::Ok();
}

Status Recordset::Delete() {
    if (const Status ready = writable(); !ready)
        return ready;
    editMode_ = EditMode::None;
    Row* row = currentRow();
    if (row == nullptr)
        return fail(QStringLiteral("There is no current row to delete."));
    sqlite3* db = connection_->handle();
    Statement stmt(
        *connection_,
        QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(QueryText::QuoteIdentifier(table_)));
    if (!stmt.prepared())
        return fail(errorOf(db));
    sqlite3_bind_int64(stmt.get(), 1, row->rowid);
    const int rc = sqlite3_step(stmt.get());
    connection_->noteWriteResult(rc);
    if (rc != SQLITE_DONE)
        return fail(QStringLiteral("%1: %2").arg(connection_->FilePath(), errorOf(db)));
    if (sqlite3_changes(db) == 0)
        return fail(QStringLiteral("The row no longer exists; another program removed it."));

    unplaceRow(row);
    deletedCurrent_ = true;
    rememberOwnWrite();
    return Status::Ok();
}

Status Recordset::Filter(const QString& expression) {
    if (!open_)
        return fail(QStringLiteral("The recordset is not open."));
    editMode_ = EditMode::None;
    deletedCurrent_ = false;
    filter_ = expression;
    return applyFilter(expression);
}

Status Recordset::applyFilter(const QString& expression) {
    pos_ = 0;
    const auto parsed = QueryText::ParseFilter(expression);
    if (!parsed) {
        // An unreadable filter must not show rows it was meant to hide.
        filtered_ = true;
        visible_.clear();
        return fail(QStringLiteral("The filter \"%1\" cannot be read.").arg(expression));
    }
    if (parsed->column.isEmpty()) {
        filtered_ = false;
        visible_.clear();
        return Status::Ok();
    }
    const int col = columnIndex(parsed->column);
    if (col < 0) {
        filtered_ = true;
        visible_.clear();
        return fail(QStringLiteral("No column named %1.").arg(parsed->column));
    }
    const QString indexName =
        QString::number(col) + (parsed->numeric ? QLatin1String("n") : QLatin1String("t"));
    auto& index = indexes_[indexName];
    if (!index) {
        index = std::make_unique<FilterIndex>();
        for (Row* row : rows_) {
            const QString key = filterKey(row->cells[col], parsed->numeric);
            if (!key.isNull())
                index->buckets[key].push_back(row);
        }
    }
    const QString wanted =
        parsed->numeric ? QString::number(parsed->number, 'g', 17) : FoldCase(parsed->text);
    filtered_ = true;
    const auto bucket = index->buckets.constFind(wanted);
    if (bucket == index->buckets.constEnd())
        visible_.clear();
    else
        visible_ = bucket.value();
    return Status::Ok();
}

Status Recordset::Requery() {
    if (!open_)
        return fail(QStringLiteral("The recordset is not open."));
    if (!connection_ || !connection_->IsOpen())
        return fail(QStringLiteral("The connection is closed."));
    editMode_ = EditMode::None;
    deletedCurrent_ = false;
    // Nothing written by anyone since the last read: the copy in memory is already what a new
    // read would give, because our own writes keep it in query order.
    if (connection_->dataVersion() != seenDataVersion_ ||
        connection_->changeCount() != seenChangeCount_) {
        const Status fetched = fetch();
        if (!fetched.ok())
            return fetched;
    }
    return applyFilter(filter_);
}

Status Recordset::Close() {
    open_ = false;
    rows_.clear();
    visible_.clear();
    indexes_.clear();
    store_.reset();
    connection_.reset();
    pos_ = 0;
    return Status::Ok();
}

bool Recordset::rowLess(const Row& a, const Row& b) const {
    for (const OrderTerm& term : order_) {
        const int c = RowStore::compare(a.cells[term.column], b.cells[term.column]);
        if (c != 0)
            return term.descending ? c > 0 : c < 0;
    }
    return a.rowid < b.rowid;
}

// Puts a row that is already in rows_ (at the end, or its old place vacated) where a fresh read
// would put it, in every structure that lists rows, and makes it the current row.
std::vector<Recordset::Row*>::iterator Recordset::findRow(Row* row) {
    if (orderKnown_) {
        auto lessPtr = [this](const Row* a, const Row* b) { return rowLess(*a, *b); };
        auto at = std::lower_bound(rows_.begin(), rows_.end(), row, lessPtr);
        if (at != rows_.end() && *at == row)
            return at;
    }
    return std::find(rows_.begin(), rows_.end(), row);
}

void Recordset::placeRow(Row* row) {
    auto lessPtr = [this](const Row* a, const Row* b) { return rowLess(*a, *b); };
    auto at =
        orderKnown_ ? std::upper_bound(rows_.begin(), rows_.end(), row, lessPtr) : rows_.end();
    at = rows_.insert(at, row);

    if (filtered_) {
        auto v = orderKnown_ ? std::upper_bound(visible_.begin(), visible_.end(), row, lessPtr)
                             : visible_.end();
        pos_ = long(visible_.insert(v, row) - visible_.begin());
    } else {
        pos_ = long(at - rows_.begin());
    }
    if (!orderKnown_) {
        indexes_.clear();
        return;
    }
    for (auto& [name, index] : indexes_) {
        const int col = name.left(name.size() - 1).toInt();
        const QString key = filterKey(row->cells[col], name.endsWith(QLatin1Char('n')));
        if (key.isNull())
            continue;
        auto& bucket = index->buckets[key];
        bucket.insert(std::upper_bound(bucket.begin(), bucket.end(), row, lessPtr), row);
    }
}

// Takes a row out of every structure that lists it, before its values change or it goes; its
// values still say where it sits, so it is found without a scan.
void Recordset::unplaceRow(Row* row) {
    const auto at = findRow(row);
    if (at != rows_.end())
        rows_.erase(at);
    visible_.erase(std::remove(visible_.begin(), visible_.end(), row), visible_.end());
    for (auto& [name, index] : indexes_) {
        const int col = name.left(name.size() - 1).toInt();
        const QString key = filterKey(row->cells[col], name.endsWith(QLatin1Char('n')));
        auto bucket = index->buckets.find(key);
        if (bucket == index->buckets.end())
            continue;
        auto& rows = bucket.value();
        rows.erase(std::remove(rows.begin(), rows.end(), row), rows.end());
        if (rows.empty())
            index->buckets.erase(bucket);
    }
}

void Recordset::rememberOwnWrite() {
    // When the copy cannot be kept in query order by itself, let the next Requery read again.
    if (orderKnown_)
        seenChangeCount_ = connection_->changeCount();
}

Status Recordset::refetchRow(Row& row) const {
    sqlite3* db = connection_->handle();
    Statement stmt(*connection_, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                                     .arg(selectList_, QueryText::QuoteIdentifier(table_)));
    if (!stmt.prepared())
        return fail(errorOf(db));
    sqlite3_bind_int64(stmt.get(), 1, row.rowid);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW ||
        sqlite3_column_count(stmt.get()) != store_->columns())
        return fail(
            QStringLiteral("The row just written cannot be read back: %1").arg(errorOf(db)));
    row.cells = store_->readCells(stmt.get(), 0);
    return Status::Ok();
}

Status Recordset::fetch() {
    sqlite3* db = connection_->handle();
    detail::Handle* database = connection_->database();
    // Rows nobody has changed since this database last read them are copied, not read again.
    qint64 dataVersion, changeCount;
    if (const detail::Snapshot* kept = database->currentSnapshot(fetchSql_)) {
        columns_ = kept->columns;
        store_ = kept->store;
        rows_ = kept->rows;
        dataVersion = kept->dataVersion;
        changeCount = kept->changeCount;
    } else {
        // Taken before the read: a write that lands during it is then seen by the next Requery.
        dataVersion = connection_->dataVersion();
        changeCount = connection_->changeCount();
        Statement stmt(*connection_, fetchSql_);
        if (!stmt.prepared())
            return fail(errorOf(db));
        const int first = updatable_ ? 1 : 0;
        const int n = sqlite3_column_count(stmt.get());
        auto store = std::make_shared<RowStore>(n - first);
        std::vector<Row*> rows;
        int rc;
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            const qint64 rowid =
                first == 1 ? sqlite3_column_int64(stmt.get(), 0) : qint64(rows.size());
            rows.push_back(store->addRow(rowid, stmt.get(), first));
        }
        if (rc != SQLITE_DONE)
            return fail(QStringLiteral("%1: %2").arg(connection_->FilePath(), errorOf(db)));
        QStringList columns;
        for (int i = first; i < n; ++i)
            columns << QString::fromUtf8(sqlite3_column_name(stmt.get(), i));
        columns_ = columns;
        store_ = store;
        rows_ = rows;
        ++fetchCount_;
        database->keepSnapshot(
            fetchSql_, {std::move(store), std::move(rows), columns, dataVersion, changeCount});
    }
    lastColumnIndex_ = -1;
    indexes_.clear();
    visible_.clear();
    pos_ = 0;
    seenDataVersion_ = dataVersion;
    seenChangeCount_ = changeCount;
    return Status::Ok();
}

Status Recordset::open(const ConnectionPtr& connection, const QString& sql) {
    sql_ = sql;
    connection_ = connection;
    const auto select = QueryText::ParseSelect(sql);
    if (select) {
        table_ = select->table;
        QStringList list;
        for (const QString& column : select->columns) {
            const QString quoted = QueryText::QuoteIdentifier(column);
            list << (select->distinct
                         ? quoted + QLatin1String(kCollation) + QLatin1String(" AS ") + quoted
                         : quoted);
        }
        selectList_ = list.isEmpty() ? QStringLiteral("*") : list.join(QLatin1String(", "));
        QStringList terms;
        for (const auto& term : select->order) {
            terms << QueryText::QuoteIdentifier(term.column) + QLatin1String(kCollation) +
                         (term.descending ? QLatin1String(" DESC") : QLatin1String(""));
        }
        const QString from = QueryText::QuoteIdentifier(table_);
        if (select->distinct) {
            fetchSql_ = QStringLiteral("SELECT DISTINCT %1 FROM %2").arg(selectList_, from);
            if (!terms.isEmpty())
                fetchSql_ += QLatin1String(" ORDER BY ") + terms.join(QLatin1String(", "));
        } else {
            // The rowid finds the row again for writes; as the last sort key it also fixes the
            // order of rows that compare equal, so the copy can be kept in that order in memory.
            terms << QStringLiteral("rowid");
            fetchSql_ = QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY %3")
                            .arg(selectList_, from, terms.join(QLatin1String(", ")));
            updatable_ = true;
        }
    } else {
        // Anything beyond the single-table form runs as written, read-only.
        fetchSql_ = sql;
    }

    Status fetched = fetch();
    if (!fetched.ok() && updatable_) {
        // Views and tables without rowid can still be read.
        updatable_ = false;
        fetchSql_ = QStringLiteral("SELECT %1 FROM %2")
                        .arg(selectList_, QueryText::QuoteIdentifier(table_));
        if (!select->order.empty()) {
            QStringList terms;
            for (const auto& term : select->order)
                terms << QueryText::QuoteIdentifier(term.column) + QLatin1String(kCollation) +
                             (term.descending ? QLatin1String(" DESC") : QLatin1String(""));
            fetchSql_ += QLatin1String(" ORDER BY ") + terms.join(QLatin1String(", "));
        }
        fetched = fetch();
    }
    if (!fetched.ok())
        return fetched;

    orderKnown_ = updatable_;
    if (select) {
        for (const auto& term : select->order) {
            const int col = columnIndex(term.column);
            if (col < 0)
                orderKnown_ = false;
            else
                order_.push_back({col, term.descending});
        }
    }
    open_ = true;
    return Status::Ok();
}

Status OpenRecordset(RecordsetPtr& recordset, ConnectionPtr& connection, const QString& sql) {
    recordset.reset(new Recordset);
    if (!connection || !connection->IsOpen())
        return recordset->fail(QStringLiteral("The connection is not open."));
    return recordset->open(connection, sql);
}

} // namespace modDB
