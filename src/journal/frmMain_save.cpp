// Saving, updating and deleting journal entries.

#include "app/frmMain.h"

void frmMain::cmdSave_Click() {}
void frmMain::cmdDelete_Click() {}
void frmMain::showWriteFailure(const QString&, const QString&) {}
