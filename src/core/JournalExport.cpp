#include "core/JournalExport.h"

#include "core/KeywordMatcher.h"
#include "core/Text.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

namespace JournalExport {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("JournalExport", text);
}

struct Day {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The parts a date can hold: the editor offers days 1 to 31 in every month.
bool holdsDate(qlonglong year, qlonglong month, qlonglong day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::optional<Day> dayOf(const JournalEntry& entry) {
    const auto year = Text::wholeNumber(entry.year);
    const auto month = Text::wholeNumber(entry.month);
    const auto day = Text::wholeNumber(entry.day);
    if (!year || !month || !day || !holdsDate(*year, *month, *day))
        return std::nullopt;
    return Day{int(*year), int(*month), int(*day)};
}

// The day of the calendar an entry stands at: a day its month lacks counts as the month's last.
std::optional<QDate> calendarDay(const JournalEntry& entry) {
    const auto day = dayOf(entry);
    if (!day)
        return std::nullopt;
    const QDate first(day->year, day->month, 1);
    return QDate(day->year, day->month, std::min(day->day, first.daysInMonth()));
}

QString documentTitle() {
    return tr("Oneirion journal");
}

} // namespace

QString shownName(const JournalEntry& entry) {
    QString name = entry.name;
    name.replace(QRegularExpression(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]+")),
                 QStringLiteral(" "));
    name = name.trimmed();
    return name.isEmpty() ? tr("(no name)") : name;
}

namespace {

QStringList lines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
    return text.split(breaks);
}

// ---- Markdown -----------------------------------------------------------------------------

// Every character Markdown could read as markup, escaped so the text reads as written.
QString markdownInline(const QString& text) {
    static const QString markup = QStringLiteral("\\`*_[]<>#|~&");
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        if (markup.contains(c))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

// A line of text as a line of a paragraph. Leading blanks would make it a code block, and a
// leading "-", "+", "=" or "1." a list or a heading's underline.
QString markdownLine(const QString& line) {
    qsizetype start = 0;
    while (start < line.size() && (line[start] == QLatin1Char(' ') || line[start] == '\t'))
        ++start;
    QString escaped = markdownInline(line.mid(start));
    static const QRegularExpression numbered(QStringLiteral("^(\\d+)([.)])"));
    if (const auto match = numbered.match(escaped); match.hasMatch())
        escaped.insert(match.capturedEnd(1), QLatin1Char('\\'));
    else if (escaped.startsWith(QLatin1Char('-')) || escaped.startsWith(QLatin1Char('+')) ||
             escaped.startsWith(QLatin1Char('=')))
        escaped.prepend(QLatin1Char('\\'));
    return escaped;
}

// Blank lines part paragraphs; the lines of a paragraph keep their breaks.
QString markdownText(const QString& text) {
    QStringList paragraphs;
    QStringList current;
    for (const QString& line : lines(text)) {
        if (line.trimmed().isEmpty()) {
            if (!current.isEmpty())
                paragraphs << current.join(QLatin1String("\\\n"));
            current.clear();
        } else {
            current << markdownLine(line);
        }
    }
    if (!current.isEmpty())
        paragraphs << current.join(QLatin1String("\\\n"));
    return paragraphs.join(QLatin1String("\n\n"));
}

QString oneLine(const QString& text) {
    QStringList parts = lines(text);
    for (QString& part : parts)
        part = part.trimmed();
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

// ---- HTML ---------------------------------------------------------------------------------

const char* const kStyle = R"(
body { font-family: Georgia, "DejaVu Serif", serif; max-width: 46em; margin: 2em auto;
       padding: 0 1em; line-height: 1.5; color: #222; background: #fff; }
h1 { font-size: 1.8em; border-bottom: 1px solid #ccc; padding-bottom: .3em; }
article { margin: 2.5em 0; }
h2 { font-size: 1.3em; margin-bottom: .1em; }
.date { color: #666; font-style: italic; margin-top: 0; }
.text, dd { white-space: pre-wrap; }
.symbols h3 { font-size: 1em; margin-bottom: .2em; }
dt { font-weight: bold; }
dd { margin: 0 0 .5em 1.5em; }
@media print { article { break-before: page; } article:first-of-type { break-before: auto; } }
)";

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

QString isoDate(const JournalEntry& entry) {
    const auto day = dayOf(entry);
    if (!day)
        return QString();
    return QStringLiteral("%1-%2-%3")
        .arg(day->year, 4, 10, QLatin1Char('0'))
        .arg(day->month, 2, 10, QLatin1Char('0'))
        .arg(day->day, 2, 10, QLatin1Char('0'));
}

QString entriesText(qint64 count) {
    return count == 1 ? tr("1 entry") : tr("%1 entries").arg(count);
}

QString shownDate(const JournalEntry& entry) {
    const QString date = isoDate(entry);
    return date.isEmpty() ? tr("no date") : date;
}

std::vector<JournalEntry> inRange(const std::vector<JournalEntry>& entries,
                                  const DateRange& range) {
    std::vector<JournalEntry> within;
    for (const JournalEntry& entry : entries) {
        const auto date = calendarDay(entry);
        if (date && range.first <= *date && *date <= range.last)
            within.push_back(entry);
    }
    return within;
}

std::optional<DateRange> span(const std::vector<JournalEntry>& entries) {
    std::optional<DateRange> found;
    for (const JournalEntry& entry : entries) {
        const auto date = calendarDay(entry);
        if (!date)
            continue;
        if (!found) {
            found = DateRange{*date, *date};
        } else {
            found->first = std::min(found->first, *date);
            found->last = std::max(found->last, *date);
        }
    }
    return found;
}

std::vector<ExportEntry> withSymbols(std::vector<JournalEntry> entries,
                                     const std::vector<KeywordEntry>* dictionary) {
    std::vector<ExportEntry> result;
    result.reserve(entries.size());
    if (dictionary == nullptr) {
        for (JournalEntry& entry : entries)
            result.push_back({std::move(entry), {}});
        return result;
    }
    QStringList keywords;
    keywords.reserve(qsizetype(dictionary->size()));
    for (const KeywordEntry& keyword : *dictionary)
        keywords << keyword.keyword;
    const KeywordMatcher matcher(keywords);
    for (JournalEntry& entry : entries) {
        const auto found = matcher.findAll(entry.text);
        ExportEntry exported{std::move(entry), {}};
        for (std::size_t k = 0; k < found.size(); ++k) {
            if (!found[k].empty())
                exported.symbols.push_back(
                    {(*dictionary)[k].keyword, (*dictionary)[k].description});
        }
        result.push_back(std::move(exported));
    }
    return result;
}

QByteArray markdown(const std::vector<ExportEntry>& entries) {
    QString out = QStringLiteral("# ") + markdownInline(documentTitle()) + QLatin1Char('\n');
    for (const ExportEntry& exported : entries) {
        const JournalEntry& entry = exported.entry;
        out += QStringLiteral("\n## ") + markdownInline(shownName(entry)) + QLatin1Char('\n');
        out += QStringLiteral("\n*") + shownDate(entry) + QStringLiteral("*\n");
        if (const QString text = markdownText(entry.text); !text.isEmpty())
            out += QLatin1Char('\n') + text + QLatin1Char('\n');
        if (!exported.symbols.empty()) {
            out +=
                QStringLiteral("\n**") + markdownInline(tr("Symbols")) + QStringLiteral("**\n\n");
            for (const ExportSymbol& symbol : exported.symbols) {
                out += QStringLiteral("- **") + markdownInline(oneLine(symbol.keyword)) +
                       QStringLiteral("**: ") + markdownInline(oneLine(symbol.meaning)) +
                       QLatin1Char('\n');
            }
        }
    }
    return out.toUtf8();
}

QByteArray html(const std::vector<ExportEntry>& entries) {
    QString out = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                 "<meta name=\"viewport\" content=\"width=device-width\">\n"
                                 "<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n"
                                 "<h1>%1</h1>\n")
                      .arg(escaped(documentTitle()), QLatin1String(kStyle));
    for (const ExportEntry& exported : entries) {
        const JournalEntry& entry = exported.entry;
        out += QStringLiteral("<article>\n<h2>%1</h2>\n").arg(escaped(shownName(entry)));
        const QString date = isoDate(entry);
        out += date.isEmpty() ? QStringLiteral("<p class=\"date\">%1</p>\n").arg(shownDate(entry))
                              : QStringLiteral("<p class=\"date\"><time datetime=\"%1\">%1</time>"
                                               "</p>\n")
                                    .arg(date);
        out += QStringLiteral("<div class=\"text\">%1</div>\n").arg(escaped(entry.text));
        if (!exported.symbols.empty()) {
            out += QStringLiteral("<section class=\"symbols\">\n<h3>%1</h3>\n<dl>\n")
                       .arg(escaped(tr("Symbols")));
            for (const ExportSymbol& symbol : exported.symbols)
                out += QStringLiteral("<dt>%1</dt><dd>%2</dd>\n")
                           .arg(escaped(symbol.keyword), escaped(symbol.meaning));
            out += QStringLiteral("</dl>\n</section>\n");
        }
        out += QStringLiteral("</article>\n");
    }
    out += QStringLiteral("</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray json(const std::vector<ExportEntry>& entries, bool includeSymbols) {
    QJsonArray list;
    for (const ExportEntry& exported : entries) {
        const QString date = isoDate(exported.entry);
        QJsonObject entry{{QStringLiteral("name"), exported.entry.name},
                          {QStringLiteral("date"), date.isEmpty() ? QJsonValue() : date},
                          {QStringLiteral("text"), exported.entry.text}};
        if (includeSymbols) {
            QJsonArray symbols;
            for (const ExportSymbol& symbol : exported.symbols)
                symbols.append(QJsonObject{{QStringLiteral("keyword"), symbol.keyword},
                                           {QStringLiteral("meaning"), symbol.meaning}});
            entry.insert(QStringLiteral("symbols"), symbols);
        }
        list.append(entry);
    }
    const QJsonObject document{{QStringLiteral("format"), QLatin1String(kFormatName)},
                               {QStringLiteral("version"), kFormatVersion},
                               {QStringLiteral("entries"), list}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

Result<std::vector<JournalEntry>> readJson(const QByteArray& content) {
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(content, &parsed);
    if (parsed.error != QJsonParseError::NoError)
        return Error(tr("It is not a JSON file: %1 at byte %2.")
                         .arg(parsed.errorString())
                         .arg(parsed.offset));
    const QJsonObject root = document.object();
    if (!document.isObject() ||
        root.value(QStringLiteral("format")).toString() != QLatin1String(kFormatName))
        return Error(tr("It is not an Oneirion journal export."));
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() != kFormatVersion) {
        if (version.isDouble() && version.toDouble() > kFormatVersion)
            return Error(tr("It was written in a later layout (version %1) than this program "
                            "reads (version %2).")
                             .arg(version.toDouble())
                             .arg(kFormatVersion));
        return Error(tr("Its version is not one this program reads."));
    }
    const QJsonValue list = root.value(QStringLiteral("entries"));
    if (!list.isArray())
        return Error(tr("It holds no list of entries."));

    static const QRegularExpression dateForm(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    std::vector<JournalEntry> entries;
    const QJsonArray array = list.toArray();
    entries.reserve(std::size_t(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonObject fields = array[i].toObject();
        const QJsonValue name = fields.value(QStringLiteral("name"));
        const QJsonValue text = fields.value(QStringLiteral("text"));
        const QJsonValue date = fields.value(QStringLiteral("date"));
        const qsizetype number = i + 1;
        if (!array[i].isObject())
            return Error(tr("Entry %1 is not an entry.").arg(number));
        if (!name.isString())
            return Error(tr("Entry %1 has no name.").arg(number));
        if (!text.isString())
            return Error(tr("Entry %1 has no text.").arg(number));
        JournalEntry entry;
        entry.name = name.toString();
        entry.text = text.toString();
        if (!date.isNull()) {
            const auto match = dateForm.match(date.toString());
            const int year = match.captured(1).toInt();
            const int month = match.captured(2).toInt();
            const int day = match.captured(3).toInt();
            if (!date.isString())
                return Error(tr("Entry %1 has no valid date.").arg(number));
            if (!match.hasMatch() || !holdsDate(year, month, day))
                return Error(
                    tr("Entry %1 has no valid date: %2.").arg(number).arg(date.toString()));
            entry.year = year;
            entry.month = month;
            entry.day = day;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace JournalExport
