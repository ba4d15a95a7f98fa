#pragma once

// Whole-word, case-insensitive keyword search over the text of a rich-text document, for a whole
// dictionary at once. It gives, for every keyword, exactly the occurrences that a whole-word find
// of the rich-text control (QTextDocument::find with FindWholeWords and no case flag) gives when
// each search starts at the end of the previous match:
//   - letters are compared after simple Unicode case folding, one code point at a time, so a match
//     is as long as its keyword (ß equals ẞ but not "ss");
//   - a match must not have a letter or digit (QChar::isLetterOrNumber of the UTF-16 unit) just
//     before or just after it;
//   - a candidate that fails that test makes the search go on one unit past its end, as the
//     control does, so it can hide a later candidate that overlaps it;
//   - no match crosses a paragraph break, and a no-break space in the text counts as a space;
//   - no match cuts a surrogate pair in two.
// The search is one pass of an Aho-Corasick automaton over the case-folded text.
//
// The scan is the hot path of every analysis, so it steps over the text's own units without
// folding them first: one table gives each unit the class of what it folds to, among the units
// the keywords use most, and every node that branches has a row of its next node for each class,
// fail links already followed. The rare units (and the halves of surrogate pairs) take the
// plain trie walk.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

// The characters that end a paragraph: the document's own block separators, and the line breaks
// of a plain text.
bool isParagraphBreak(char16_t unit);

class KeywordMatcher {
public:
    explicit KeywordMatcher(const QStringList& keywords);
    ~KeywordMatcher();
    KeywordMatcher(const KeywordMatcher&) = delete;
    KeywordMatcher& operator=(const KeywordMatcher&) = delete;

    // The start positions (UTF-16 units) of every keyword's occurrences in `text`, by keyword
    // index, ascending. Every occurrence is as long as its keyword. An empty keyword, or one that
    // holds a paragraph break, has none.
    std::vector<std::vector<qsizetype>> findAll(QStringView text) const;

    // The same occurrences as one list, for a caller that wants every keyword at once.
    struct Occurrence {
        qsizetype begin;
        qsizetype end;
    };
    struct Matches {
        // Whether each keyword, by index, occurs at all.
        std::vector<bool> found;
        // Every occurrence once, however many keywords equal when folded give it; in the order
        // of their ends.
        std::vector<Occurrence> occurrences;
    };
    Matches match(QStringView text) const;

private:
    struct Node {
        std::int32_t fail = 0;
        // The pattern that ends here, or -1.
        std::int32_t pattern = -1;
        // The nearest node on the fail chain (itself excluded) where a pattern ends, or -1.
        std::int32_t nextOutput = -1;
        // Most nodes have one child, kept here; the others of a branching node are in the
        // edge table.
        std::int32_t firstChild = -1;
        char16_t firstUnit = 0;
        bool branches = false;
    };

    // The scan names a node by a code: the offset of its row, or, for a node without one, its
    // index; with two flags, so that one step reads one table entry.
    static constexpr std::uint32_t kRowBit = 2;
    // A pattern ends at the node or on its fail chain.
    static constexpr std::uint32_t kOutputBit = 1;
    // A node without a row: its only child, by its unit's class, and where to go otherwise.
    struct Chain {
        std::uint32_t child = 0;
        std::uint32_t fail = 0;
        // The first pattern that ends here or on the fail chain, or -1.
        std::int32_t output = -1;
        std::uint8_t unitClass = 0;
    };
    struct Pattern {
        std::int32_t length = 0;
        // The next, shorter pattern that ends where this one does, or -1.
        std::int32_t next = -1;
    };

    std::int32_t child(std::int32_t node, char16_t unit) const;
    // The automaton's step from `state` on a folded unit, by the trie and its fail links.
    std::int32_t walk(std::int32_t state, char16_t unit) const;
    std::int32_t nodeOf(std::uint32_t code) const;
    std::int32_t addChild(std::int32_t node, char16_t unit);
    void insertEdge(std::uint64_t key, std::int32_t value);
    // Calls `hit(pattern, begin, end)` for every occurrence, in the order of their ends.
    template <typename Hit>
    void scan(QStringView text, Hit&& hit) const;
    // Gives the nodes in order of depth.
    std::vector<std::int32_t> buildFailLinks(const std::vector<std::int32_t>& parent,
                                             const std::vector<char16_t>& unitFromParent,
                                             const std::vector<std::int32_t>& depth);
    template <typename T>
    class UnitTable;
    // Gives each keyword unit its class in the rows, kNoClass for one they leave out.
    void buildClasses(const UnitTable<std::uint32_t>& uses, UnitTable<std::uint8_t>& unitClass);
    void buildRows(const std::vector<std::int32_t>& parent,
                   const std::vector<char16_t>& unitFromParent,
                   const std::vector<std::int32_t>& byDepth,
                   const UnitTable<std::uint8_t>& unitClass);

    std::vector<Node> nodes_;
    // The further edges of branching nodes, in one open-addressing table keyed by
    // (node << 16 | unit).
    std::vector<std::uint64_t> edgeKeys_;
    std::vector<std::int32_t> edgeValues_;
    std::size_t edgeCount_ = 0;

    // The class of each text unit: 0 for one no keyword holds, kRare for one the rows leave to
    // the trie walk.
    std::vector<std::uint8_t> classOf_;
    std::size_t classCount_ = 1;
    std::vector<std::uint32_t> codeOf_;
    // Each row: the first pattern that ends at its node or -1, then the code of the next node
    // for every class from 1.
    std::vector<std::int32_t> rows_;
    std::vector<std::int32_t> rowNode_;
    std::vector<Chain> chains_;

    std::vector<std::int32_t> patternOfKeyword_; // -1: the keyword can never match
    std::vector<Pattern> patterns_;
};

// The occurrences of one keyword, as KeywordMatcher gives them.
std::vector<qsizetype> findWholeWord(QStringView text, const QString& keyword);
