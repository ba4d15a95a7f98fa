#pragma once

// Case-insensitive text comparison for all of Unicode: every code point is replaced by its simple
// case folding (as QChar::toCaseFolded gives it) before comparing, so Ärger equals ärger and
// ΣΟΦΙΑ equals σοφια. Ordering is by folded code point. The database collation ONEIRION_NOCASE
// and every in-memory comparison use these, so they agree with each other.

#include <QString>

namespace CaseFold {

QString fold(QStringView text);
int compare(QStringView a, QStringView b);
inline bool equal(QStringView a, QStringView b) {
    return compare(a, b) == 0;
}

} // namespace CaseFold
