#include "core/KeywordOrder.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace {

// The locale whose collation sorts the list. The C locale has no alphabet of its own (its sort
// keys would even keep case apart), so it sorts by the common root order, as English does.
QLocale collationLocale() {
    const QLocale locale = QLocale().collation();
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

struct Collated {
    QString text;
    QCollatorSortKey key;
    quint32 rank;
};

// Texts taken over from the last read share their data with the last list, so most compares
// of a refresh are settled by where the text lies.
bool sameText(const QString& a, const QString& b) {
    if (a.constData() == b.constData())
        return a.size() == b.size();
    return a == b;
}

bool sameTexts(const QStringList& a, const QStringList& b) {
    return a.size() == b.size() && std::equal(a.cbegin(), a.cend(), b.cbegin(), sameText);
}

bool collatesBefore(const Collated& a, const Collated& b) {
    const int byKey = a.key.compare(b.key);
    if (byKey != 0)
        return byKey < 0;
    return a.text < b.text;
}

} // namespace

// Every keyword text seen so far, in alphabetical order, each with a rank that grows along that
// order. Ranks are spaced apart, so a new text usually fits between its neighbours and the ranks
// of all others stay as they were.
class KeywordOrder::Ranks {
public:
    QStringList sort(const QStringList& keywords) {
        useCurrentLocale();
        if (sameTexts(keywords, lastKeywords_))
            return lastSorted_;
        // Rows only added since the last sort, as after a keyword is added: the new texts are
        // merged into the last order instead of sorting every text again.
        const bool onlyAdded =
            lastNumbering_ == numbering_ && keywords.size() > lastKeywords_.size() &&
            std::equal(lastKeywords_.cbegin(), lastKeywords_.cend(), keywords.cbegin(), sameText);
        if (onlyAdded && keywords.size() - lastKeywords_.size() <= qsizetype(kMostFitted)) {
            if (std::optional<QStringList> sorted = insertAdded(keywords))
                return *sorted;
        }
        // Rank in the high half, position in the low half: one integer sort.
        std::vector<quint64> byRank(size_t(keywords.size()));
        std::vector<qsizetype> unranked;
        rankAll(keywords, byRank, unranked);
        if (!unranked.empty()) {
            const int numbering = numbering_;
            learn(keywords, unranked);
            if (numbering != numbering_) {
                unranked.clear();
                rankAll(keywords, byRank, unranked);
            } else {
                for (const qsizetype i : unranked)
                    byRank[size_t(i)] = (quint64(rankOf_.value(keywords[i])) << 32) | quint64(i);
            }
        }
        const size_t kept = onlyAdded && lastNumbering_ == numbering_ ? lastSorted_.size() : 0;
        std::sort(byRank.begin() + qptrdiff(kept), byRank.end());
        QStringList sorted;
        sorted.reserve(keywords.size());
        std::vector<quint32> sortedRanks;
        sortedRanks.reserve(byRank.size());
        lastRanks_.resize(byRank.size());
        // The texts kept come in their last order; a new one goes after those of equal rank,
        // as its later position puts it.
        size_t old = 0;
        for (size_t next = kept; next < byRank.size(); ++next) {
            const quint32 rank = quint32(byRank[next] >> 32);
            for (; old < kept && lastSortedRanks_[old] <= rank; ++old) {
                sorted << lastSorted_[qsizetype(old)];
                sortedRanks.push_back(lastSortedRanks_[old]);
            }
            const qsizetype position = qsizetype(byRank[next] & 0xffffffffu);
            sorted << keywords[position];
            sortedRanks.push_back(rank);
            lastRanks_[size_t(position)] = rank;
        }
        for (; old < kept; ++old) {
            sorted << lastSorted_[qsizetype(old)];
            sortedRanks.push_back(lastSortedRanks_[old]);
        }
        lastKeywords_ = keywords;
        lastSorted_ = sorted;
        lastSortedRanks_ = std::move(sortedRanks);
        lastNumbering_ = numbering_;
        return sorted;
    }

