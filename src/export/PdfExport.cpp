#include "export/PdfExport.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// An entry's name, its date, its text and its symbols.
void fillEntry(QTextDocument& document, const ExportEntry& exported) {
    QTextCharFormat heading;
    heading.setFontPointSize(16);
    heading.setFontWeight(QFont::Bold);
    QTextCharFormat dateFormat;
    dateFormat.setFontItalic(true);
    QTextCharFormat body;
    body.setFontPointSize(11);
    QTextCharFormat keyword = body;
    keyword.setFontWeight(QFont::Bold);
    QTextBlockFormat headingBlock;
    headingBlock.setBottomMargin(4);
    QTextBlockFormat dateBlock;
    dateBlock.setBottomMargin(14);
    QTextBlockFormat symbolsBlock;
    symbolsBlock.setTopMargin(14);

    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.setBlockFormat(headingBlock);
    cursor.insertText(JournalExport::shownName(exported.entry), heading);
    cursor.insertBlock(dateBlock, dateFormat);
    cursor.insertText(JournalExport::shownDate(exported.entry));
    cursor.insertBlock(QTextBlockFormat(), body);
    cursor.insertText(exported.entry.text);
    if (!exported.symbols.empty()) {
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
}

} // namespace

QByteArray journalPdf(const std::vector<ExportEntry>& entries, const QFont& font) {
    QByteArray pdf;
    // The writer writes in many small pieces.
    pdf.reserve(qsizetype(entries.size()) * 2048);
    QBuffer output(&pdf);
    output.open(QIODevice::WriteOnly);
    QPdfWriter writer(&output);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QCoreApplication::translate("JournalExport", "Oneirion journal"));
    writer.setCreator(QStringLiteral("Oneirion"));
    const QSizeF page(writer.width(), writer.height());

    // Kerning and ligatures of simple scripts are left out: shaping was a third of the time a
    // long journal took. Scripts that need shaping still get it.
    QFont textFont = font;
    textFont.setStyleStrategy(QFont::PreferNoShaping);

    QPainter painter(&writer);
    bool firstPage = true;
    // A document of its own for each entry: it starts on a new page, and the layout of one
    // entry never waits on the thousands before it.
    for (const ExportEntry& exported : entries) {
        QTextDocument document;
        document.documentLayout()->setPaintDevice(&writer);
        document.setDefaultFont(textFont);
        document.setDocumentMargin(0);
        QTextOption wrapping = document.defaultTextOption();
        wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        document.setDefaultTextOption(wrapping);
        document.setPageSize(page);
        fillEntry(document, exported);
        for (int number = 0; number < document.pageCount(); ++number) {
            if (!firstPage)
                writer.newPage();
            firstPage = false;
            const QRectF shown(QPointF(0, number * page.height()), page);
            painter.save();
            painter.translate(0, -shown.top());
            document.drawContents(&painter, shown);
            painter.restore();
        }
    }
    painter.end();
    return pdf;
}
