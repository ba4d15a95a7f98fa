#include "core/KeywordMatcher.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

// A table by UTF-16 unit that holds memory only for the blocks of 256 units it is given values
// in: a matcher for one keyword must not pay for 65,536 entries.
template <typename T>
class KeywordMatcher::UnitTable {
public:
    explicit UnitTable(T empty)
        : empty_(empty) {}
    T operator[](char16_t unit) const {
        const auto& block = blocks_[unit >> 8];
        return block ? (*block)[unit & 0xFF] : empty_;
    }
    T& at(char16_t unit) {
        auto& block = blocks_[unit >> 8];
        if (!block) {
            block = std::make_unique<std::array<T, 256>>();
            block->fill(empty_);
        }
        return (*block)[unit & 0xFF];
    }
    // Calls `visit(unit, value)` for every unit given a value other than the empty one.
    template <typename Visit>
    void forEach(Visit&& visit) const {
        for (std::size_t high = 0; high < blocks_.size(); ++high) {
            if (!blocks_[high])
                continue;
            for (std::size_t low = 0; low < 256; ++low) {
                if ((*blocks_[high])[low] != empty_)
                    visit(char16_t(high << 8 | low), (*blocks_[high])[low]);
            }
        }
    }

private:
    T empty_;
    std::array<std::unique_ptr<std::array<T, 256>>, 256> blocks_;
};