    qsizetype size() const { return qsizetype(ordered_.size()); }

    void forget() {
        ordered_.clear();
        rankOf_.clear();
        lastKeywords_.clear();
        lastSorted_.clear();
        lastRanks_.clear();
        lastSortedRanks_.clear();
        ++numbering_;
    }

private:
    // A few texts added at the end of the last list sorted, put into its last order where their
    // ranks place them, after those of equal rank. Nothing, changing nothing of the last sort,
    // when giving them ranks numbered all texts afresh.
    std::optional<QStringList> insertAdded(const QStringList& keywords) {
        const qsizetype first = lastKeywords_.size();
        std::vector<qsizetype> unranked;
        for (qsizetype i = first; i < keywords.size(); ++i) {
            if (!rankOf_.contains(keywords[i]))
                unranked.push_back(i);
        }
        if (!unranked.empty()) {
            const int numbering = numbering_;
            learn(keywords, unranked);
            if (numbering != numbering_)
                return std::nullopt;
        }
        // Rank in the high half, position in the low half.
        std::vector<quint64> added;
        for (qsizetype i = first; i < keywords.size(); ++i)
            added.push_back((quint64(rankOf_.value(keywords[i])) << 32) | quint64(i));
        std::sort(added.begin(), added.end());
        QStringList sorted = lastSorted_;
        std::vector<quint32> sortedRanks = lastSortedRanks_;
        lastRanks_.resize(size_t(keywords.size()));
        // From the last, so the places found in the last order stay right, and texts of equal
        // rank end up in the order of their positions.
        for (auto it = added.crbegin(); it != added.crend(); ++it) {
            const auto rank = quint32(*it >> 32);
            const auto place =
                std::upper_bound(lastSortedRanks_.cbegin(), lastSortedRanks_.cend(), rank) -
                lastSortedRanks_.cbegin();
            sorted.insert(place, keywords[qsizetype(*it & 0xffffffffu)]);
            sortedRanks.insert(sortedRanks.begin() + place, rank);
            lastRanks_[size_t(*it & 0xffffffffu)] = rank;
        }
        lastKeywords_ = keywords;
        lastSorted_ = sorted;
        lastSortedRanks_ = std::move(sortedRanks);
        return sorted;
    }

    void useCurrentLocale() {
        const QLocale locale = collationLocale();
        if (collator_ && locale.name() == localeName_)
            return;
        forget();
        localeName_ = locale.name();
        collator_ = std::make_unique<QCollator>(locale);
        collator_->setCaseSensitivity(Qt::CaseInsensitive);
    }

    // Fills `byRank` for every text that has a rank and lists the positions of those without. A
    // text found where the last sorted list had it keeps the rank it had there, which spares most
    // lookups after a small edit.
    void rankAll(const QStringList& keywords, std::vector<quint64>& byRank,
                 std::vector<qsizetype>& unranked) const {
        const bool lastStillRanked = lastNumbering_ == numbering_;
        for (qsizetype i = 0; i < keywords.size(); ++i) {
            quint32 rank;
            if (lastStillRanked && i < lastKeywords_.size() &&
                sameText(keywords[i], lastKeywords_[i])) {
                rank = lastRanks_[size_t(i)];
            } else {
                const auto found = rankOf_.constFind(keywords[i]);
                if (found == rankOf_.constEnd()) {
                    unranked.push_back(i);
                    continue;
                }
                rank = found.value();
            }
            byRank[size_t(i)] = (quint64(rank) << 32) | quint64(i);
        }
    }

