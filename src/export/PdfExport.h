#pragma once

// The journal as a PDF document: each entry from a new page, its name as a heading and its date
// under it, then its text and, when asked for, its symbols.

#include "core/JournalExport.h"

#include <QByteArray>

class QFont;

QByteArray journalPdf(const std::vector<ExportEntry>& entries, const QFont& font);
