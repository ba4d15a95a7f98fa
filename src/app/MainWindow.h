#pragma once

// The main window: the journal tree on the left and, on the right, a stack of five panels of
// which one is in front (home, journal, analysis, dictionary, About). It composes the panels,
// owns the menus and the stack, and connects what each panel asks for.

#include <QDate>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class AboutPanel;
class AnalysisPanel;
class DictionaryPanel;
class HomePanel;
class JournalEditor;
class JournalStore;
class JournalTree;
class KeywordStore;
class PanelStack;
class QSplitter;
class SearchWindow;
class Settings;
class SymbolsWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    struct Services {
        JournalStore& journal;
        KeywordStore& dictionary;
        Settings& settings;
        std::function<QDate()> today;
        // The program's data files, which are never taken as an update.
        QStringList dataFiles;
    };
    explicit MainWindow(const Services& services, QWidget* parent = nullptr);

    // Fills the tree and the keyword list, says once when changes cannot be saved, runs the
    // software-update reminder and ends on the home panel.
    void start();
    // Closes without the question about unsaved changes: the program's own ending after a start
    // it refused, when nothing can have been typed.
    void closeWithoutAsking();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createJournalMenu();
    void restoreJournal();
    void refreshJournalWindows();
    void showSearch();
    void showSymbols();
    void openEntry(qint64 id);
    void connectPanels();
    void openNode(const QString& key);
    void startNewEntry();
    void analyze();
    void runImport();
    void checkUpdateReminder();
    // Shortcuts with no menu item: a new entry and the zoom of the text.
    void createShortcuts();
    void setTextZoom(int zoom);
    // The size, place, splitter and zoom of the last session, and keeping them for the next.
    void restoreWindowState();
    void saveWindowState();

    Services services_;
    JournalTree* tree_;
    PanelStack* panels_;
    HomePanel* home_;
    JournalEditor* editor_;
    AnalysisPanel* analysis_;
    DictionaryPanel* dictionary_;
    AboutPanel* about_;
    QSplitter* splitter_ = nullptr;
    int zoom_ = 0;
    // The windows that look across the journal: one each, made when first asked for.
    QPointer<SearchWindow> search_;
    QPointer<SymbolsWindow> symbols_;
    bool openingNode_ = false;
    bool askBeforeClosing_ = true;
    bool closed_ = false;
};
