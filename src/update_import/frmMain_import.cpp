// The main window's ways into the update import.

#include "app/frmMain.h"

void frmMain::mnuImport_Click() {}

void frmMain::cmdUpdateDreamDictionary_Click() {
    mnuImport_Click();
}

void frmMain::Command1_Click() {
    mnuImport_Click();
}
