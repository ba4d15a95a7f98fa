#pragma once

// Reading and writing the text of a rich-text box as the plain text the program stores.

#include <QString>

class QTextDocument;
class QTextEdit;

namespace EditorText {

// The document's text exactly as the user typed it. toPlainText() would turn no-break spaces
// into spaces and line separators into line feeds; only paragraph breaks become line feeds here.
QString plainText(const QTextDocument* document);
QString plainText(const QTextEdit* editor);

// Replaces the box's whole text with plain, unmarked text. QTextEdit::setPlainText and clear()
// keep the cursor's character format, so a mark at the end would spill over into the next text
// shown or typed.
void setPlainText(QTextEdit* editor, const QString& text);

// While the box is hidden, changes to its document are not laid out: the layout is made once,
// when the box is next shown. Laying out a long text after every change to a box nobody sees
// costs more than the changes. A shown box is left as it is.
void deferLayoutUntilShown(QTextEdit* editor);

} // namespace EditorText
