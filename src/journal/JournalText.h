#pragma once

// Small text rules the journal's handlers share.

#include <QString>
#include <QVariant>

#include <optional>

class QTextEdit;

namespace journal {

// The editor's text exactly as the user sees it. QTextEdit::toPlainText would turn no-break
// spaces into spaces and line separators into line feeds; only block breaks become line feeds.
QString EditorText(const QTextEdit* editor);

// Replaces the editor's whole text with plain, unmarked text. QTextEdit::setPlainText and clear()
// keep the cursor's character format, so an analysis mark at the end would spill over into the
// next text shown or typed.
void SetEditorText(QTextEdit* editor, const QString& text);

// A stored whole number (Year, Month, Day, ID), whatever storage class another tool left it in.
std::optional<qlonglong> WholeNumber(const QVariant& value);

// How a stored value is written into a node's key or text: plain decimal for numbers.
QString PlainValue(const QVariant& value);

inline QString RootKey() {
    return QStringLiteral("MyDreams");
}

// Entry nodes are the nodes whose key holds '~'; the ID follows the first character.
inline bool IsEntryKey(const QString& key) {
    return key.contains(QLatin1Char('~'));
}
inline QString EntryKey(qlonglong id) {
    return QLatin1Char('~') + QString::number(id);
}

} // namespace journal
