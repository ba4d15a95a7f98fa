// Adding, editing and deleting keywords, and the back buttons that guard a pending add.

#include "app/frmMain.h"

#include <QGroupBox>

void frmMain::cmdAddKeyword_Click() {}
void frmMain::cmdUpdateKeyword_Click() {}
void frmMain::cmdDeleteKeyword_Click() {}
void frmMain::cmdAdd_Click() {}

void frmMain::cmdBack_Click(int) {
    BringToFront(Frame1);
}

void frmMain::cmdBackToDream_Click(int) {
    BringToFront(Frame2);
}
