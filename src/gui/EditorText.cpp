#include "gui/EditorText.h"

#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextEdit>

namespace EditorText {

QString plainText(const QTextDocument* document) {
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QString plainText(const QTextEdit* editor) {
    return plainText(editor->document());
}

void setPlainText(QTextEdit* editor, const QString& text) {
    editor->setCurrentCharFormat(QTextCharFormat());
    editor->setPlainText(text);
}

} // namespace EditorText
