#include "search/SearchWindow.h"

#include "gui/LiveView.h"
#include "gui/RowsModel.h"
#include "gui/Widgets.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

QVariant spanValue(const std::optional<TextSpan>& span) {
    return span ? QVariant(QPoint(int(span->begin), int(span->end))) : QVariant();
}

// Draws `text` on one line in `rect`, the part `hit` (a QPoint of begin and end, or nothing) in
// bold, and cut with an ellipsis where it does not fit.
void drawMarked(QPainter* painter, QRect rect, const QString& text, const QVariant& hit,
                const QFont& font) {
    QFont bold = font;
    bold.setBold(true);
    QString parts[3] = {text, QString(), QString()};
    if (hit.isValid()) {
        const QPoint span = hit.toPoint();
        parts[0] = text.left(span.x());
        parts[1] = text.mid(span.x(), span.y() - span.x());
        parts[2] = text.mid(span.y());
    }
    int x = rect.left();
    for (int i = 0; i < 3 && x < rect.right(); ++i) {
        const QFont& partFont = i == 1 ? bold : font;
        const QFontMetrics metrics(partFont);
        const QString shown = metrics.elidedText(parts[i], Qt::ElideRight, rect.right() - x);
        painter->setFont(partFont);
        painter->drawText(QRect(x, rect.top(), rect.right() - x, rect.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        x += metrics.horizontalAdvance(shown);
        if (shown != parts[i])
            break;
    }
}

// Each result on two lines: the name (hit in bold) with the date at the right, then the snippet.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const int line = option.fontMetrics.height();
        return {option.rect.width(), 2 * line + line / 2 + 6};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        const QWidget* view = option.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, view);

        painter->save();
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QPalette::ColorRole textRole = selected ? QPalette::HighlightedText : QPalette::Text;
        const QRect area = option.rect.adjusted(6, 3, -6, -3);
        const int line = option.fontMetrics.height();

        const QString date = index.data(SearchWindow::DateRole).toString();
        const int dateWidth = option.fontMetrics.horizontalAdvance(date) + 12;
        QColor dateColor = option.palette.color(textRole);
        if (!selected)
            dateColor.setAlphaF(0.7f);
        painter->setPen(dateColor);
        painter->setFont(option.font);
        painter->drawText(QRect(area.left(), area.top(), area.width(), line),
                          Qt::AlignRight | Qt::AlignVCenter, date);

        painter->setPen(option.palette.color(textRole));
        drawMarked(painter, QRect(area.left(), area.top(), area.width() - dateWidth, line),
                   index.data(SearchWindow::NameRole).toString(),
                   index.data(SearchWindow::NameHitRole), option.font);
        QColor snippetColor = option.palette.color(textRole);
        if (!selected)
            snippetColor.setAlphaF(0.85f);
        painter->setPen(snippetColor);
        drawMarked(
            painter,
            QRect(area.left() + 12, area.top() + line + line / 2 - 2, area.width() - 12, line),
            index.data(SearchWindow::SnippetRole).toString(),
            index.data(SearchWindow::SnippetHitRole), option.font);
        painter->restore();
    }
};

} // namespace

// The results; only the rows in view are ever painted, so a query that finds every entry
// costs no more on screen than one that finds a few.
class SearchResultsModel : public RowsModel<SearchHit, QAbstractListModel> {
public:
    using RowsModel::RowsModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const SearchHit* found = rowAt(index);
        if (found == nullptr)
            return {};
        const SearchHit& hit = *found;
        const JournalEntry& entry = hit.entry();
        switch (role) {
        case Qt::DisplayRole:
            return QStringLiteral("%1 (%2)\n%3")
                .arg(entry.name, displayDate(entry), snippetOf(hit).text);
        case Qt::ToolTipRole:
        case SearchWindow::NameRole:
            return entry.name;
        case SearchWindow::EntryIdRole:
            return entry.id;
        case SearchWindow::NameHitRole:
            return spanValue(hit.nameHit);
        case SearchWindow::DateRole:
            return displayDate(entry);
        case SearchWindow::SnippetRole:
            return snippetOf(hit).text;
        case SearchWindow::SnippetHitRole:
            return spanValue(snippetOf(hit).hit);
        default:
            return {};
        }
    }
};

