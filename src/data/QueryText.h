#pragma once

// The two small languages a recordset understands: the single-table SELECT the program issues, and
// the ADO-style filter expression. Both parsers are strict: anything else is refused.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace modDB::QueryText {

struct OrderTerm {
    QString column;
    bool descending = false;
};

// SELECT [DISTINCT] * | col[, col...] FROM table [ORDER BY col [ASC|DESC][, ...]]
struct Select {
    bool distinct = false;
    QStringList columns; // empty means *
    QString table;
    std::vector<OrderTerm> order;
};

std::optional<Select> ParseSelect(const QString& sql);

// Column = number, or Column = 'text' with '' standing for one quote.
struct Filter {
    QString column;
    QString text;
    bool numeric = false;
    double number = 0;
};

// An empty or blank expression gives an empty column: no filter at all.
std::optional<Filter> ParseFilter(const QString& expression);

// A name as SQL needs it written: in double quotes, inner quotes doubled.
QString QuoteIdentifier(const QString& name);

// Keyword='...' built safely: the keyword's own quotes are doubled.
QString EqualsFilter(const QString& column, const QString& text);

} // namespace modDB::QueryText
