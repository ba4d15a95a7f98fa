// The main window's controls and layout. Sizes follow the original 744 x 386 design; layouts let
// the panels grow with the window.

#include "app/frmMain.h"
#include "journal/TreeIcons.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Twips to pixels at 96 dots per inch.
constexpr int px(int twips) {
    return twips / 15;
}

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton* button(const QString& caption, const char* name) {
    return named(new QPushButton(caption), name);
}

QLabel* label(const QString& text, const char* name) {
    return named(new QLabel(text), name);
}

QGroupBox* panel(const QString& caption, const char* name) {
    return named(new QGroupBox(caption), name);
}

// Panel and section captions are bold, the panels' a little larger; everything inside keeps the
// window's normal font. The weight is set explicitly, or children would inherit the bold.
void applyFonts(QGroupBox* panel, const QFont& window) {
    QFont normal = window;
    normal.setWeight(QFont::Normal);
    QFont section = normal;
    section.setBold(true);
    QFont caption = section;
    caption.setPointSizeF(9.75);
    panel->setFont(caption);
    for (QWidget* child : panel->findChildren<QWidget*>())
        child->setFont(qobject_cast<QGroupBox*>(child) != nullptr ? section : normal);
}

QGroupBox* homeSection(const QString& caption, const char* name, QLabel* description,
                       QPushButton* action) {
    auto* box = named(new QGroupBox(caption), name);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    action->setMinimumWidth(px(2400));
    action->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(description, 1);
    layout->addWidget(action, 0, Qt::AlignVCenter);
    return box;
}

// Rows as tall as their wrapped text needs at the column's width: the tree view asks a
// delegate for row heights without telling it how wide the column is.
class WrappingDelegate : public QStyledItemDelegate {
public:
    explicit WrappingDelegate(QTreeView* view)
        : QStyledItemDelegate(view)
        , view_(view) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem wrapped(option);
        wrapped.rect = QRect(0, 0, view_->columnWidth(index.column()), QWIDGETSIZE_MAX);
        return QStyledItemDelegate::sizeHint(wrapped, index);
    }

protected:
    // A keyword beside a long meaning reads best at its first line.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = Qt::AlignLeft | Qt::AlignTop;
    }

private:
    QTreeView* view_;
};

QTreeWidget* reportList(const char* name, const QStringList& headers) {
    auto* list = named(new QTreeWidget, name);
    list->setColumnCount(headers.size());
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(false);
    return list;
}

} // namespace

void frmMain::createMenus() {
    mnuFile = named(menuBar()->addMenu(tr("&File")), "mnuFile");
    mnuImport = named(mnuFile->addAction(QStringLiteral("&Update Dream Dictionary")), "mnuImport");
    mnuFileSep = named(mnuFile->addSeparator(), "mnuFileSep");
    mnuExit1 = named(mnuFile->addAction(QStringLiteral("&Exit")), "mnuExit1");
    mnuImport->setVisible(false);
    mnuFileSep->setVisible(false);

    mnuHelp = named(menuBar()->addMenu(tr("&Help")), "mnuHelp");
    mnuOnline = named(mnuHelp->addAction(QStringLiteral("&Online Help")), "mnuOnline");
    mnuVisit = named(mnuHelp->addAction(QStringLiteral("&Visit Us Online")), "mnuVisit");
    mnuHelpSep1 = named(mnuHelp->addSeparator(), "mnuHelpSep1");
    mnuUpdate =
        named(mnuHelp->addAction(QStringLiteral("Check for Software &Update")), "mnuUpdate");
    mnuHelpSep2 = named(mnuHelp->addSeparator(), "mnuHelpSep2");
    mnuAbout = named(mnuHelp->addAction(QStringLiteral("&About Software")), "mnuAbout");
    mnuHelpSep1->setVisible(false);
    mnuUpdate->setVisible(false);
    mnuHelpSep2->setVisible(false);
}

