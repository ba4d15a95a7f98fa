#include "app/modText.h"

#include "data/CaseFold.h"

#include <QTextDocument>

namespace modText {

QString TrimSpaces(const QString& text) {
    return modDB::TrimSpaces(text);
}

QString PlainText(const QTextDocument* document) {
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace modText
