// The dream analysis: every dictionary keyword found in the entry, listed and marked.

#include "analysis/KeywordMatcher.h"
#include "app/frmMain.h"
#include "data/modDB.h"

#include <QGroupBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace {

// The keyword mark is bold.
QTextCharFormat markFormat(bool on) {
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    return format;
}

struct Span {
    qsizetype begin;
    qsizetype end;
};

// Re-laying out a long text after marks all over it takes longer than marking it. While the
// marks change, the layout stands still; afterwards it starts over and runs in steps between
// events, as it does when a text is loaded.
class LayoutPause {
public:
    explicit LayoutPause(QTextDocument* document)
        : document_(document)
        , pageSize_(document->pageSize()) {
        document_->setPageSize(QSizeF(0, 0)); // a null size: no layout at all
    }
    ~LayoutPause() { document_->setPageSize(pageSize_); }
    LayoutPause(const LayoutPause&) = delete;
    LayoutPause& operator=(const LayoutPause&) = delete;

private:
    QTextDocument* document_;
    QSizeF pageSize_;
};

// The stretches of the document that carry the mark.
std::vector<Span> markedSpans(const QTextDocument* document) {
    std::vector<Span> spans;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().fontWeight() != QFont::Normal)
                spans.push_back({fragment.position(), fragment.position() + fragment.length()});
        }
    }
    return spans;
}

// Switches the mark off where it is on (if `clearFirst`), then on over every span, all as one
// edit: one undo step and one layout, however many marks. Overlapping spans (a phrase and a word
// inside it) are joined first.
void remark(QTextDocument* document, bool clearFirst, std::vector<Span> spans) {
    std::vector<Span> unmark = clearFirst ? markedSpans(document) : std::vector<Span>();
    if (spans.empty() && unmark.empty())
        return;
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.begin < b.begin; });
    std::vector<Span> joined;
    for (const Span& span : spans) {
        if (!joined.empty() && span.begin <= joined.back().end)
            joined.back().end = std::max(joined.back().end, span.end);
        else
            joined.push_back(span);
    }
    const LayoutPause pause(document);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    auto apply = [&cursor](const std::vector<Span>& where, const QTextCharFormat& format) {
        for (const Span& span : where) {
            cursor.setPosition(int(span.begin));
            cursor.setPosition(int(span.end), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
        }
    };
    apply(unmark, markFormat(false));
    apply(joined, markFormat(true));
    cursor.endEditBlock();
}

// The text the whole-word find searches: the document's characters at their own positions.
QString searchText(const QTextEdit* box) {
    return box->document()->toRawText();
}

// The box's text as the user sees it: only paragraph breaks become line feeds, while no-break
// spaces and line separators stay what they are.
QString plainText(const QTextEdit* box) {
    QString text = box->document()->toRawText();
    for (QChar& c : text) {
        if (analysis::IsParagraphBreak(c.unicode()))
            c = QLatin1Char('\n');
    }
    return text;
}

} // namespace

void frmMain::cmdAnalyze_Click() {
    // Save first; the outcome does not matter, a refused save is analysed all the same.
    analysisRunning_ = true;
    cmdSave_Click();
    analysisRunning_ = false;

    // No result is left from the last analysis; the editor's whole text is selected. Its
    // old marks are switched off below, in the same edit that sets the new ones.
    lvKeywords->clear();
    rtbJournalText->selectAll();

    // The analysis view shows the plain text from its top. It is given the format of its
    // cursor, which is made plain first, so no mark can reach the view.
    rtbJournalText1->moveCursor(QTextCursor::Start);
    rtbJournalText1->setCurrentCharFormat(QTextCharFormat());
    rtbJournalText1->setPlainText(plainText(rtbJournalText));

    // The dictionary as it is now, in its own order. A dictionary that cannot be re-read
    // gives an empty list.
    QStringList keywords;
    QStringList descriptions;
    const modDB::RecordsetPtr& rs = modDB::rsKeywords;
    if (rs && rs->Requery()) {
        rs->MoveFirst();
        keywords.reserve(rs->RecordCount());
        descriptions.reserve(rs->RecordCount());
        while (!rs->EOF_()) {
            keywords << rs->Field(QStringLiteral("Keyword")).toString();
            descriptions << rs->Field(QStringLiteral("Description")).toString();
            // A recordset that cannot move on would otherwise keep the loop going for ever.
            if (!rs->MoveNext())
                break;
        }
    }

    // All keywords in one pass over the text rather than one find pass per keyword.
    const analysis::KeywordMatcher matcher(keywords);
    const std::vector<std::vector<qsizetype>> found = matcher.FindAll(searchText(rtbJournalText));
    std::vector<Span> spans;
    QList<QTreeWidgetItem*> items;
    for (qsizetype k = 0; k < keywords.size(); ++k) {
        const std::vector<qsizetype>& positions = found[std::size_t(k)];
        if (positions.empty())
            continue;
        for (qsizetype position : positions)
            spans.push_back({position, position + keywords[k].size()});
        items << new QTreeWidgetItem(QStringList{keywords[k], descriptions[k]});
    }
    remark(rtbJournalText->document(), true, std::move(spans));
    lvKeywords->addTopLevelItems(items);

    BringToFront(Frame3);
}

qint32 frmMain::FindReplace(QTextEdit*& pRTBName, QString& pstrReplaceThis) {
    if (pRTBName == nullptr || pstrReplaceThis.isEmpty())
        return 0;
    const std::vector<qsizetype> positions =
        analysis::FindWholeWord(searchText(pRTBName), pstrReplaceThis);
    std::vector<Span> spans;
    spans.reserve(positions.size());
    for (qsizetype position : positions)
        spans.push_back({position, position + pstrReplaceThis.size()});
    // Marked through a cursor of its own: the box's selection stays as it was.
    remark(pRTBName->document(), false, std::move(spans));
    return qint32(positions.size());
}

void frmMain::cmdBackToDreamDictionary_Click() {
    BringToFront(Frame4);
}