QGroupBox* frmMain::createHomePanel() {
    Frame1 = panel(QStringLiteral("Oneirion"), "Frame1");
    cmdStartNewJournal = button(QStringLiteral("Start New Journal"), "cmdStartNewJournal");
    cmdDreamDictionary = button(QStringLiteral("Dream Dictionary Database"), "cmdDreamDictionary");
    cmdUpdateDreamDictionary =
        button(QStringLiteral("Update Dream Dictionary"), "cmdUpdateDreamDictionary");
    Label13 = label(
        QStringLiteral("Maintain your own Dream Journal away from prying eyes and get an in-depth "
                       "analysis of what your dreams mean. This is the best thing that could help "
                       "you interpret you dreams and know how they can have an effect on your "
                       "real life."),
        "Label13");
    Label14 = label(
        QStringLiteral("Here is a collection of more than 2000 dream symbols and their meanings. "
                       "This helps you clearly analyze your dreams and draw a more meaningful "
                       "conclusion of the message that your dreams convey."),
        "Label14");
    Label15 = label(
        QStringLiteral("This is an exclusive feature that helps you maintain a personalized Dream "
                       "Dictionary. You can freely add/ delete/ edit meanings to your dream "
                       "dictionary and at the same time upgrade your dream dictionary on a "
                       "regular basis."),
        "Label15");
    Frame6 =
        homeSection(QStringLiteral("Start New Journal"), "Frame6", Label13, cmdStartNewJournal);
    Frame7 = homeSection(QStringLiteral("Dream Dictionary Database"), "Frame7", Label14,
                         cmdDreamDictionary);
    Frame8 = homeSection(QStringLiteral("Update Dream Dictionary"), "Frame8", Label15,
                         cmdUpdateDreamDictionary);
    auto* layout = new QVBoxLayout(Frame1);
    layout->addWidget(Frame6);
    layout->addWidget(Frame7);
    layout->addWidget(Frame8);
    return Frame1;
}

QGroupBox* frmMain::createJournalPanel() {
    Frame2 = panel(QStringLiteral("Start New Journal"), "Frame2");
    Label1 = label(QStringLiteral("Journal Name: "), "Label1");
    txtJournalName = named(new QLineEdit, "txtJournalName");
    Label2 = label(QStringLiteral("Journal Date:"), "Label2");
    cboMonth = named(new QComboBox, "cboMonth");
    cboDate = named(new QComboBox, "cboDate");
    cboYear = named(new QComboBox, "cboYear");
    rtbJournalText = named(new QTextEdit, "rtbJournalText");
    rtbJournalText->setAcceptRichText(false);
    rtbJournalText->setTabChangesFocus(false);
    cmdPrint = button(QStringLiteral("&Print"), "cmdPrint");
    cmdCancel = button(QStringLiteral("&Cancel"), "cmdCancel");
    cmdDelete = button(QStringLiteral("&Delete Journal"), "cmdDelete");
    cmdSave = button(QStringLiteral("S&ave/Update Journal"), "cmdSave");
    cmdAnalyze = button(QStringLiteral("&Analyze This Dream"), "cmdAnalyze");
    cmdBack[1] = button(QStringLiteral("&Back To Main"), "cmdBack_1");
    Label1->setBuddy(txtJournalName);
    Label2->setBuddy(cboMonth);

    auto* date = new QHBoxLayout;
    date->addWidget(cboMonth, 3);
    date->addWidget(cboDate, 1);
    date->addWidget(cboYear, 2);
    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txtJournalName, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addLayout(date, 1, 1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdSave, cmdAnalyze, cmdPrint, cmdDelete, cmdCancel})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdBack[1]);
    auto* body = new QHBoxLayout;
    body->addWidget(rtbJournalText, 1);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(Frame2);
    layout->addLayout(fields);
    layout->addLayout(body, 1);
    return Frame2;
}

