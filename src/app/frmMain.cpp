#include "app/frmMain.h"

#include "app/MsgBox.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "shell/modRegistry.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTreeWidget>

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Oneirion v1.0"));
    createMenus();
    createControls();
    connectHandlers();
    // The design's starting state: nothing to save, delete or cancel, and no name to type yet.
    for (QWidget* w :
         std::initializer_list<QWidget*>{cmdSave, cmdDelete, cmdCancel, txtJournalName})
        w->setEnabled(false);
    modMain::FormLoaded(this);
}

frmMain::~frmMain() {
    modMain::FormUnloaded(this);
}

void frmMain::connectHandlers() {
    auto onClick = [this](QPushButton* b, void (frmMain::*handler)()) {
        connect(b, &QPushButton::clicked, this, handler);
    };
    onClick(cmdStartNewJournal, &frmMain::cmdStartNewJournal_Click);
    onClick(cmdDreamDictionary, &frmMain::cmdDreamDictionary_Click);
    onClick(cmdUpdateDreamDictionary, &frmMain::cmdUpdateDreamDictionary_Click);
    onClick(Command1, &frmMain::Command1_Click);
    onClick(cmdOK, &frmMain::cmdOK_Click);
    onClick(cmdKeywordEditor, &frmMain::cmdKeywordEditor_Click);
    onClick(Check1, &frmMain::Check1_Click);
    onClick(cmdNewJournal, &frmMain::cmdNewJournal_Click);
    onClick(cmdCancel, &frmMain::cmdCancel_Click);
    onClick(cmdSave, &frmMain::cmdSave_Click);
    onClick(cmdDelete, &frmMain::cmdDelete_Click);
    onClick(cmdPrint, &frmMain::cmdPrint_Click);
    onClick(cmdAnalyze, &frmMain::cmdAnalyze_Click);
    onClick(cmdBackToDreamDictionary, &frmMain::cmdBackToDreamDictionary_Click);
    onClick(cmdRefresh, &frmMain::cmdRefresh_Click);
    onClick(cmdSearch, &frmMain::cmdSearch_Click);
    onClick(cmdAddKeyword, &frmMain::cmdAddKeyword_Click);
    onClick(cmdUpdateKeyword, &frmMain::cmdUpdateKeyword_Click);
    onClick(cmdDeleteKeyword, &frmMain::cmdDeleteKeyword_Click);
    onClick(cmdAdd, &frmMain::cmdAdd_Click);
    for (auto& [index, b] : cmdBack)
        connect(b, &QPushButton::clicked, this, [this, i = index] { cmdBack_Click(i); });
    for (auto& [index, b] : cmdBackToDream)
        connect(b, &QPushButton::clicked, this, [this, i = index] { cmdBackToDream_Click(i); });
    for (auto& [index, b] : cmdNav)
        connect(b, &QPushButton::clicked, this, [this, i = index] { cmdNav_Click(i); });

    connect(mnuImport, &QAction::triggered, this, &frmMain::mnuImport_Click);
    connect(mnuExit1, &QAction::triggered, this, &frmMain::mnuExit1_Click);
    connect(mnuOnline, &QAction::triggered, this, &frmMain::mnuOnline_Click);
    connect(mnuVisit, &QAction::triggered, this, &frmMain::mnuVisit_Click);
    connect(mnuUpdate, &QAction::triggered, this, &frmMain::mnuUpdate_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);

    connect(tvDreams, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { tvDreams_NodeClick(item); });
    // The keyboard moves the selection without a click; the node it reaches opens all the same.
    connect(tvDreams, &QTreeWidget::itemSelectionChanged, this, &frmMain::queueTreeSync);
    connect(txtSearch, &QLineEdit::textChanged, this, &frmMain::txtSearch_Change);
    connect(lstKeywords, &QListWidget::itemSelectionChanged, this, &frmMain::lstKeywords_Click);

    tvDreams->installEventFilter(this);
    tvDreams->viewport()->installEventFilter(this);
    txtSearch->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == tvDreams && type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            // The handler speaks in the classic key codes: 46 is the Delete key, letters and
            // digits are their capitals' codes. Qt's own code for "." is also 46, so nothing else
            // may pass through unmapped.
            const int qtKey = key->key();
            const bool letterOrDigit = (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
                                       (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z);
            const int code = qtKey == Qt::Key_Delete ? 46 : (letterOrDigit ? qtKey : 0);
            int shift = 0;
            if (key->modifiers() & Qt::ShiftModifier)
                shift |= 1;
            if (key->modifiers() & Qt::ControlModifier)
                shift |= 2;
            if (key->modifiers() & Qt::AltModifier)
                shift |= 4;
            tvDreams_KeyUp(code, shift);
        }
    } else if (watched == tvDreams->viewport() && type == QEvent::MouseButtonPress) {
        // The press selects; the click that follows opens, so no question interrupts the press.
        treeMouseDown_ = true;
    } else if (watched == tvDreams->viewport() && type == QEvent::MouseButtonRelease) {
        treeMouseDown_ = false;
        // A press dragged off its node gives no click: the selection it left is opened then.
        queueTreeSync();
    } else if (watched == txtSearch && type == QEvent::MouseButtonRelease) {
        txtSearch_Click();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Show() {
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    if (!unloaded_)
        show();
}

void frmMain::Form_Load() {
    // The date lists, with their first items selected.
    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        cboMonth->addItem(locale.standaloneMonthName(month, QLocale::LongFormat));
    for (int day = 1; day <= 31; ++day)
        cboDate->addItem(QString::number(day));
    for (int year = 1900; year <= 2050; ++year)
        cboYear->addItem(QString::number(year));
    cboMonth->setCurrentIndex(0);
    cboDate->setCurrentIndex(0);
    cboYear->setCurrentIndex(0);

    // The tree, arranged by date.
    ArrangeByDate = true;
    LoadDreamTree(ArrangeByDate);

    // The meaning column takes the rest of the list's width and a little more. The window is not
    // laid out yet while it loads: size from the list's design width (twips at
    // 15 per pixel), so the two columns are a little wider than the list and it scrolls sideways.
    lvKeywords->setColumnWidth(1, (8295 + 350) / 15 - lvKeywords->columnWidth(0));

    // The open dialog for update files; both of the program's extensions are offered.
    cdlg.Filter = QStringLiteral("Oneirion Keywords Update | *.kwu;*.udj");
    cdlg.Flags = CommonDialog::OFN_EXPLORER | CommonDialog::OFN_FILEMUSTEXIST |
                 CommonDialog::OFN_PATHMUSTEXIST | CommonDialog::OFN_ALLOWMULTISELECT;

    // The keyword list, filled as a refresh fills it.
    cmdRefresh_Click();

    // One instance per executable.
    if (modMain::PrevInstance()) {
        MsgBox::Show(MsgBox::Title() + QStringLiteral(" Is Already Running"),
                     MsgBox::Icon::Critical);
        modMain::UnloadAllForms();
        return;
    }

    // Both data files must be there, as ordinary files; a hidden one does not count.
    if (!modMain::DataFilePresent(QStringLiteral("Dreams.dll")) ||
        !modMain::DataFilePresent(QStringLiteral("Keywords.dll"))) {
        MsgBox::Show(QStringLiteral("File(s) Required To Run Oneirion Is Missing\n"
                                    "Please ReInstall Oneirion"),
                     MsgBox::Icon::Critical);
        modMain::UnloadAllForms();
        return;
    }

    // A damaged journal or dictionary ends the start as a missing one does, but says what is
    // wrong: an empty window would look as though everything written were gone.
    if (const auto damaged = modMain::DamagedDataFile()) {
        MsgBox::Show(tr("Oneirion Cannot Use %1\n%2\nThe file was left exactly as it is. "
                        "Restore it from a backup, or move it aside and reinstall Oneirion "
                        "to start with a new one.")
                         .arg(QDir::toNativeSeparators(damaged->file), damaged->reason),
                     MsgBox::Icon::Critical);
        modMain::UnloadAllForms();
        return;
    }

    // Said once here; each write that fails later says so again as it happens.
    QStringList readOnly;
    for (const modDB::ConnectionPtr& connection : {modDB::cnDreams, modDB::cnKeywords}) {
        if (connection && connection->IsOpen() && connection->IsReadOnly())
            readOnly << QDir::toNativeSeparators(connection->FilePath());
    }
    if (!readOnly.isEmpty()) {
        MsgBox::Show(tr("Changes Cannot Be Saved\n%1 can only be read: you can browse your "
                        "journal and the dictionary, but nothing you change will be stored.")
                         .arg(readOnly.join(tr(" and "))),
                     MsgBox::Icon::Exclamation);
    }

    // The update reminder, which ends on the home panel.
    CheckUpdateReminder();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Unloading every window is the program's own ending after a refused start: nothing typed.
    if (!unloaded_ && !modMain::UnloadingAllForms() && !offerToSaveChanges()) {
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
        modMain::FormUnloaded(this);
    }
    event->accept();
}

void frmMain::Form_Unload() {
    modRegistry::OpenThankYouPage();
}

void frmMain::BringToFront(QWidget* panel) {
    panelOrder_.removeAll(panel);
    panelOrder_.prepend(panel);
    panelStack_->setCurrentWidget(panelOrder_.first());
}

void frmMain::SendToBack(QWidget* panel) {
    panelOrder_.removeAll(panel);
    panelOrder_.append(panel);
    panelStack_->setCurrentWidget(panelOrder_.first());
}

QWidget* frmMain::PanelInFront() const {
    return panelOrder_.isEmpty() ? nullptr : panelOrder_.first();
}

void frmMain::mnuAbout_Click() {
    BringToFront(fraAbout);
}

void frmMain::cmdOK_Click() {
    SendToBack(fraAbout);
}

void frmMain::cmdDreamDictionary_Click() {
    BringToFront(Frame4);
}

void frmMain::mnuExit1_Click() {
    close();
}

void frmMain::cmdNav_Click(int) {
    close();
}

void frmMain::cmdKeywordEditor_Click() {}
