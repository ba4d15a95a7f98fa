#pragma once

// Text rules the whole program shares: what counts as blank, and how stored values read.

#include <QString>
#include <QVariant>

#include <optional>

namespace Text {

// Removes leading and trailing space characters only: tabs and line breaks are part of the text.
QString trimSpaces(const QString& text);

// A stored whole number (Year, Month, Day, ID), whatever storage class another tool left it in.
std::optional<qlonglong> wholeNumber(const QVariant& value);

// How a stored value is written for the user: plain decimal for numbers, empty for NULL.
QString plainValue(const QVariant& value);

} // namespace Text
