#pragma once

// The rules of the keyword list that need no widgets: its alphabetical order and the search match.

#include <QString>
#include <QStringList>

namespace dictionary {

// `keywords` in alphabetical order, ignoring case, by the collation of the user's locale.
// Keywords that collate equal but are written differently keep one fixed order (by their code
// points), so the order in which they were stored never shows; a text stored twice stays twice.
//
// Collation is the slow part of a refill, so each keyword text is collated once and remembered
// with its rank among every text seen; later calls sort by rank, and a dictionary read again
// unchanged gets its last order back at once. The dictionary rarely changes, so a refill after an
// edit only collates the texts that are new.
QStringList SortAlphabetically(const QStringList& keywords);

// Whether `searchText` occurs anywhere in `keyword`, ignoring case for all of Unicode. An empty
// keyword never matches; an empty search text matches every other keyword.
bool KeywordMatches(QStringView keyword, QStringView searchText);

namespace testing {
// How many texts have been collated so far (the remembered ranks survive between calls).
qsizetype CollatedTexts();
// Forgets every remembered rank.
void ForgetOrder();
} // namespace testing

} // namespace dictionary