SearchWindow::SearchWindow(JournalStore& journal, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , search_(journal)
    , query_(named(new QLineEdit, "txtFind"))
    , results_(named(new QListView, "lvResults"))
    , model_(new SearchResultsModel(this))
    , note_(makeViewNote("lblNoResults")) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(tr("Search Journal"));
    setFont(windowFont());
    resize(560, 480);

    auto* findLabel = makeLabel(tr("&Find:"), "lblFind");
    findLabel->setBuddy(query_);
    query_->setPlaceholderText(tr("A word or a phrase"));
    query_->setClearButtonEnabled(true);
    query_->installEventFilter(this);

    results_->setModel(model_);
    results_->setItemDelegate(new ResultDelegate(results_));
    results_->setUniformItemSizes(true);
    results_->setSelectionMode(QAbstractItemView::SingleSelection);
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(findLabel);
    top->addWidget(query_, 1);
    auto* place = new QWidget;
    place_ = new QStackedLayout(place);
    place_->addWidget(results_);
    place_->addWidget(note_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(place, 1);

    connect(query_, &QLineEdit::textChanged, this, &SearchWindow::search);
    connect(query_, &QLineEdit::returnPressed, this, &SearchWindow::openCurrent);
    connect(results_, &QListView::activated, this, [this](const QModelIndex& index) {
        Q_EMIT entryRequested(index.data(SearchWindow::EntryIdRole).toLongLong());
    });
    // Changes made elsewhere show while the window is open; an unchanged journal costs one query.
    keepCurrent(this, [this] { refresh(); });
    search();
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::focusQuery() {
    query_->setFocus();
    query_->selectAll();
}

void SearchWindow::refresh() {
    // An unchanged journal keeps the results as they are, scrolled where the user left them.
    if (const Result<bool> changed = search_.refresh(); changed && !*changed)
        return;
    const qint64 selected = results_->currentIndex().data(SearchWindow::EntryIdRole).toLongLong();
    search();
    for (int row = 0; selected != 0 && row < model_->rowCount(); ++row) {
        if (model_->index(row).data(SearchWindow::EntryIdRole).toLongLong() == selected) {
            results_->setCurrentIndex(model_->index(row));
            break;
        }
    }
}

void SearchWindow::search() {
    const QString query = query_->text();
    Result<std::vector<SearchHit>> hits = search_.find(query);
    if (!hits) {
        model_->setRows({});
        note_->setText(tr("The journal could not be read.\n%1").arg(hits.errorMessage()));
    } else {
        const bool none = hits->empty();
        model_->setRows(std::move(*hits));
        if (query.isEmpty())
            note_->setText(tr("Type a word or a phrase to find the entries that hold it."));
        else if (!SearchQuery(query).isSearchable())
            note_->setText(tr("Nothing found: the search needs a word, not only spaces or "
                              "punctuation."));
        else if (none)
            note_->setText(tr("No entry holds \u201c%1\u201d.").arg(query.trimmed()));
    }
    place_->setCurrentWidget(model_->rowCount() > 0 ? static_cast<QWidget*>(results_) : note_);
    if (model_->rowCount() > 0 && !results_->currentIndex().isValid())
        results_->setCurrentIndex(model_->index(0));
}

void SearchWindow::openCurrent() {
    const QModelIndex current = results_->currentIndex();
    if (current.isValid())
        Q_EMIT entryRequested(current.data(SearchWindow::EntryIdRole).toLongLong());
}

bool SearchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Up and down in the search box walk the results, so the hands stay on the keyboard.
    if (watched == query_ && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up ||
                              key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp)) {
        QApplication::sendEvent(results_, event);
        return true;
    }
    if (watched == results_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        openCurrent();
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
