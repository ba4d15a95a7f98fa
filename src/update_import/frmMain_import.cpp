// The main window's ways into the update import.

#include "app/frmMain.h"
#include "update_import/frmKeyUpdate.h"

void frmMain::mnuImport_Click() {
    cdlg.FileName = QString();
    cdlg.ShowOpen(this);
    if (cdlg.FileName == QString())
        return;

    auto* importWindow = new frmKeyUpdate(this);
    importWindow->FileName(cdlg.FileName);
    // A file it refuses unloads the window again; the main window stays as it was.
    if (!importWindow->ProcessUpdateData())
        return;
    // Modal: the main window takes no input until the import window has gone. It deletes
    // itself when closed.
    importWindow->exec();
}

void frmMain::cmdUpdateDreamDictionary_Click() {
    mnuImport_Click();
}

void frmMain::Command1_Click() {
    mnuImport_Click();
}