namespace {

constexpr std::uint64_t kNoKey = ~std::uint64_t(0);
// Text units whose step is the trie walk.
constexpr std::uint8_t kRare = 0xFF;
// A node's only child whose unit has no column in the rows.
constexpr std::uint8_t kNoClass = 0xFE;
// Classes, the "no keyword holds it" class 0 included: a row of 64 is 256 bytes, and the
// keywords of one language rarely use more units.
constexpr std::size_t kMaxClasses = 64;

std::uint64_t edgeKey(std::int32_t node, char16_t unit) {
    return (std::uint64_t(std::uint32_t(node)) << 16) | unit;
}

std::size_t edgeSlot(std::uint64_t key, std::size_t mask) {
    return std::size_t((key * 0x9E3779B97F4A7C15ull) >> 29) & mask;
}

// Simple case folding, one code point at a time, as the control's case-insensitive compare
// does it. Folding never moves a code point in or out of the Basic Multilingual Plane, so the
// result is as long as the input and positions carry over unchanged.
void foldInto(QStringView text, std::vector<char16_t>& folded) {
    folded.resize(std::size_t(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            folded[std::size_t(i)] = (unit >= 'A' && unit <= 'Z') ? char16_t(unit + 32) : unit;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            const char32_t cp =
                QChar::toCaseFolded(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            folded[std::size_t(i)] = QChar::highSurrogate(cp);
            folded[std::size_t(i + 1)] = QChar::lowSurrogate(cp);
            ++i;
        } else {
            folded[std::size_t(i)] = char16_t(QChar::toCaseFolded(char32_t(unit)));
        }
    }
}

// A text unit outside a surrogate pair as the search compares it.
char16_t searchedUnit(char16_t unit) {
    const char16_t folded = unit < 0x80
                                ? ((unit >= 'A' && unit <= 'Z') ? char16_t(unit + 32) : unit)
                                : char16_t(QChar::toCaseFolded(char32_t(unit)));
    return folded == QChar::Nbsp ? u' ' : folded;
}

// The unit at `i` as the search compares it, as foldInto and the no-break space rule give it.
char16_t searchedUnitAt(QStringView text, qsizetype i) {
    const char16_t unit = text[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return QChar::highSurrogate(
            QChar::toCaseFolded(QChar::surrogateToUcs4(unit, text[i + 1].unicode())));
    if (QChar::isLowSurrogate(unit) && i > 0 && text[i - 1].isHighSurrogate())
        return QChar::lowSurrogate(
            QChar::toCaseFolded(QChar::surrogateToUcs4(text[i - 1].unicode(), unit)));
    return searchedUnit(unit);
}

// Every unit outside the surrogates that the search compares as another, paired with that other
// and ordered by it: which text units stand for a keyword's unit, without folding all 65,536
// units for every matcher.
const std::vector<std::pair<char16_t, char16_t>>& unitsSearchedAsOthers() {
    static const std::vector<std::pair<char16_t, char16_t>> pairs = [] {
        std::vector<std::pair<char16_t, char16_t>> all;
        for (char32_t unit = 0; unit < 0x10000; ++unit) {
            if (QChar::isSurrogate(unit))
                continue;
            const char16_t searched = searchedUnit(char16_t(unit));
            if (searched != unit)
                all.emplace_back(searched, char16_t(unit));
        }
        std::sort(all.begin(), all.end());
        return all;
    }();
    return pairs;
}

// Whether `at` falls between the two halves of a surrogate pair. Only a keyword that is not
// well-formed UTF-16 could match there, and such a match would cut a character in two.
bool splitsCharacter(QStringView text, qsizetype at) {
    return at > 0 && at < text.size() && text[at].isLowSurrogate() &&
           text[at - 1].isHighSurrogate();
}

} // namespace

bool isParagraphBreak(char16_t unit) {
    switch (unit) {
    case u'\n':
    case u'\r':
    case QChar::ParagraphSeparator:
    case 0xFDD0: // beginning of a frame
    case 0xFDD1: // end of a frame
        return true;
    default:
        return false;
    }
}

KeywordMatcher::KeywordMatcher(const QStringList& keywords) {
    std::size_t units = 1;
    for (const QString& keyword : keywords)
        units += std::size_t(keyword.size());
    nodes_.reserve(units);
    nodes_.emplace_back();
    edgeKeys_.assign(256, kNoKey);
    edgeValues_.assign(256, 0);
    patternOfKeyword_.reserve(std::size_t(keywords.size()));
    // Only needed while the fail links are built.
    std::vector<std::int32_t> parent(1, 0);
    std::vector<char16_t> unitFromParent(1, 0);
    std::vector<std::int32_t> depth(1, 0);
    parent.reserve(units);
    unitFromParent.reserve(units);
    depth.reserve(units);

    std::vector<char16_t> folded;
    // How often the keywords use each unit: the rows give columns to the most used.
    UnitTable<std::uint32_t> uses(0);
    for (const QString& keyword : keywords) {
        bool usable = !keyword.isEmpty();
        for (QChar c : keyword)
            usable = usable && !isParagraphBreak(c.unicode());
        if (!usable) {
            patternOfKeyword_.push_back(-1);
            continue;
        }
        foldInto(keyword, folded);
        std::int32_t node = 0;
        for (char16_t unit : folded) {
            ++uses.at(unit);
            std::int32_t next = child(node, unit);
            if (next < 0) {
                next = addChild(node, unit);
                parent.push_back(node);
                unitFromParent.push_back(unit);
                depth.push_back(depth[std::size_t(node)] + 1);
            }
            node = next;
        }
        // Keywords equal when folded end on the same node and share its pattern: they always
        // match at the same places.
        Node& end = nodes_[std::size_t(node)];
        if (end.pattern < 0) {
            end.pattern = std::int32_t(patterns_.size());
            patterns_.push_back({std::int32_t(folded.size()), -1});
        }
        patternOfKeyword_.push_back(end.pattern);
    }
    const std::vector<std::int32_t> byDepth = buildFailLinks(parent, unitFromParent, depth);
    UnitTable<std::uint8_t> unitClass(kNoClass);
    buildClasses(uses, unitClass);
    buildRows(parent, unitFromParent, byDepth, unitClass);
}

KeywordMatcher::~KeywordMatcher() = default;

std::int32_t KeywordMatcher::child(std::int32_t node, char16_t unit) const {
    const Node& from = nodes_[std::size_t(node)];
    if (from.firstUnit == unit && from.firstChild >= 0)
        return from.firstChild;
    if (!from.branches)
        return -1;
    const std::uint64_t key = edgeKey(node, unit);
    const std::size_t mask = edgeKeys_.size() - 1;
    for (std::size_t slot = edgeSlot(key, mask);; slot = (slot + 1) & mask) {
        if (edgeKeys_[slot] == key)
            return edgeValues_[slot];
        if (edgeKeys_[slot] == kNoKey)
            return -1;
    }
}

std::int32_t KeywordMatcher::nodeOf(std::uint32_t code) const {
    return code & kRowBit ? rowNode_[(code >> 2) / classCount_] : std::int32_t(code >> 2);
}

std::int32_t KeywordMatcher::walk(std::int32_t state, char16_t unit) const {
    for (;;) {
        const std::int32_t next = child(state, unit);
        if (next >= 0 || state == 0)
            return std::max(next, 0);
        state = nodes_[std::size_t(state)].fail;
    }
}

std::int32_t KeywordMatcher::addChild(std::int32_t node, char16_t unit) {
    const auto created = std::int32_t(nodes_.size());
    nodes_.emplace_back();
    Node& from = nodes_[std::size_t(node)];
    if (from.firstChild < 0) {
        from.firstChild = created;
        from.firstUnit = unit;
        return created;
    }
    from.branches = true;
    if ((edgeCount_ + 1) * 2 > edgeKeys_.size()) {
        std::vector<std::uint64_t> oldKeys(edgeKeys_.size() * 2, kNoKey);
        std::vector<std::int32_t> oldValues(edgeKeys_.size() * 2, 0);
        oldKeys.swap(edgeKeys_);
        oldValues.swap(edgeValues_);
        edgeCount_ = 0;
        for (std::size_t i = 0; i < oldKeys.size(); ++i)
            if (oldKeys[i] != kNoKey)
                insertEdge(oldKeys[i], oldValues[i]);
    }
    insertEdge(edgeKey(node, unit), created);
    return created;
}

void KeywordMatcher::insertEdge(std::uint64_t key, std::int32_t value) {
    const std::size_t mask = edgeKeys_.size() - 1;
    std::size_t slot = edgeSlot(key, mask);
    while (edgeKeys_[slot] != kNoKey)
        slot = (slot + 1) & mask;
    edgeKeys_[slot] = key;
    edgeValues_[slot] = value;
    ++edgeCount_;
}

std::vector<std::int32_t>
KeywordMatcher::buildFailLinks(const std::vector<std::int32_t>& parent,
                               const std::vector<char16_t>& unitFromParent,
                               const std::vector<std::int32_t>& depth) {
    // Nodes in order of depth, so that a node's parent has its fail link already.
    const std::size_t count = nodes_.size();
    std::int32_t maxDepth = 0;
    for (std::int32_t d : depth)
        maxDepth = std::max(maxDepth, d);
    std::vector<std::size_t> start(std::size_t(maxDepth) + 2, 0);
    for (std::int32_t d : depth)
        ++start[std::size_t(d) + 1];
    for (std::size_t d = 1; d < start.size(); ++d)
        start[d] += start[d - 1];
    std::vector<std::int32_t> byDepth(count);
    for (std::size_t v = 0; v < count; ++v)
        byDepth[start[std::size_t(depth[v])]++] = std::int32_t(v);

    for (std::int32_t v : byDepth) {
        if (v == 0)
            continue;
        Node& node = nodes_[std::size_t(v)];
        if (depth[std::size_t(v)] == 1) {
            node.fail = 0;
        } else {
            const char16_t unit = unitFromParent[std::size_t(v)];
            std::int32_t f = nodes_[std::size_t(parent[std::size_t(v)])].fail;
            std::int32_t next = child(f, unit);
            while (next < 0 && f != 0) {
                f = nodes_[std::size_t(f)].fail;
                next = child(f, unit);
            }
            node.fail = next < 0 ? 0 : next;
        }
        const Node& fail = nodes_[std::size_t(node.fail)];
        node.nextOutput = fail.pattern >= 0 ? node.fail : fail.nextOutput;
    }
    return byDepth;
}

void KeywordMatcher::buildClasses(const UnitTable<std::uint32_t>& uses,
                                  UnitTable<std::uint8_t>& unitClass) {
    std::vector<std::pair<std::uint32_t, char16_t>> used;
    uses.forEach([&used](char16_t unit, std::uint32_t count) {
        if (!QChar::isSurrogate(unit))
            used.emplace_back(count, unit);
    });
    // The most used first; ties by unit, so that a matcher does not depend on the sort.
    std::sort(used.begin(), used.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    classCount_ = std::min(used.size() + 1, kMaxClasses);

    classOf_.assign(0x10000, 0);
    std::fill(classOf_.begin() + 0xD800, classOf_.begin() + 0xE000, kRare);
    const auto& others = unitsSearchedAsOthers();
    for (std::size_t i = 0; i < used.size(); ++i) {
        const char16_t unit = used[i].second;
        const std::uint8_t cls = i + 1 < classCount_ ? std::uint8_t(i + 1) : kRare;
        if (cls != kRare)
            unitClass.at(unit) = cls;
        if (searchedUnit(unit) == unit)
            classOf_[unit] = cls;
        const auto same =
            std::equal_range(others.begin(), others.end(), std::pair<char16_t, char16_t>(unit, 0),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = same.first; it != same.second; ++it)
            classOf_[it->second] = cls;
    }
}

void KeywordMatcher::buildRows(const std::vector<std::int32_t>& parent,
                               const std::vector<char16_t>& unitFromParent,
                               const std::vector<std::int32_t>& byDepth,
                               const UnitTable<std::uint8_t>& unitClass) {
    // The root and every node that branches get a row; a chain of single children is cheap to
    // follow by its one unit.
    const std::size_t count = nodes_.size();
    std::vector<std::int32_t> rowOf(count, -1);
    rowNode_.clear();
    codeOf_.resize(count);
    for (std::size_t v = 0; v < count; ++v) {
        const Node& node = nodes_[v];
        if (v == 0 || node.branches) {
            rowOf[v] = std::int32_t(rowNode_.size() * classCount_);
            rowNode_.push_back(std::int32_t(v));
        }
        const bool row = rowOf[v] >= 0;
        codeOf_[v] = (std::uint32_t(row ? rowOf[v] : std::int32_t(v)) << 2) | (row ? kRowBit : 0) |
                     (node.pattern >= 0 || node.nextOutput >= 0 ? kOutputBit : 0);
        if (node.pattern >= 0 && node.nextOutput >= 0)
            patterns_[std::size_t(node.pattern)].next =
                nodes_[std::size_t(node.nextOutput)].pattern;
    }
    // The patterns that end at a node, longest first, as a list through patterns_.
    auto outputOf = [this](const Node& node) {
        return node.pattern >= 0      ? node.pattern
               : node.nextOutput >= 0 ? nodes_[std::size_t(node.nextOutput)].pattern
                                      : -1;
    };

    rows_.assign(rowNode_.size() * classCount_, -1);
    // The root's row goes back to the root for every unit it has no child for.
    std::fill_n(rows_.begin(), classCount_, std::int32_t(codeOf_[0]));
    chains_.resize(count);
    for (std::size_t v = 0; v < count; ++v) {
        const Node& node = nodes_[v];
        Chain& chain = chains_[v];
        chain.fail = codeOf_[std::size_t(node.fail)];
        chain.output = outputOf(node);
        chain.unitClass = node.firstChild >= 0 ? unitClass[node.firstUnit] : kNoClass;
        chain.child = chain.unitClass == kNoClass ? 0 : codeOf_[std::size_t(node.firstChild)];
        if (rowOf[v] >= 0)
            rows_[std::size_t(rowOf[v])] = chain.output;
        const std::int32_t row = v == 0 ? -1 : rowOf[std::size_t(parent[v])];
        const std::uint8_t cls = v == 0 ? kNoClass : unitClass[unitFromParent[v]];
        if (row >= 0 && cls != kNoClass)
            rows_[std::size_t(row) + cls] = std::int32_t(codeOf_[v]);
    }
    // What a row leaves open is its fail node's step. That is the row of the first node with
    // one on the fail chain (shallower, so complete already), but for the units of the chain
    // nodes before it, of which the nearest decides.
    std::vector<std::int32_t> from(classCount_);
    std::vector<std::int32_t> between;
    for (const std::int32_t v : byDepth) {
        if (v == 0 || rowOf[std::size_t(v)] < 0)
            continue;
        between.clear();
        std::int32_t f = nodes_[std::size_t(v)].fail;
        for (; rowOf[std::size_t(f)] < 0; f = nodes_[std::size_t(f)].fail)
            between.push_back(f);
        std::copy_n(&rows_[std::size_t(rowOf[std::size_t(f)])], classCount_, from.begin());
        for (auto it = between.rbegin(); it != between.rend(); ++it) {
            const Chain& chain = chains_[std::size_t(*it)];
            if (chain.unitClass != kNoClass)
                from[chain.unitClass] = std::int32_t(chain.child);
        }
        std::int32_t* row = &rows_[std::size_t(rowOf[std::size_t(v)])];
        for (std::size_t cls = 1; cls < classCount_; ++cls) {
            if (row[cls] < 0)
                row[cls] = from[cls];
        }
    }
}

template <typename Hit>
void KeywordMatcher::scan(QStringView text, Hit&& hit) const {
    const qsizetype n = text.size();
    const char16_t* units = text.utf16();
    // Where each pattern's next search may start, as the control's repeated find would go on.
    std::vector<qsizetype> searchFrom(patterns_.size(), 0);

    std::uint32_t code = codeOf_[0];
    for (qsizetype i = 0; i < n; ++i) {
        const std::uint8_t cls = classOf_[units[i]];
        if (cls == 0) {
            code = codeOf_[0];
        } else if (cls == kRare) {
            code = codeOf_[std::size_t(walk(nodeOf(code), searchedUnitAt(text, i)))];
        } else {
            for (;;) {
                if (code & kRowBit) {
                    code = std::uint32_t(rows_[(code >> 2) + cls]);
                    break;
                }
                const Chain& chain = chains_[code >> 2];
                if (chain.unitClass == cls) {
                    code = chain.child;
                    break;
                }
                code = chain.fail;
            }
        }
        if (!(code & kOutputBit))
            continue;
        const std::int32_t first = code & kRowBit ? rows_[code >> 2] : chains_[code >> 2].output;
        for (std::int32_t out = first; out >= 0; out = patterns_[std::size_t(out)].next) {
            const auto pattern = std::size_t(out);
            const qsizetype end = i + 1;
            const qsizetype begin = end - patterns_[pattern].length;
            if (begin < searchFrom[pattern] || splitsCharacter(text, begin) ||
                splitsCharacter(text, end))
                continue;
            // Only a candidate asks whether its neighbours are letters or digits.
            const bool whole = (begin == 0 || !text[begin - 1].isLetterOrNumber()) &&
                               (end == n || !text[end].isLetterOrNumber());
            if (whole) {
                hit(pattern, begin, end);
                searchFrom[pattern] = end;
            } else {
                searchFrom[pattern] = end + 1;
            }
        }
    }
}

std::vector<std::vector<qsizetype>> KeywordMatcher::findAll(QStringView text) const {
    std::vector<std::vector<qsizetype>> found(patterns_.size());
    scan(text, [&found](std::size_t pattern, qsizetype begin, qsizetype) {
        found[pattern].push_back(begin);
    });
    std::vector<std::vector<qsizetype>> byKeyword(patternOfKeyword_.size());
    for (std::size_t k = 0; k < patternOfKeyword_.size(); ++k) {
        if (const std::int32_t pattern = patternOfKeyword_[k]; pattern >= 0)
            byKeyword[k] = found[std::size_t(pattern)];
    }
    return byKeyword;
}

KeywordMatcher::Matches KeywordMatcher::match(QStringView text) const {
    Matches matches;
    std::vector<char> patternFound(patterns_.size(), 0);
    scan(text, [&](std::size_t pattern, qsizetype begin, qsizetype end) {
        patternFound[pattern] = 1;
        matches.occurrences.push_back({begin, end});
    });
    matches.found.resize(patternOfKeyword_.size());
    for (std::size_t k = 0; k < patternOfKeyword_.size(); ++k) {
        const std::int32_t pattern = patternOfKeyword_[k];
        matches.found[k] = pattern >= 0 && patternFound[std::size_t(pattern)];
    }
    return matches;
}

std::vector<qsizetype> findWholeWord(QStringView text, const QString& keyword) {
    if (keyword.isEmpty())
        return {};
    return KeywordMatcher(QStringList{keyword}).findAll(text).front();
}
