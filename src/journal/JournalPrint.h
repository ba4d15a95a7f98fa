#pragma once

// Printing one journal entry: its name as a heading, its date, then its text.

#include "core/Result.h"

#include <QString>
#include <QVariant>

#include <array>

class QFont;
class QWidget;

// Runs the print dialog and prints the entry where the user chose, a printer or a PDF file.
// `date` is year, month and day as stored. A cancelled dialog is no failure.
Status printJournalEntry(QWidget* parent, const QString& name, const std::array<QVariant, 3>& date,
                         const QString& text, const QFont& font);
