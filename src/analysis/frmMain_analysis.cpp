// The dream analysis: every dictionary keyword found in the entry, listed and marked.

#include "app/frmMain.h"

#include <QGroupBox>

void frmMain::cmdAnalyze_Click() {}

qint32 frmMain::FindReplace(QTextEdit*&, QString&) {
    return 0;
}

void frmMain::cmdBackToDreamDictionary_Click() {
    BringToFront(Frame4);
}

void frmMain::rtbJournalText1_Change() {}
void frmMain::rtbJournalText1_Click() {}
void frmMain::rtbJournalText1_MouseDown(int, int, float, float) {}
void frmMain::rtbJournalText1_MouseMove(int, int, float, float) {}
void frmMain::rtbJournalText1_MouseUp(int, int, float, float) {}
