#include "app/MainWindow.h"

#include "analysis/AnalysisPanel.h"
#include "app/PanelStack.h"
#include "app/WebPages.h"
#include "core/JournalStore.h"
#include "core/KeywordStore.h"
#include "core/Settings.h"
#include "core/UpdateReminder.h"
#include "dictionary/DictionaryPanel.h"
#include "export/BackupRestore.h"
#include "export/ExportDialog.h"
#include "gui/FileDialog.h"
#include "gui/MessageBox.h"
#include "gui/Widgets.h"
#include "home/AboutPanel.h"
#include "home/HomePanel.h"
#include "journal/JournalEditor.h"
#include "journal/JournalTree.h"
#include "search/SearchWindow.h"
#include "symbols/SymbolsWindow.h"
#include "update_import/ImportDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>

namespace {

const QString kLastUpdate = QStringLiteral("LastUpdate");
const QString kGeometry = QStringLiteral("WindowGeometry");
const QString kMaximized = QStringLiteral("WindowMaximized");
const QString kSplitter = QStringLiteral("SplitterState");
const QString kZoom = QStringLiteral("TextZoom");

} // namespace

MainWindow::MainWindow(const Services& services, QWidget* parent)
    : QMainWindow(parent)
    , services_(services)
    , tree_(named(new JournalTree(services.journal), "journalTree"))
    , panels_(named(new PanelStack, "panelStack"))
    , home_(new HomePanel)
    , editor_(new JournalEditor(services.journal, services.today))
    , analysis_(new AnalysisPanel(services.dictionary))
    , dictionary_(new DictionaryPanel(services.dictionary))
    , about_(new AboutPanel) {
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Oneirion v%1").arg(QStringLiteral(ONEIRION_VERSION)));
    setFont(windowFont());

    auto* central = named(new QWidget, "frmMainClient");
    setCentralWidget(central);
    for (QWidget* panel :
         std::initializer_list<QWidget*>{home_, editor_, analysis_, dictionary_, about_})
        panels_->add(panel);
    // The user decides how much of the width the tree takes.
    splitter_ = named(new QSplitter(Qt::Horizontal), "splitterMain");
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(tree_);
    splitter_->addWidget(panels_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(central);
    const int margin = layout->contentsMargins().left() / 2;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(splitter_);

    // Kept off the layout: an exit button, and an editor button that is never offered.
    auto* exit = makeButton(tr("Exit"), "cmdNav_1");
    auto* keywordEditor = makeButton(tr("Keyword Editor"), "cmdKeywordEditor");
    keywordEditor->setEnabled(false);
    for (QPushButton* hidden : {exit, keywordEditor}) {
        hidden->setParent(central);
        hidden->hide();
    }
    connect(exit, &QPushButton::clicked, this, &MainWindow::close);

    createMenus();
    connectPanels();
    createShortcuts();
    restoreWindowState();
}

void MainWindow::createShortcuts() {
    auto add = [this](const QList<QKeySequence>& keys, auto act) {
        for (const QKeySequence& key : keys)
            connect(new QShortcut(key, this), &QShortcut::activated, this, act);
    };
    add({QKeySequence::New}, [this] { startNewEntry(); });
    // Ctrl+= as well: on many keyboards "+" needs Shift.
    add({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [this] { setTextZoom(zoom_ + 1); });
    add({QKeySequence::ZoomOut}, [this] { setTextZoom(zoom_ - 1); });
    add({QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { setTextZoom(0); });
}

void MainWindow::setTextZoom(int zoom) {
    zoom_ = boundedZoom(zoom);
    editor_->setTextZoom(zoom_);
    analysis_->setTextZoom(zoom_);
}

void MainWindow::restoreWindowState() {
    // The primary screen first: a window on no screen goes there.
    QList<QRect> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr)
        screens << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            screens << screen->availableGeometry();
    }
    QRect wanted = services_.settings.value(kGeometry).toRect();
    if (!wanted.isValid()) {
        // Comfortable for the content, and never more than most of the screen.
        const QRect screen = screens.value(0, QRect(0, 0, 1280, 800));
        const QSize size =
            QSize(1040, 680).boundedTo(screen.size() * 0.92).expandedTo(minimumSizeHint());
        wanted = QRect(QPoint(), size);
        wanted.moveCenter(screen.center());
    }
    setGeometry(placeOnScreens(wanted, screens));
    if (services_.settings.value(kMaximized).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
    if (!splitter_->restoreState(services_.settings.value(kSplitter).toByteArray()))
        splitter_->setSizes({tree_->sizeHint().width(), width() - tree_->sizeHint().width()});
    setTextZoom(services_.settings.value(kZoom).toInt());
}

void MainWindow::saveWindowState() {
    // A store that cannot be written only costs the next start its remembered layout.
    static_cast<void>(services_.settings.setValue(kGeometry, normalGeometry()));
    static_cast<void>(services_.settings.setValue(kMaximized, isMaximized()));
    static_cast<void>(services_.settings.setValue(kSplitter, splitter_->saveState()));
    static_cast<void>(services_.settings.setValue(kZoom, zoom_));
}

void MainWindow::createMenus() {
    QMenu* file = named(menuBar()->addMenu(tr("&File")), "mnuFile");
    QAction* import = named(file->addAction(tr("&Update Dream Dictionary")), "mnuImport");
    QAction* fileSeparator = named(file->addSeparator(), "mnuFileSep");
    QAction* exit = named(file->addAction(tr("&Exit")), "mnuExit1");
    exit->setShortcut(QKeySequence::Quit);
    import->setVisible(false);
    fileSeparator->setVisible(false);

    createJournalMenu();

    QMenu* help = named(menuBar()->addMenu(tr("&Help")), "mnuHelp");
    QAction* online = named(help->addAction(tr("&Online Help")), "mnuOnline");
    online->setShortcut(QKeySequence::HelpContents);
    QAction* visit = named(help->addAction(tr("&Visit Us Online")), "mnuVisit");
    QAction* helpSeparator1 = named(help->addSeparator(), "mnuHelpSep1");
    QAction* update = named(help->addAction(tr("Check for Software &Update")), "mnuUpdate");
    QAction* helpSeparator2 = named(help->addSeparator(), "mnuHelpSep2");
    QAction* about = named(help->addAction(tr("&About Software")), "mnuAbout");
    for (QAction* hidden : {helpSeparator1, update, helpSeparator2})
        hidden->setVisible(false);

    connect(import, &QAction::triggered, this, &MainWindow::runImport);
    connect(exit, &QAction::triggered, this, &MainWindow::close);
    connect(online, &QAction::triggered, this, [] { WebPages::open(WebPages::Page::OnlineHelp); });
    connect(visit, &QAction::triggered, this, [] { WebPages::open(WebPages::Page::Home); });
    connect(update, &QAction::triggered, this, [] { WebPages::open(WebPages::Page::Download); });
    connect(about, &QAction::triggered, this, [this] { panels_->bringToFront(about_); });
}

void MainWindow::createJournalMenu() {
    QMenu* journal = named(menuBar()->addMenu(tr("&Journal")), "mnuJournal");
    QAction* search = named(journal->addAction(tr("&Search Journal...")), "mnuSearchJournal");
    search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    QAction* symbols = named(journal->addAction(tr("Recurring &Symbols...")), "mnuSymbols");
    named(journal->addSeparator(), "mnuJournalSep1");
    QAction* exportJournal = named(journal->addAction(tr("&Export Journal...")), "mnuExport");
    QAction* backUp = named(journal->addAction(tr("&Back Up Journal...")), "mnuBackup");
    QAction* restore = named(journal->addAction(tr("&Restore Journal...")), "mnuRestore");
    connect(search, &QAction::triggered, this, &MainWindow::showSearch);
    connect(symbols, &QAction::triggered, this, &MainWindow::showSymbols);
    connect(exportJournal, &QAction::triggered, this, [this] {
        ExportDialog dialog(services_.journal, services_.dictionary, services_.today(),
                            services_.dataFiles, this);
        dialog.exec();
    });
    connect(backUp, &QAction::triggered, this, [this] {
        BackupRestore::backUp(this, services_.journal, services_.today(), services_.dataFiles);
    });
    connect(restore, &QAction::triggered, this, &MainWindow::restoreJournal);
}

void MainWindow::restoreJournal() {
    const QDateTime now(services_.today(), QTime::currentTime());
    if (!BackupRestore::restore(this, services_.journal, now,
                                [this] { return editor_->maybeSave(); }))
        return;
    // Nothing the editor or the tree showed is in the journal any more.
    editor_->closeEntry();
    tree_->reload();
    tree_->setOpenNode(QString());
    panels_->bringToFront(editor_);
    refreshJournalWindows();
}

void MainWindow::refreshJournalWindows() {
    // The windows across the journal show a save, a delete or a restore at once.
    if (search_)
        search_->refresh();
    if (symbols_)
        symbols_->refresh();
}

namespace {

void bringUp(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void MainWindow::showSearch() {
    if (!search_) {
        search_ = new SearchWindow(services_.journal, this);
        connect(search_, &SearchWindow::entryRequested, this, &MainWindow::openEntry);
    }
    bringUp(search_);
    search_->focusQuery();
}

void MainWindow::showSymbols() {
    if (!symbols_) {
        symbols_ = new SymbolsWindow(services_.journal, services_.dictionary, this);
        connect(symbols_, &SymbolsWindow::entryRequested, this, &MainWindow::openEntry);
    }
    bringUp(symbols_);
}

void MainWindow::openEntry(qint64 id) {
    // As a click on its node in the tree: the question about unsaved changes comes first.
    openNode(JournalTree::entryKey(id));
    bringUp(this);
}

void MainWindow::connectPanels() {
    auto show = [this](QWidget* panel) { return [this, panel] { panels_->bringToFront(panel); }; };
    // Every back button, on whichever panel, first settles a keyword still being added.
    auto back = [this](QWidget* panel) {
        return [this, panel] {
            if (!dictionary_->settlePendingAdd())
                panels_->bringToFront(panel);
        };
    };

    connect(tree_, &JournalTree::nodeActivated, this, &MainWindow::openNode);
    connect(tree_, &JournalTree::deletePressed, editor_, &JournalEditor::removeShownEntry);
    connect(tree_, &JournalTree::readFailed, this, [this](const QString& reason) {
        MessageBox::critical(this, tr("The Journal Could Not Be Read\n%1").arg(reason));
    });

    connect(home_, &HomePanel::startNewJournalRequested, this, &MainWindow::startNewEntry);
    connect(home_, &HomePanel::dictionaryRequested, this, show(dictionary_));
    connect(home_, &HomePanel::importRequested, this, &MainWindow::runImport);

    connect(editor_, &JournalEditor::entryStored, this, [this](qint64 id, bool placeChanged) {
        if (placeChanged)
            tree_->reload();
        tree_->setOpenNode(JournalTree::entryKey(id), true);
    });
    connect(editor_, &JournalEditor::entryRemoved, tree_, &JournalTree::reloadAfterRemoving);
    connect(editor_, &JournalEditor::entryStored, this, &MainWindow::refreshJournalWindows);
    connect(editor_, &JournalEditor::entryRemoved, this, &MainWindow::refreshJournalWindows);
    connect(editor_, &JournalEditor::entryClosed, this, [this] { tree_->setOpenNode(QString()); });
    connect(editor_, &JournalEditor::textShown, analysis_, &AnalysisPanel::showText);
    connect(editor_, &JournalEditor::editingEnabled, analysis_, &AnalysisPanel::setViewEnabled);
    connect(editor_, &JournalEditor::analyzeRequested, this, &MainWindow::analyze);
    connect(editor_, &JournalEditor::backRequested, this, back(home_));
    connect(editor_, &JournalEditor::attentionNeeded, this, show(editor_));

    connect(analysis_, &AnalysisPanel::dictionaryRequested, this, show(dictionary_));
    connect(analysis_, &AnalysisPanel::journalRequested, this, back(editor_));
    connect(analysis_, &AnalysisPanel::homeRequested, this, back(home_));

    connect(dictionary_, &DictionaryPanel::homeRequested, this, back(home_));
    connect(dictionary_, &DictionaryPanel::journalRequested, this, back(editor_));

    connect(about_, &AboutPanel::closeRequested, this, [this] { panels_->sendToBack(about_); });
}

void MainWindow::start() {
    tree_->reload();
    dictionary_->refresh();

    // Said once here; each write that fails later says so again as it happens.
    QStringList readOnly;
    if (services_.journal.isReadOnly())
        readOnly << QDir::toNativeSeparators(services_.journal.path());
    if (services_.dictionary.isReadOnly())
        readOnly << QDir::toNativeSeparators(services_.dictionary.path());
    if (!readOnly.isEmpty()) {
        MessageBox::warning(this, tr("Changes Cannot Be Saved\n%1 can only be read: you can browse "
                                     "your journal and the dictionary, but nothing you change "
                                     "will be stored.")
                                      .arg(readOnly.join(tr(" and "))));
    }
    checkUpdateReminder();
}

void MainWindow::checkUpdateReminder() {
    const QDate today = services_.today();
    const ReminderDecision decision =
        decideUpdateReminder(services_.settings.text(kLastUpdate), today);
    if (decision.ask && MessageBox::question(this, tr("Do You Wish To Update The Software ?"),
                                             MessageBox::Yes | MessageBox::No, MessageBox::Yes,
                                             MessageBox::Icon::Warning) == MessageBox::Yes)
        WebPages::open(WebPages::Page::Download);
    // A store that cannot be written keeps its old date: the next start asks as if this one had
    // not happened, which is all that is lost.
    if (decision.storeToday)
        static_cast<void>(services_.settings.setText(kLastUpdate, today.toString(Qt::ISODate)));
    panels_->bringToFront(home_);
}

void MainWindow::openNode(const QString& key) {
    // A question already open decides first.
    if (openingNode_)
        return;
    // The entry being edited, clicked again: it stays as typed.
    if (key == tree_->openNode() && editor_->isModified()) {
        panels_->bringToFront(editor_);
        return;
    }
    const QScopedValueRollback<bool> opening(openingNode_, true);
    if (!editor_->maybeSave()) {
        // The highlight goes back to what the editor still shows.
        tree_->setOpenNode(tree_->openNode());
        return;
    }
    tree_->setOpenNode(key);
    if (const auto id = JournalTree::entryId(key))
        editor_->showEntry(*id);
    else
        editor_->closeEntry();
    panels_->bringToFront(editor_);
}

void MainWindow::startNewEntry() {
    if (editor_->startNew())
        panels_->bringToFront(editor_);
}

void MainWindow::analyze() {
    // A refused save is analysed all the same.
    editor_->saveForAnalysis();
    editor_->selectAllText();
    // The analysis comes to the front before it marks the editor's text, so the hidden editor
    // lays the text out once, when it is shown again.
    panels_->bringToFront(analysis_);
    editor_->deferLayoutUntilShown();
    if (Status analysed = analysis_->analyze(editor_->document()); !analysed)
        MessageBox::critical(
            this, tr("The Dream Dictionary Could Not Be Read\n%1").arg(analysed.errorMessage()));
}

void MainWindow::runImport() {
    const QString path =
        FileDialog::openFileName(this, QString(), {tr("Oneirion Keywords Update (*.kwu *.udj)")});
    if (path.isEmpty())
        return;
    auto* dialog = new ImportDialog(services_.dictionary, services_.dataFiles, this);
    // A file it refuses closes the window again; the main window stays as it was.
    if (!dialog->load(path))
        return;
    // Modal: the main window takes no input until the import window has gone.
    dialog->exec();
}

void MainWindow::closeWithoutAsking() {
    askBeforeClosing_ = false;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closed_ && askBeforeClosing_ && !editor_->maybeSave()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        saveWindowState();
        WebPages::open(WebPages::Page::ThankYou);
    }
    event->accept();
}
