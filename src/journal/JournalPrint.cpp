#include "journal/JournalPrint.h"

#include "core/Text.h"
#include "gui/FileDialog.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QString dateText(const std::array<QVariant, 3>& date) {
    const auto year = Text::wholeNumber(date[0]);
    const auto month = Text::wholeNumber(date[1]);
    const auto day = Text::wholeNumber(date[2]);
    const QDate valid = year && month && day ? QDate(int(*year), int(*month), int(*day)) : QDate();
    if (valid.isValid())
        return QLocale().toString(valid, QLocale::LongFormat);
    auto part = [](const QVariant& value) {
        const QString shown = Text::plainValue(value);
        return shown.isEmpty() ? QStringLiteral("?") : shown;
    };
    return QStringLiteral("%1-%2-%3").arg(part(date[1]), part(date[2]), part(date[0]));
}

void print(QPrinter& printer, const QString& name, const QString& date, const QString& text,
           const QFont& font) {
    QTextDocument document;
    document.setDefaultFont(font);
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
    cursor.insertText(date);

    QTextCharFormat body;
    body.setFontPointSize(11);
    cursor.insertBlock(QTextBlockFormat(), body);
    cursor.insertText(text);

    printer.setDocName(name);
    document.print(&printer);
}

} // namespace

Status printJournalEntry(QWidget* parent, const QString& name, const std::array<QVariant, 3>& date,
                         const QString& text, const QFont& font) {
    QPrinter printer(QPrinter::HighResolution);
    // The dialog proposes a PDF file named after the document; a name is no path.
    printer.setDocName(QString(name).replace(QLatin1Char('/'), QLatin1Char('-')));
    if (!FileDialog::print(parent, printer))
        return Status();
    // A PDF file that cannot be written would leave the print silently empty: find out first.
    if (!printer.outputFileName().isEmpty()) {
        QFile target(printer.outputFileName());
        if (!target.open(QIODevice::Append))
            return Error(QStringLiteral("%1: %2").arg(
                QDir::toNativeSeparators(printer.outputFileName()), target.errorString()));
    }
    print(printer, name, dateText(date), text, font);
    if (printer.printerState() == QPrinter::Error)
        return Error(
            QCoreApplication::translate("JournalPrint", "The printer %1 reported an error.")
                .arg(printer.printerName()));
    return Status();
}
