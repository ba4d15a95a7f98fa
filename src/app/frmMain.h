#pragma once

// The main window: the journal tree on the left and, on the right, a stack of five panels of
// which exactly one is in front (home, journal, analysis, dictionary, about). Its handlers are
// defined beside the subsystem they belong to: src/journal, src/dictionary, src/analysis,
// src/update_import and src/shell; this folder holds the window itself and its navigation.

#include "app/CommonDialog.h"

#include <QIcon>
#include <QMainWindow>

#include <array>
#include <map>
#include <optional>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QStackedWidget;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Loads the window (Form_Load) and shows it, unless loading unloaded it again.
    void Show();

    // ---- Controls: left side -------------------------------------------------------------
    QTreeWidget* tvDreams = nullptr;
    QPushButton* Check1 = nullptr; // checkable: checked means arranged by name

    // ---- Panels ---------------------------------------------------------------------------
    QGroupBox* Frame1 = nullptr; // home
    QGroupBox* Frame2 = nullptr; // journal editor
    QGroupBox* Frame3 = nullptr; // dream analysis
    QGroupBox* Frame4 = nullptr; // dream dictionary
    QGroupBox* fraAbout = nullptr;

    // Home panel
    QGroupBox* Frame6 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QGroupBox* Frame8 = nullptr;
    QPushButton* cmdStartNewJournal = nullptr;
    QPushButton* cmdDreamDictionary = nullptr;
    QPushButton* cmdUpdateDreamDictionary = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;

    // Journal panel
    QLabel* Label1 = nullptr;
    QLineEdit* txtJournalName = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboMonth = nullptr;
    QComboBox* cboDate = nullptr;
    QComboBox* cboYear = nullptr;
    QTextEdit* rtbJournalText = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdAnalyze = nullptr;

    // Analysis panel
    QTextEdit* rtbJournalText1 = nullptr;
    QTreeWidget* lvKeywords = nullptr; // column 0 keyword, column 1 meaning
    QPushButton* cmdBackToDreamDictionary = nullptr;

    // Dictionary panel
    QLabel* Label6 = nullptr;
    QLineEdit* txtSearch = nullptr;
    QPushButton* cmdSearch = nullptr;
    QListWidget* lstKeywords = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtKeyword = nullptr;
    QLabel* Label3 = nullptr;
    QPlainTextEdit* txtKeywordDesc = nullptr;
    QPushButton* cmdAddKeyword = nullptr;
    QPushButton* cmdUpdateKeyword = nullptr;
    QPushButton* cmdDeleteKeyword = nullptr;

    // About panel
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QPushButton* cmdOK = nullptr;

    // Control arrays, by element index: cmdBack 0 (analysis), 1 (journal), 2 (dictionary);
    // cmdBackToDream 0 (analysis), 3 (dictionary); cmdNav 1 (exit).
    std::map<int, QPushButton*> cmdBack;
    std::map<int, QPushButton*> cmdBackToDream;
    std::map<int, QPushButton*> cmdNav;

    // Buttons kept off the visible layout; other code runs their click handlers.
    QPushButton* cmdNewJournal = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdKeywordEditor = nullptr;

    // Tree images 1 to 4: root, year, month, entry (ImageList1[0] is image 1).
    QList<QIcon> ImageList1;
    CommonDialog cdlg;

    // ---- Menus ----------------------------------------------------------------------------
    QMenu* mnuFile = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuFileSep = nullptr;
    QAction* mnuExit1 = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuOnline = nullptr;
    QAction* mnuVisit = nullptr;
    QAction* mnuHelpSep1 = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuHelpSep2 = nullptr;
    QAction* mnuAbout = nullptr;

    // The tree's arrangement: true orders a month's entries by day, false by name.
    bool ArrangeByDate = true;

    // ---- Window and navigation (src/app) --------------------------------------------------
    void Form_Load();
    void Form_Unload();
    void BringToFront(QWidget* panel);
    void SendToBack(QWidget* panel);
    QWidget* PanelInFront() const;
    void mnuAbout_Click();
    void cmdOK_Click();
    void cmdDreamDictionary_Click();
    void mnuExit1_Click();
    void cmdNav_Click(int Index);
    void cmdKeywordEditor_Click();

    // ---- Web pages and the update reminder (src/shell) -------------------------------------
    void mnuOnline_Click();
    void mnuVisit_Click();
    void mnuUpdate_Click();
    void CheckUpdateReminder();

    // ---- Journal: tree, editor, saving, printing (src/journal) ----------------------------
    void LoadDreamTree(bool arrangeByDate);
    void Check1_Click();
    void tvDreams_NodeClick(QTreeWidgetItem* Node);
    void tvDreams_KeyUp(int KeyCode, int Shift);
    void ShowJournal(const QString& key);
    void ClearJournal();
    void SetJournalEnabled(bool flag);
    bool ValidateJournal();
    void cmdNewJournal_Click();
    void cmdStartNewJournal_Click();
    void cmdCancel_Click();
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdPrint_Click();

    // ---- Dictionary: list, search, editing, back buttons (src/dictionary) -----------------
    void cmdRefresh_Click();
    void cmdSearch_Click();
    void txtSearch_Change();
    void txtSearch_Click();
    void lstKeywords_Click();
    void cmdAddKeyword_Click();
    void cmdUpdateKeyword_Click();
    void cmdDeleteKeyword_Click();
    void cmdAdd_Click();
    void cmdBack_Click(int Index);
    void cmdBackToDream_Click(int Index);

    // ---- Dream analysis (src/analysis) ----------------------------------------------------
    void cmdAnalyze_Click();
    qint32 FindReplace(QTextEdit*& pRTBName, QString& pstrReplaceThis);
    void cmdBackToDreamDictionary_Click();

    // ---- Dictionary updates (src/update_import) -------------------------------------------
    void mnuImport_Click();
    void cmdUpdateDreamDictionary_Click();
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void createControls();
    QGroupBox* createHomePanel();
    QGroupBox* createJournalPanel();
    QGroupBox* createAnalysisPanel();
    QGroupBox* createDictionaryPanel();
    QGroupBox* createAboutPanel();
    void createHiddenControls();
    void connectHandlers();

    // Journal (src/journal)
    // What the editor holds, to tell typed changes from what was shown or stored.
    struct EditorContent {
        QString name;
        QString text;
        int year = -1;
        int month = -1;
        int day = -1;
        bool operator==(const EditorContent& other) const;
    };
    // One part of the date (year, month, day) as a save stores it. A stored value that its list
    // cannot show stays as stored while the user leaves that list alone.
    struct DatePart {
        bool keepStored = false;
        std::optional<qlonglong> value;
    };
    EditorContent editorContent() const;
    // Takes what the editor holds now as what is stored: nothing is left to save.
    void rememberEditorContent();
    bool journalChanged() const;
    // Asks whether to save typed changes before they would be replaced. True when the caller may
    // go on: nothing was changed, the user chose No, or the save succeeded.
    bool offerToSaveChanges();
    // The save of cmdSave_Click: a new entry or the shown one. Each says why it refused or
    // failed, and is true when the entry was stored.
    bool saveJournal();
    bool addJournal();
    bool updateJournal();
    // False, after saying so, when an entry other than `exceptId` has the typed name.
    bool journalNameFree(std::optional<qlonglong> exceptId);
    bool startNewJournal();
    void setTodaysDate();
    std::array<DatePart, 3> journalDate() const;
    // Selects the node by key as the program's own choice (the editor already agrees with it).
    void selectTreeNode(const QString& key, bool expand);
    // Opens the selected node when the keyboard or a drag moved the selection without a click.
    void queueTreeSync();
    void syncEditorWithTree();

    // The entry the editor shows, by ID: saving and deleting act on it, whatever its name.
    std::optional<qlonglong> shownJournalId_;
    // Stored date parts that the lists could not show (year, month, day).
    std::array<std::optional<QVariant>, 3> unlistedDate_;
    EditorContent storedContent_;
    // The key of the tree node the editor last opened; the selection is kept on it.
    QString openNodeKey_;
    bool openingNode_ = false;
    bool treeMouseDown_ = false;
    bool treeSyncQueued_ = false;
    int treeBuilds_ = 0;
    // True while cmdAnalyze_Click runs its save: the duplicate-name message is then skipped.
    bool analysisRunning_ = false;
    void printJournal(QPrinter& printer);
    // tvDreams's nodes by key, refilled by every rebuild: parents while building, then the nodes
    // that saving and deleting select again.
    QHash<QString, QTreeWidgetItem*> dreamNodes_;

    // Dictionary (src/dictionary)
    void fillKeywordList(const QStringList& keywords);
    // The keyword last picked in lstKeywords, as listed; Edit changes its rows and no others.
    std::optional<QString> pickedKeyword_;

    QStackedWidget* panelStack_ = nullptr;
    QList<QWidget*> panelOrder_; // front first
    bool loaded_ = false;
    bool unloaded_ = false;
};
