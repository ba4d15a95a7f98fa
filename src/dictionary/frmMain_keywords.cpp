// The dictionary panel's keyword list, search and the picked keyword.

#include "app/frmMain.h"

#include <QListWidget>

void frmMain::cmdRefresh_Click() {}
void frmMain::cmdSearch_Click() {}
void frmMain::txtSearch_Change() {}
void frmMain::txtSearch_Click() {}
void frmMain::lstKeywords_Click() {}

void frmMain::fillKeywordList(const QStringList& keywords) {
    lstKeywords->clear();
    lstKeywords->addItems(keywords);
}
