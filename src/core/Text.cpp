#include "core/Text.h"

#include <cmath>

namespace Text {

QString trimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

std::optional<qlonglong> wholeNumber(const QVariant& value) {
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
        const qlonglong number = trimSpaces(value.toString()).toLongLong(&ok);
        return ok ? std::optional<qlonglong>(number) : std::nullopt;
    }
    }
}

QString plainValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double) {
        if (const auto whole = wholeNumber(value))
            return QString::number(*whole);
        return QString::number(value.toDouble(), 'g', 15);
    }
    return value.toString();
}

} // namespace Text
