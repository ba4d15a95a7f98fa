#include "journal/JournalText.h"

#include "app/modText.h"

#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextEdit>

#include <cmath>

namespace journal {

QString EditorText(const QTextEdit* editor) {
    return modText::PlainText(editor->document());
}

std::optional<qlonglong> WholeNumber(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return value.toLongLong();
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (std::isfinite(number) && std::floor(number) == number && std::fabs(number) < 1e15)
            return qlonglong(number);
        return std::nullopt;
    }
    default: {
        bool ok = false;
        const qlonglong number = modText::TrimSpaces(value.toString()).toLongLong(&ok);
        if (ok)
            return number;
        return std::nullopt;
    }
    }
}

QString PlainValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double) {
        if (const auto whole = WholeNumber(value))
            return QString::number(*whole);
        return QString::number(value.toDouble(), 'g', 15);
    }
    return value.toString();
}

void SetEditorText(QTextEdit* editor, const QString& text) {
    editor->setCurrentCharFormat(QTextCharFormat());
    editor->setPlainText(text);
}

} // namespace journal