QGroupBox* frmMain::createAnalysisPanel() {
    Frame3 = panel(QStringLiteral("Dream Analysis"), "Frame3");
    rtbJournalText1 = named(new QTextEdit, "rtbJournalText1");
    rtbJournalText1->setReadOnly(true);
    rtbJournalText1->setAcceptRichText(false);
    // The analysis view is for reading, not for copying. With no selection possible, no key,
    // menu, drag or X11 selection can take text from it, and nobody's clipboard is touched.
    rtbJournalText1->setTextInteractionFlags(Qt::NoTextInteraction);
    rtbJournalText1->setContextMenuPolicy(Qt::NoContextMenu);
    rtbJournalText1->setAcceptDrops(false);
    lvKeywords = reportList("lvKeywords", {QStringLiteral("Keywords"), QStringLiteral("Meaning")});
    lvKeywords->setColumnWidth(0, px(2540));
    // Meanings are sentences: let them wrap onto more lines within their column.
    lvKeywords->setWordWrap(true);
    lvKeywords->setUniformRowHeights(false);
    lvKeywords->setItemDelegate(new WrappingDelegate(lvKeywords));
    cmdBackToDreamDictionary =
        button(QStringLiteral("Back To D&ream Dictionary"), "cmdBackToDreamDictionary");
    cmdBackToDream[0] = button(QStringLiteral("Back To &Dream"), "cmdBackToDream_0");
    cmdBack[0] = button(QStringLiteral("&Back To Main"), "cmdBack_0");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdBackToDreamDictionary);
    buttons->addWidget(cmdBackToDream[0]);
    buttons->addWidget(cmdBack[0]);
    auto* layout = new QVBoxLayout(Frame3);
    layout->addWidget(rtbJournalText1, 2);
    layout->addWidget(lvKeywords, 3);
    layout->addLayout(buttons);
    return Frame3;
}

QGroupBox* frmMain::createDictionaryPanel() {
    Frame4 = panel(QStringLiteral("Dream Dictionary Database"), "Frame4");
    Label6 = label(QStringLiteral("Enter Search String"), "Label6");
    txtSearch = named(new QLineEdit, "txtSearch");
    txtSearch->setClearButtonEnabled(true);
    cmdSearch = button(QStringLiteral("&Search"), "cmdSearch");
    lstKeywords = named(new QListWidget, "lstKeywords");
    lstKeywords->setUniformItemSizes(true);
    Label4 = label(QStringLiteral("Name: "), "Label4");
    txtKeyword = named(new QLineEdit, "txtKeyword");
    Label3 = label(QStringLiteral("Description"), "Label3");
    txtKeywordDesc = named(new QPlainTextEdit, "txtKeywordDesc");
    txtKeywordDesc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cmdAddKeyword = button(QStringLiteral("&Add"), "cmdAddKeyword");
    cmdUpdateKeyword = button(QStringLiteral("&Edit"), "cmdUpdateKeyword");
    cmdDeleteKeyword = button(QStringLiteral("&Delete"), "cmdDeleteKeyword");
    cmdBackToDream[3] = button(QStringLiteral("Back To &Dream"), "cmdBackToDream_3");
    cmdBack[2] = button(QStringLiteral("&Back To Main"), "cmdBack_2");
    Label6->setBuddy(txtSearch);
    Label4->setBuddy(txtKeyword);
    Label3->setBuddy(txtKeywordDesc);

    auto* search = new QHBoxLayout;
    search->addWidget(txtSearch, 1);
    search->addWidget(cmdSearch);
    auto* left = new QVBoxLayout;
    left->addWidget(Label6);
    left->addLayout(search);
    left->addWidget(lstKeywords, 1);

    auto* name = new QHBoxLayout;
    name->addWidget(Label4);
    name->addWidget(txtKeyword, 1);
    auto* edit = new QHBoxLayout;
    edit->addWidget(cmdAddKeyword);
    edit->addWidget(cmdUpdateKeyword);
    edit->addWidget(cmdDeleteKeyword);
    auto* back = new QHBoxLayout;
    back->addStretch(1);
    back->addWidget(cmdBackToDream[3]);
    back->addWidget(cmdBack[2]);
    auto* right = new QVBoxLayout;
    right->addLayout(name);
    right->addWidget(Label3);
    right->addWidget(txtKeywordDesc, 1);
    right->addLayout(edit);
    right->addLayout(back);

    auto* layout = new QHBoxLayout(Frame4);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);
    return Frame4;
}

