#pragma once

// The alphabetical order of the keyword list: ignoring case, by the collation of the user's
// locale. Keywords that collate equal but are written differently keep one fixed order (by their
// code points), so the order in which they were stored never shows; a text stored twice stays
// twice.
//
// Collation is the slow part of sorting, so each keyword text is collated once and remembered
// with its rank among every text seen; later sorts go by rank, and a list sorted again unchanged
// gets its last order back at once. The dictionary rarely changes, so a sort after an edit only
// collates the texts that are new, and texts only added to the end are merged into the last
// order.

#include <QString>
#include <QStringList>

#include <memory>

class KeywordOrder {
public:
    KeywordOrder();
    ~KeywordOrder();
    KeywordOrder(const KeywordOrder&) = delete;
    KeywordOrder& operator=(const KeywordOrder&) = delete;

    QStringList sort(const QStringList& keywords);
    // How many texts have been collated and are remembered.
    qsizetype collatedCount() const;

private:
    class Ranks;
    std::unique_ptr<Ranks> ranks_;
};
