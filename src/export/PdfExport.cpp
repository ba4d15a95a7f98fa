#include "export/PdfExport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

QByteArray journalPdf(const std::vector<ExportEntry>& entries, const QFont& font) {
    QTextDocument document;
    document.setDefaultFont(font);
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(wrapping);
    // Built in one edit: the layout runs once, when the document is printed.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();

    QTextCharFormat heading;
    heading.setFontPointSize(16);
    heading.setFontWeight(QFont::Bold);
    QTextCharFormat dateFormat;
    dateFormat.setFontItalic(true);
    QTextCharFormat body;
    body.setFontPointSize(11);
    QTextCharFormat keyword = body;
    keyword.setFontWeight(QFont::Bold);
    QTextBlockFormat dateBlock;
    dateBlock.setBottomMargin(14);
    QTextBlockFormat symbolsBlock;
    symbolsBlock.setTopMargin(14);

    bool first = true;
    for (const ExportEntry& exported : entries) {
        QTextBlockFormat headingBlock;
        headingBlock.setBottomMargin(4);
        if (!first) {
            headingBlock.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.insertBlock(headingBlock, heading);
        } else {
            cursor.setBlockFormat(headingBlock);
            cursor.setCharFormat(heading);
        }
        first = false;
        cursor.insertText(JournalExport::shownName(exported.entry));
        cursor.insertBlock(dateBlock, dateFormat);
        cursor.insertText(JournalExport::shownDate(exported.entry));
        cursor.insertBlock(QTextBlockFormat(), body);
        cursor.insertText(exported.entry.text);
        if (exported.symbols.empty())
            continue;
        cursor.insertBlock(symbolsBlock, keyword);
        cursor.insertText(QCoreApplication::translate("JournalExport", "Symbols"));
        for (const ExportSymbol& symbol : exported.symbols) {
            cursor.insertBlock(QTextBlockFormat(), keyword);
            cursor.insertText(symbol.keyword);
            cursor.insertText(QStringLiteral(": "), body);
            cursor.insertText(symbol.meaning, body);
        }
    }
    cursor.endEditBlock();

    QBuffer output;
    output.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&output);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        writer.setTitle(QCoreApplication::translate("JournalExport", "Oneirion journal"));
        writer.setCreator(QStringLiteral("Oneirion"));
        document.print(&writer);
    }
    return output.data();
}
