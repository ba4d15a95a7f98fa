// Printing the entry the editor shows.

#include "app/frmMain.h"

void frmMain::cmdPrint_Click() {}
void frmMain::printJournal(QPrinter&) {}
