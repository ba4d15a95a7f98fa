// The dream analysis: every dictionary keyword found in the entry, listed and marked.

#include "analysis/KeywordMatcher.h"
#include "app/frmMain.h"
#include "data/modDB.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
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

// Switches the mark on over every span. Overlapping spans (a phrase and a word inside it) are
// joined first, and all of it is one edit: one undo step and one relayout, however many marks.
void markSpans(QTextDocument* document, std::vector<Span> spans) {
    if (spans.empty())
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
    const QTextCharFormat bold = markFormat(true);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (const Span& span : joined) {
        cursor.setPosition(int(span.begin));
        cursor.setPosition(int(span.end), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(bold);
    }
    cursor.endEditBlock();
}

// Selects the box's whole text and switches the mark off for it.
void selectAllUnmarked(QTextEdit* box) {
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(markFormat(false));
    box->setTextCursor(cursor);
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

void emptyClipboard() {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

} // namespace

void frmMain::cmdAnalyze_Click() {
    // 1: save first; the outcome does not matter, a refused save is analysed all the same.
    analysisRunning_ = true;
    cmdSave_Click();
    analysisRunning_ = false;

    // 2, 3: no result and no mark is left from the last analysis; the editor's text is selected.
    lvKeywords->clear();
    selectAllUnmarked(rtbJournalText);

    // 4, 5: the analysis view shows the plain text, without marks or a selection.
    rtbJournalText1->setPlainText(plainText(rtbJournalText));
    {
        QTextCursor all(rtbJournalText1->document());
        all.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        all.mergeCharFormat(markFormat(false));
    }

    // 6, 7: the dictionary as it is now, in its own order. A dictionary that cannot be re-read
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
    markSpans(rtbJournalText->document(), std::move(spans));
    lvKeywords->addTopLevelItems(items);

    // 8
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
    markSpans(pRTBName->document(), std::move(spans));
    return qint32(positions.size());
}

void frmMain::cmdBackToDreamDictionary_Click() {
    BringToFront(Frame4);
}

// The analysis view is for reading only: whatever is done in it leaves the clipboard empty.
void frmMain::rtbJournalText1_Change() {
    emptyClipboard();
}

void frmMain::rtbJournalText1_Click() {
    emptyClipboard();
}

void frmMain::rtbJournalText1_MouseDown(int, int, float, float) {
    emptyClipboard();
}

void frmMain::rtbJournalText1_MouseMove(int, int, float, float) {
    emptyClipboard();
}

void frmMain::rtbJournalText1_MouseUp(int, int, float, float) {
    emptyClipboard();
}
