#include "core/KeywordMatcher.h"

namespace {

constexpr std::uint64_t kNoKey = ~std::uint64_t(0);

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
    rootEdges_.assign(0x10000, 0);
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
            end.pattern = std::int32_t(patternLength_.size());
            patternLength_.push_back(std::int32_t(folded.size()));
        }
        patternOfKeyword_.push_back(end.pattern);
    }
    buildFailLinks(parent, unitFromParent, depth);
}

KeywordMatcher::~KeywordMatcher() = default;

std::int32_t KeywordMatcher::child(std::int32_t node, char16_t unit) const {
    if (node == 0) {
        const std::int32_t next = rootEdges_[unit];
        return next > 0 ? next : -1;
    }
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

std::int32_t KeywordMatcher::addChild(std::int32_t node, char16_t unit) {
    const auto created = std::int32_t(nodes_.size());
    nodes_.emplace_back();
    Node& from = nodes_[std::size_t(node)];
    if (node == 0) {
        rootEdges_[unit] = created;
        return created;
    }
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

void KeywordMatcher::buildFailLinks(const std::vector<std::int32_t>& parent,
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
}

template <typename Hit>
void KeywordMatcher::scan(QStringView text, Hit&& hit) const {
    const qsizetype n = text.size();
    std::vector<char16_t> folded;
    foldInto(text, folded);
    // Whether each unit is a letter or digit, as the whole-word test sees it.
    std::vector<bool> wordUnit(static_cast<std::size_t>(n));
    for (qsizetype i = 0; i < n; ++i) {
        wordUnit[std::size_t(i)] = text[i].isLetterOrNumber();
        if (folded[std::size_t(i)] == QChar::Nbsp)
            folded[std::size_t(i)] = u' ';
    }

    // Where each pattern's next search may start, as the control's repeated find would go on.
    std::vector<qsizetype> searchFrom(patternLength_.size(), 0);

    std::int32_t state = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = folded[std::size_t(i)];
        for (;;) {
            if (state == 0) {
                state = rootEdges_[unit];
                break;
            }
            const std::int32_t next = child(state, unit);
            if (next >= 0) {
                state = next;
                break;
            }
            state = nodes_[std::size_t(state)].fail;
        }
        const Node& at = nodes_[std::size_t(state)];
        for (std::int32_t out = at.pattern >= 0 ? state : at.nextOutput; out >= 0;
             out = nodes_[std::size_t(out)].nextOutput) {
            const Node& found = nodes_[std::size_t(out)];
            const auto pattern = std::size_t(found.pattern);
            const qsizetype end = i + 1;
            const qsizetype begin = end - patternLength_[pattern];
            if (begin < searchFrom[pattern] || splitsCharacter(text, begin) ||
                splitsCharacter(text, end))
                continue;
            const bool whole = (begin == 0 || !wordUnit[std::size_t(begin - 1)]) &&
                               (end == n || !wordUnit[std::size_t(end)]);
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
    std::vector<std::vector<qsizetype>> found(patternLength_.size());
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
    std::vector<bool> patternFound(patternLength_.size());
    scan(text, [&](std::size_t pattern, qsizetype begin, qsizetype end) {
        patternFound[pattern] = true;
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