QGroupBox* frmMain::createAboutPanel() {
    fraAbout = panel(QStringLiteral("About Software"), "fraAbout");
    Label16 = label(QStringLiteral("Oneirion v1.0"), "Label16");
    Label17 = label(
        QStringLiteral("Oneirion is a comprehensive dream journal cum database software. This "
                       "software helps you record your dreams and also interprets the dream "
                       "symbols for you. You also have the option to maintain your own "
                       "personalized database of dream meanings."),
        "Label17");
    cmdOK = button(QStringLiteral("&OK"), "cmdOK");
    Label17->setWordWrap(true);
    auto* icon = new QLabel;
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));

    auto* heading = new QHBoxLayout;
    heading->addWidget(icon);
    heading->addWidget(Label16, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(fraAbout);
    layout->addLayout(heading);
    layout->addWidget(Label17);
    layout->addStretch(1);
    layout->addLayout(buttons);
    return fraAbout;
}

void frmMain::createHiddenControls() {
    cmdNewJournal = button(QStringLiteral("Start &New Journal"), "cmdNewJournal");
    cmdRefresh = button(QStringLiteral("&Refresh"), "cmdRefresh");
    cmdAdd = button(QStringLiteral("Add &New Keyword"), "cmdAdd");
    Command1 = button(QStringLiteral("Update Dream Dictionary"), "Command1");
    cmdKeywordEditor = button(QStringLiteral("Keyword Editor"), "cmdKeywordEditor");
    cmdNav[1] = button(QStringLiteral("Exit"), "cmdNav_1");
    cmdKeywordEditor->setEnabled(false);
    for (QPushButton* b :
         {cmdNewJournal, cmdRefresh, cmdAdd, Command1, cmdKeywordEditor, cmdNav[1]}) {
        b->setParent(centralWidget());
        b->hide();
    }
}

void frmMain::createControls() {
    auto* central = named(new QWidget, "frmMainClient");
    setCentralWidget(central);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.25);
    setFont(font);

    tvDreams = named(new QTreeWidget, "tvDreams");
    tvDreams->setHeaderHidden(true);
    tvDreams->setIconSize(QSize(20, 20));
    tvDreams->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long entry names scroll sideways rather than being cut short.
    tvDreams->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tvDreams->header()->setStretchLastSection(false);
    Check1 = button(QStringLiteral("Arrange by Name"), "Check1");
    Check1->setCheckable(true);
    Check1->setFixedHeight(px(495));
    ImageList1 = DreamTreeImages();

    panelStack_ = named(new QStackedWidget, "panelStack");
    for (QGroupBox* p : {createHomePanel(), createJournalPanel(), createAnalysisPanel(),
                         createDictionaryPanel(), createAboutPanel()}) {
        applyFonts(p, font);
        panelStack_->addWidget(p);
        panelOrder_.append(p);
    }
    QFont title = font;
    title.setPointSizeF(14);
    title.setBold(true);
    Label16->setFont(title);

    auto* left = new QVBoxLayout;
    left->setSpacing(px(105));
    left->addWidget(tvDreams, 1);
    left->addWidget(Check1);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(px(45));
    layout->addLayout(left, 2595);
    layout->addWidget(panelStack_, 8500);
    tvDreams->setMinimumWidth(px(2595));
    central->setMinimumSize(px(11160), px(5790));

    createHiddenControls();
}
