// Loading an update file into the import window and merging its keywords.

#include "update_import/frmKeyUpdate.h"

bool frmKeyUpdate::ProcessUpdateData() {
    return true;
}

void frmKeyUpdate::LoadUpdateList() {}

void frmKeyUpdate::MarkNewKeywords() {}

void frmKeyUpdate::cmdImport_Click() {}

void frmKeyUpdate::ImportKeywords() {}
