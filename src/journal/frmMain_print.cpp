// Printing the entry the editor shows.

#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "app/modText.h"
#include "journal/JournalText.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

void frmMain::cmdPrint_Click() {
    const QString name = modText::TrimSpaces(txtJournalName->text());
    if (name.isEmpty() && modText::TrimSpaces(journal::EditorText(rtbJournalText)).isEmpty()) {
        MsgBox::Show(tr("There Is Nothing To Print\nOpen a journal entry or write one first."),
                     MsgBox::Icon::Exclamation);
        return;
    }
    cdlg.CancelError = true;
    // Only whole entries are printed, to a printer or, where there is none, to a PDF file.
    cdlg.Flags = CommonDialog::PD_NOPAGENUMS;
    cdlg.PrinterDefault = true;
    QPrinter printer(QPrinter::HighResolution);
    // The dialog proposes a PDF file named after the document; a name is no path.
    printer.setDocName(QString(name).replace(QLatin1Char('/'), QLatin1Char('-')));
    if (!cdlg.ShowPrinter(this, printer))
        return;
    // A PDF file that cannot be written would leave the print silently empty: find out first.
    QString failure;
    if (!printer.outputFileName().isEmpty()) {
        QFile target(printer.outputFileName());
        if (!target.open(QIODevice::Append))
            failure = QStringLiteral("%1: %2").arg(
                QDir::toNativeSeparators(printer.outputFileName()), target.errorString());
    }
    if (failure.isEmpty()) {
        printJournal(printer);
        if (printer.printerState() == QPrinter::Error)
            failure = tr("The printer %1 reported an error.").arg(printer.printerName());
    }
    if (!failure.isEmpty())
        MsgBox::ShowNotSaved(tr("Journal Could Not Be Printed"), failure);
}

void frmMain::printJournal(QPrinter& printer) {
    const QString name = modText::TrimSpaces(txtJournalName->text());
    const QString text = journal::EditorText(rtbJournalText);

    // The date as a save would store it: a stored year that the year list cannot show is
    // printed as stored, not as the list still shows it.
    const std::array<DatePart, 3> parts = journalDate();
    auto part = [&parts](std::size_t i) {
        return parts[i].value ? QString::number(*parts[i].value) : QStringLiteral("?");
    };
    const QDate date = parts[0].value && parts[1].value && parts[2].value
                           ? QDate(int(*parts[0].value), int(*parts[1].value), int(*parts[2].value))
                           : QDate();
    const QString dateText = date.isValid()
                                 ? QLocale().toString(date, QLocale::LongFormat)
                                 : QStringLiteral("%1-%2-%3").arg(part(1), part(2), part(0));

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
