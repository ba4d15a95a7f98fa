// The journal editor: showing, clearing, enabling and validating an entry.

#include "app/frmMain.h"

void frmMain::ShowJournal(const QString&) {}
void frmMain::ClearJournal() {}
void frmMain::SetJournalEnabled(bool) {}
bool frmMain::ValidateJournal() {
    return false;
}
void frmMain::cmdNewJournal_Click() {}
void frmMain::cmdStartNewJournal_Click() {}
void frmMain::cmdCancel_Click() {}
