// The journal tree: entries grouped by year and month.

#include "app/frmMain.h"

void frmMain::LoadDreamTree(bool) {}
void frmMain::Check1_Click() {}
void frmMain::tvDreams_NodeClick(QTreeWidgetItem*) {}
void frmMain::tvDreams_KeyUp(int, int) {}
