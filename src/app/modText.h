#pragma once

// Text rules the whole program shares.

#include <QString>

class QTextDocument;

namespace modText {

// Removes leading and trailing space characters only: tabs and line breaks are part of the text.
QString TrimSpaces(const QString& text);

// A document's text exactly as the user typed it. toPlainText() would turn no-break spaces into
// spaces and line separators into line feeds; only paragraph breaks become line feeds here.
QString PlainText(const QTextDocument* document);

} // namespace modText
