#include "dictionary/KeywordOrder.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

namespace dictionary {
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
};

bool collatesBefore(const Collated& a, const Collated& b) {
    const int byKey = a.key.compare(b.key);
    if (byKey != 0)
        return byKey < 0;
    return a.text < b.text;
}

// Every keyword text seen so far, in alphabetical order, with its rank in that order.
class RankedTexts {
public:
    QStringList sort(const QStringList& keywords) {
        useCurrentLocale();
        if (keywords == lastKeywords_)
            return lastSorted_;
        // Rank in the high half, position in the low half: one integer sort.
        std::vector<quint64> byRank(size_t(keywords.size()));
        if (!rankAll(keywords, byRank)) {
            learn(keywords);
            rankAll(keywords, byRank);
        }
        std::sort(byRank.begin(), byRank.end());
        QStringList sorted;
        sorted.reserve(keywords.size());
        for (const quint64 entry : byRank)
            sorted << keywords[qsizetype(entry & 0xffffffffu)];
        lastKeywords_ = keywords;
        lastSorted_ = sorted;
        return sorted;
    }

    qsizetype size() const { return qsizetype(ordered_.size()); }

    void forget() {
        ordered_.clear();
        rankOf_.clear();
        lastKeywords_.clear();
        lastSorted_.clear();
    }

private:
    void useCurrentLocale() {
        const QLocale locale = collationLocale();
        if (collator_ && locale.name() == localeName_)
            return;
        forget();
        localeName_ = locale.name();
        collator_ = std::make_unique<QCollator>(locale);
        collator_->setCaseSensitivity(Qt::CaseInsensitive);
    }

    // Fills `byRank`; false when some text has no rank yet.
    bool rankAll(const QStringList& keywords, std::vector<quint64>& byRank) const {
        for (qsizetype i = 0; i < keywords.size(); ++i) {
            const auto found = rankOf_.constFind(keywords[i]);
            if (found == rankOf_.constEnd())
                return false;
            byRank[size_t(i)] = (quint64(found.value()) << 32) | quint64(i);
        }
        return true;
    }

    void learn(const QStringList& keywords) {
        // Texts that left the dictionary long ago must not pile up: start afresh when most of
        // what is remembered is no longer asked for.
        if (ordered_.size() > size_t(2 * keywords.size() + 1024))
            forget();
        std::vector<Collated> fresh;
        for (const QString& text : keywords) {
            if (rankOf_.contains(text))
                continue;
            rankOf_.insert(text, 0);
            fresh.push_back({text, collator_->sortKey(text)});
        }
        std::sort(fresh.begin(), fresh.end(), collatesBefore);
        std::vector<Collated> merged;
        merged.reserve(ordered_.size() + fresh.size());
        std::merge(std::make_move_iterator(ordered_.begin()),
                   std::make_move_iterator(ordered_.end()), std::make_move_iterator(fresh.begin()),
                   std::make_move_iterator(fresh.end()), std::back_inserter(merged),
                   collatesBefore);
        ordered_.swap(merged);
        for (size_t rank = 0; rank < ordered_.size(); ++rank)
            rankOf_[ordered_[rank].text] = quint32(rank);
    }

    QString localeName_;
    std::unique_ptr<QCollator> collator_;
    std::vector<Collated> ordered_;
    QHash<QString, quint32> rankOf_;
    // The last list sorted, as given and as sorted.
    QStringList lastKeywords_;
    QStringList lastSorted_;
};

RankedTexts& rankedTexts() {
    static RankedTexts texts;
    return texts;
}

} // namespace

QString TrimSpaces(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QStringList SortAlphabetically(const QStringList& keywords) {
    return rankedTexts().sort(keywords);
}

bool KeywordMatches(QStringView keyword, QStringView searchText) {
    if (keyword.isEmpty())
        return false;
    // Qt's case-insensitive search folds case per code point, as the data store compares.
    return keyword.contains(searchText, Qt::CaseInsensitive);
}

namespace testing {
qsizetype CollatedTexts() {
    return rankedTexts().size();
}
void ForgetOrder() {
    rankedTexts().forget();
}
} // namespace testing

} // namespace dictionary