    // Collates the texts at `unranked` and gives them ranks.
    void learn(const QStringList& keywords, const std::vector<qsizetype>& unranked) {
        // Texts that left the dictionary long ago must not pile up: start afresh when most of
        // what is remembered is no longer asked for.
        const bool startAfresh = ordered_.size() > size_t(2 * keywords.size() + 1024);
        if (startAfresh)
            forget();
        std::vector<Collated> fresh;
        auto learnText = [&](const QString& text) {
            if (rankOf_.contains(text))
                return;
            rankOf_.insert(text, 0);
            fresh.push_back({text, collator_->sortKey(text), 0});
        };
        if (startAfresh) {
            for (const QString& text : keywords)
                learnText(text);
        } else {
            for (const qsizetype i : unranked)
                learnText(keywords[i]);
        }
        std::sort(fresh.begin(), fresh.end(), collatesBefore);

        if (fitIntoGaps(fresh))
            return;

        // Too many to fit in one by one, or a gap is used up: merge, then number all afresh.
        std::vector<Collated> merged;
        merged.reserve(ordered_.size() + fresh.size());
        std::merge(std::make_move_iterator(ordered_.begin()),
                   std::make_move_iterator(ordered_.end()), std::make_move_iterator(fresh.begin()),
                   std::make_move_iterator(fresh.end()), std::back_inserter(merged),
                   collatesBefore);
        ordered_.swap(merged);
        const quint64 gap =
            std::clamp<quint64>(quint64(UINT32_MAX) / (ordered_.size() + 1), 1, kRankGap);
        for (size_t i = 0; i < ordered_.size(); ++i) {
            ordered_[i].rank = quint32((i + 1) * gap);
            rankOf_[ordered_[i].text] = ordered_[i].rank;
        }
        ++numbering_;
    }

    // Gives each of a few new texts (sorted) a rank between its neighbours and puts it in place;
    // false, changing nothing, when they are too many or some gap has no room.
    bool fitIntoGaps(std::vector<Collated>& fresh) {
        if (fresh.size() > kMostFitted || ordered_.empty())
            return false;
        std::vector<size_t> places(fresh.size());
        for (size_t i = 0; i < fresh.size(); ++i) {
            const size_t place = size_t(
                std::upper_bound(ordered_.begin(), ordered_.end(), fresh[i], collatesBefore) -
                ordered_.begin());
            // A new text in the same gap as the one before it comes after that one.
            const quint64 low = i > 0 && places[i - 1] == place ? fresh[i - 1].rank
                                : place == 0                    ? 0
                                                                : ordered_[place - 1].rank;
            // After the last text, leave the room above for the texts still to come.
            const quint64 high = place < ordered_.size()
                                     ? quint64(ordered_[place].rank)
                                     : std::min(low + 2 * kRankGap, quint64(UINT32_MAX) + 1);
            if (high - low < 2)
                return false;
            fresh[i].rank = quint32(low + (high - low) / 2);
            places[i] = place;
        }
        // Room to spare, so a text added now and then does not move every other one to a new
        // block of memory.
        if (ordered_.capacity() < ordered_.size() + fresh.size())
            ordered_.reserve(ordered_.size() + ordered_.size() / 8 + kMostFitted);
        // From the back, so the places found above stay right.
        for (size_t i = fresh.size(); i-- > 0;) {
            rankOf_[fresh[i].text] = fresh[i].rank;
            ordered_.insert(ordered_.begin() + qptrdiff(places[i]), std::move(fresh[i]));
        }
        return true;
    }

    static constexpr quint64 kRankGap = 1024;
    static constexpr size_t kMostFitted = 64;

    QString localeName_;
    std::unique_ptr<QCollator> collator_;
    std::vector<Collated> ordered_;
    QHash<QString, quint32> rankOf_;
    // Bumped whenever ranks are given afresh, which makes remembered ranks stale.
    int numbering_ = 0;
    // The last list sorted, as given, as sorted, and the rank of each text as given.
    QStringList lastKeywords_;
    QStringList lastSorted_;
    std::vector<quint32> lastRanks_;
    // The rank of each text of `lastSorted_`.
    std::vector<quint32> lastSortedRanks_;
    int lastNumbering_ = -1;
};

KeywordOrder::KeywordOrder()
    : ranks_(std::make_unique<Ranks>()) {}

KeywordOrder::~KeywordOrder() = default;

QStringList KeywordOrder::sort(const QStringList& keywords) {
    return ranks_->sort(keywords);
}

qsizetype KeywordOrder::collatedCount() const {
    return ranks_->size();
}
