#include "analysis/AnalysisPanel.h"

#include "core/KeywordFinder.h"
#include "core/KeywordMatcher.h"
#include "gui/EditorText.h"
#include "gui/TextDelegate.h"
#include "gui/Widgets.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

// The keyword mark is bold.
QTextCharFormat markFormat(bool on) {
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    return format;
}

using Span = KeywordFinder::Span;

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

// Switches the mark off where it is on, then on over every span (ordered, apart), all as one
// edit: one undo step and one layout, however many marks. The editor holds plain text, so each
// stretch is given its whole format rather than merged with what it had: the same outcome, at a
// fraction of the cost.
void remark(QTextDocument* document, const std::vector<Span>& spans) {
    const std::vector<Span> unmark = markedSpans(document);
    if (spans.empty() && unmark.empty())
        return;
    const QTextCharFormat plain = markFormat(false);
    QTextCharFormat marked = plain;
    marked.merge(markFormat(true));
    const LayoutPause pause(document);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    auto apply = [&cursor](const std::vector<Span>& where, const QTextCharFormat& format) {
        for (const Span& span : where) {
            cursor.setPosition(int(span.begin));
            cursor.setPosition(int(span.end), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    };
    apply(unmark, plain);
    apply(spans, marked);
    cursor.endEditBlock();
}

// The text as the user sees it: only paragraph breaks become line feeds, while no-break spaces
// and line separators stay what they are.
QString viewText(const QString& rawText) {
    QString text = rawText;
    for (QChar& c : text) {
        if (isParagraphBreak(c.unicode()))
            c = QLatin1Char('\n');
    }
    return text;
}

} // namespace

AnalysisPanel::AnalysisPanel(KeywordStore& store, QWidget* parent)
    : QGroupBox(tr("Dream Analysis"), parent)
    , finder_(std::make_unique<KeywordFinder>(store))
    , view_(named(new QTextEdit, "rtbJournalText1"))
    , found_(named(new QTreeWidget, "lvKeywords")) {
    setObjectName(QStringLiteral("Frame3"));
    view_->setReadOnly(true);
    view_->setAcceptRichText(false);
    // As the keyword description's box: a long text does not reflow when the bar comes, and
    // the text laid out while the panel was hidden fits when it is shown.
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The analysis view is for reading, not for copying. With no selection possible, no key,
    // menu, drag or X11 selection can take text from it, and nobody's clipboard is touched.
    view_->setTextInteractionFlags(Qt::NoTextInteraction);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    view_->setAcceptDrops(false);

    found_->setColumnCount(2);
    found_->setHeaderLabels({tr("Keywords"), tr("Meaning")});
    found_->setRootIsDecorated(false);
    found_->setAlternatingRowColors(true);
    found_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The meaning takes whatever width the keyword leaves, and wraps within it.
    found_->header()->setStretchLastSection(true);
    found_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    found_->setWordWrap(true);
    found_->setUniformRowHeights(false);
    found_->setItemDelegate(new TextDelegate(found_, TextDelegate::Lines::Wrapped));
    // Rows take their new height when the meaning's width changes.
    connect(found_->header(), &QHeaderView::sectionResized, found_,
            [this] { found_->doItemsLayout(); });

    auto* toDictionary = makeButton(tr("Back To D&ream Dictionary"), "cmdBackToDreamDictionary");
    auto* toJournal = makeButton(tr("Back To &Dream"), "cmdBackToDream_0");
    auto* toHome = makeButton(tr("&Back To Main"), "cmdBack_0");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(toDictionary);
    buttons->addWidget(toJournal);
    buttons->addWidget(toHome);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 2);
    layout->addWidget(found_, 3);
    layout->addLayout(buttons);
    applyPanelFonts(this);
    setTextZoom(0);
    applyReadingFont(found_);
    found_->setColumnWidth(0, textWidth(found_, 18));
    limitLineLength(view_, 80);
    setTabChain({view_, found_, toDictionary, toJournal, toHome});
    addButtonShortcut(this, QKeySequence(Qt::Key_Escape), toHome);

    // A keyword picked in the list, by mouse or keyboard, is shown in the text.
    connect(found_, &QTreeWidget::currentItemChanged, this, &AnalysisPanel::showOccurrences);
    connect(found_, &QTreeWidget::itemClicked, this, &AnalysisPanel::showOccurrences);
    connect(view_, &QTextEdit::textChanged, this, [this] { view_->setExtraSelections({}); });
    connect(toDictionary, &QPushButton::clicked, this, &AnalysisPanel::dictionaryRequested);
    connect(toJournal, &QPushButton::clicked, this, &AnalysisPanel::journalRequested);
    connect(toHome, &QPushButton::clicked, this, &AnalysisPanel::homeRequested);
}

AnalysisPanel::~AnalysisPanel() = default;

void AnalysisPanel::setTextZoom(int zoom) {
    applyReadingFont(view_, zoom);
}

void AnalysisPanel::showOccurrences(QTreeWidgetItem* item) {
    QList<QTextEdit::ExtraSelection> marks;
    if (item != nullptr) {
        const QString keyword = item->text(0);
        // The mark of the keyword shown is the palette's own, so it reads on any desktop.
        QTextCharFormat format;
        format.setFontWeight(QFont::Bold);
        format.setBackground(palette().brush(QPalette::Highlight));
        format.setForeground(palette().brush(QPalette::HighlightedText));
        for (const qsizetype position : findWholeWord(view_->document()->toRawText(), keyword)) {
            QTextCursor cursor(view_->document());
            cursor.setPosition(int(position));
            cursor.setPosition(int(position + keyword.size()), QTextCursor::KeepAnchor);
            marks.append({cursor, format});
        }
    }
    view_->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.front().cursor;
        first.clearSelection();
        view_->setTextCursor(first);
        view_->ensureCursorVisible();
    }
}

void AnalysisPanel::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    // A new palette gives the shown keyword its colours again.
    if (event->type() == QEvent::PaletteChange)
        showOccurrences(found_->currentItem());
}

void AnalysisPanel::showText(const QString& text) {
    EditorText::setPlainText(view_, text);
    shown_ = text;
}

void AnalysisPanel::setViewEnabled(bool enabled) {
    view_->setEnabled(enabled);
}

Status AnalysisPanel::analyze(QTextDocument* document) {
    found_->clear();
    // The view shows the plain text from its top, with the format of its cursor made plain
    // first, so no mark can reach it. It mostly shows that text already, from when the entry
    // was opened: laying out a long text again is the slow part, so an unchanged one stays.
    const QString searchText = document->toRawText();
    view_->moveCursor(QTextCursor::Start);
    const QString shown = viewText(searchText);
    if (shown_ != shown)
        showText(shown);

    Result<KeywordFinder::Found> found = finder_->find(searchText);
    if (found) {
        QList<QTreeWidgetItem*> items;
        items.reserve(qsizetype(found->entries.size()));
        for (const KeywordEntry& entry : found->entries)
            items << new QTreeWidgetItem(QStringList{entry.keyword, entry.description});
        found_->addTopLevelItems(items);
    }
    // The old marks go in the same edit that sets the new ones.
    remark(document, found ? found->spans : std::vector<Span>());
    return found.status();
}
