// Printing the entry the editor shows.

#include "app/frmMain.h"
#include "app/modText.h"
#include "data/modDB.h"
#include "journal/JournalText.h"

#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

void frmMain::cmdPrint_Click() {
    cdlg.CancelError = true;
    // Only whole entries are printed, and always to a printer.
    cdlg.Flags = CommonDialog::PD_DISABLEPRINTTOFILE | CommonDialog::PD_NOPAGENUMS;
    cdlg.PrinterDefault = true;
    QPrinter printer(QPrinter::HighResolution);
    if (!cdlg.ShowPrinter(this, printer))
        return;
    printJournal(printer);
}

void frmMain::printJournal(QPrinter& printer) {
    const QString name = modText::TrimSpaces(txtJournalName->text());
    const QString text = journal::EditorText(rtbJournalText);
    // An empty editor shows no entry, and an empty page helps nobody.
    if (name.isEmpty() && modText::TrimSpaces(text).isEmpty())
        return;

    // A saved entry prints its stored date: a year outside the year list leaves the list showing
    // another entry's year. A new entry prints the date the lists show.
    int year = cboYear->currentText().toInt();
    int month = cboMonth->currentIndex() + 1;
    int day = cboDate->currentText().toInt();
    if (shownJournalId_ && modDB::rsDreams) {
        modDB::Recordset& dreams = *modDB::rsDreams;
        dreams.Filter(QStringLiteral("ID=") + QString::number(*shownJournalId_));
        if (!dreams.EOF_()) {
            year = int(journal::WholeNumber(dreams.Field(QStringLiteral("Year"))).value_or(year));
            month =
                int(journal::WholeNumber(dreams.Field(QStringLiteral("Month"))).value_or(month));
            day = int(journal::WholeNumber(dreams.Field(QStringLiteral("Day"))).value_or(day));
        }
        dreams.Filter(QString());
    }
    const QDate date(year, month, day);
    // A stored date such as 31 February is printed as it was stored.
    const QString dateText = date.isValid()
                                 ? QLocale().toString(date, QLocale::LongFormat)
                                 : QStringLiteral("%1-%2-%3").arg(month).arg(day).arg(year);

    QTextDocument document;
    document.setDefaultFont(rtbJournalText->font());
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(wrapping);

    QTextCursor cursor(&document);
    QTextCharFormat heading;
    heading.setFontPointSize(16);
    heading.setFontWeight(QFont::Bold);
    QTextBlockFormat headingBlock;
    headingBlock.setBottomMargin(4);
    cursor.setBlockFormat(headingBlock);
    cursor.insertText(name, heading);

    QTextCharFormat dateFormat;
    dateFormat.setFontItalic(true);
    QTextBlockFormat dateBlock;
    dateBlock.setBottomMargin(14);
    cursor.insertBlock(dateBlock, dateFormat);
    cursor.insertText(dateText);

    QTextCharFormat body;
    body.setFontPointSize(11);
    cursor.insertBlock(QTextBlockFormat(), body);
    cursor.insertText(text);

    printer.setDocName(name);
    document.print(&printer);
}
