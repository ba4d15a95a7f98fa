#pragma once

// Text rules the whole program shares.

#include <QString>

namespace modText {

// Removes leading and trailing space characters only: tabs and line breaks are part of the text.
QString TrimSpaces(const QString& text);

} // namespace modText
