#include "data/QueryText.h"

namespace modDB::QueryText {
namespace {

class Scanner {
public:
    explicit Scanner(const QString& text)
        : text_(text) {}

    void skipSpace() {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
    }
    bool atEnd() {
        skipSpace();
        return pos_ >= text_.size();
    }
    bool take(QChar c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // A keyword matches only as a whole word, in any letter case.
    bool takeKeyword(QLatin1String word) {
        skipSpace();
        const int end = pos_ + word.size();
        if (end > text_.size() ||
            QStringView(text_).mid(pos_, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        if (end < text_.size() && isNameChar(text_[end]))
            return false;
        pos_ = end;
        return true;
    }
    // A bare name, a [bracketed] name or a "quoted" name.
    std::optional<QString> takeName() {
        skipSpace();
        if (pos_ >= text_.size())
            return std::nullopt;
        const QChar first = text_[pos_];
        if (first == QLatin1Char('[')) {
            const int close = text_.indexOf(QLatin1Char(']'), pos_ + 1);
            if (close < 0 || close == pos_ + 1)
                return std::nullopt;
            QString name = text_.mid(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            return name;
        }
        if (first == QLatin1Char('"'))
            return takeQuoted(QLatin1Char('"'));
        if (!isNameChar(first) || first.isDigit())
            return std::nullopt;
        const int start = pos_;
        while (pos_ < text_.size() && isNameChar(text_[pos_]))
            ++pos_;
        return text_.mid(start, pos_ - start);
    }
    // Text between `quote`s, a doubled quote standing for one.
    std::optional<QString> takeQuoted(QChar quote) {
        skipSpace();
        if (pos_ >= text_.size() || text_[pos_] != quote)
            return std::nullopt;
        QString out;
        for (int i = pos_ + 1; i < text_.size(); ++i) {
            if (text_[i] != quote) {
                out.append(text_[i]);
                continue;
            }
            if (i + 1 < text_.size() && text_[i + 1] == quote) {
                out.append(quote);
                ++i;
                continue;
            }
            pos_ = i + 1;
            return out;
        }
        return std::nullopt;
    }
    std::optional<double> takeNumber() {
        skipSpace();
        int end = pos_;
        if (end < text_.size() &&
            (text_[end] == QLatin1Char('-') || text_[end] == QLatin1Char('+')))
            ++end;
        while (end < text_.size() && (text_[end].isDigit() || text_[end] == QLatin1Char('.')))
            ++end;
        bool ok = false;
        const double value = text_.mid(pos_, end - pos_).toDouble(&ok);
        if (!ok)
            return std::nullopt;
        pos_ = end;
        return value;
    }

private:
    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    const QString& text_;
    int pos_ = 0;
};

std::optional<std::vector<QString>> nameList(Scanner& in) {
    std::vector<QString> names;
    do {
        auto name = in.takeName();
        if (!name)
            return std::nullopt;
        names.push_back(*name);
    } while (in.take(QLatin1Char(',')));
    return names;
}

} // namespace

std::optional<Select> ParseSelect(const QString& sql) {
    Scanner in(sql);
    Select query;
    if (!in.takeKeyword(QLatin1String("select")))
        return std::nullopt;
    query.distinct = in.takeKeyword(QLatin1String("distinct"));
    if (!in.take(QLatin1Char('*'))) {
        auto names = nameList(in);
        if (!names)
            return std::nullopt;
        for (const QString& name : *names)
            query.columns.append(name);
    }
    if (!in.takeKeyword(QLatin1String("from")))
        return std::nullopt;
    auto table = in.takeName();
    if (!table)
        return std::nullopt;
    query.table = *table;
    if (in.takeKeyword(QLatin1String("order"))) {
        if (!in.takeKeyword(QLatin1String("by")))
            return std::nullopt;
        do {
            auto name = in.takeName();
            if (!name)
                return std::nullopt;
            OrderTerm term{*name, false};
            if (in.takeKeyword(QLatin1String("desc")))
                term.descending = true;
            else
                in.takeKeyword(QLatin1String("asc"));
            query.order.push_back(term);
        } while (in.take(QLatin1Char(',')));
    }
    in.take(QLatin1Char(';'));
    if (!in.atEnd())
        return std::nullopt;
    return query;
}

std::optional<Filter> ParseFilter(const QString& expression) {
    Scanner in(expression);
    Filter filter;
    if (in.atEnd())
        return filter;
    auto column = in.takeName();
    if (!column || !in.take(QLatin1Char('=')))
        return std::nullopt;
    filter.column = *column;
    if (auto text = in.takeQuoted(QLatin1Char('\''))) {
        filter.text = *text;
    } else if (auto number = in.takeNumber()) {
        filter.numeric = true;
        filter.number = *number;
    } else {
        return std::nullopt;
    }
    if (!in.atEnd())
        return std::nullopt;
    return filter;
}

QString QuoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString EqualsFilter(const QString& column, const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return column + QLatin1String("='") + escaped + QLatin1Char('\'');
}

} // namespace modDB::QueryText
