#pragma once

// Case-insensitive text comparison for all of Unicode: every code point is replaced by its simple
// case folding (as QChar::toCaseFolded gives it) before comparing, so Ärger equals ärger and
// ΣΟΦΙΑ equals σοφια. Ordering is by folded code point. The database's collation, the
// recordset filter and the in-memory row order all use these, so they agree with each other.

#include <QString>

namespace modDB {

QString FoldCase(QStringView text);
int CompareNoCase(QStringView a, QStringView b);
inline bool EqualNoCase(QStringView a, QStringView b) {
    return CompareNoCase(a, b) == 0;
}

// Removes leading and trailing space characters only: tabs and line breaks are part of the text.
// Keywords are compared and stored after this trim.
QString TrimSpaces(const QString& text);

} // namespace modDB
