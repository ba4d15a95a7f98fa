// The journal's export formats, written from entries and read back: the Markdown as a reader
// gets it, the HTML escaped, the JSON read back by the restore, and what the restore refuses.

#include "CoreTestSupport.h"
#include "core/JournalExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

JournalEntry Entry(const QString& name, QVariant year, QVariant month, QVariant day,
                   const QString& text) {
    return {0, name, text, std::move(year), std::move(month), std::move(day)};
}

QStringList Found(const ExportEntry& entry) {
    QStringList keywords;
    for (const ExportSymbol& symbol : entry.symbols)
        keywords << symbol.keyword + "=" + symbol.meaning;
    return keywords;
}

QStringList Names(const std::vector<JournalEntry>& entries) {
    QStringList names;
    for (const JournalEntry& entry : entries)
        names << entry.name;
    return names;
}

// The symbols are those the analysis finds: whole words, case folded beyond ASCII, listed in
// the dictionary's order; without a dictionary there are none.
TEST(JournalExport, SymbolsAreTheDictionaryWordsFoundInTheText) {
    const std::vector<KeywordEntry> dictionary{{"cat", "Independence."},
                                               {"Ärger", "Anger held in."},
                                               {"flying", "Freedom."},
                                               {"water", "Emotions\nand the unconscious."}};
    const std::vector<JournalEntry> entries{
        Entry("One", 2008, 3, 14, "water? FLYING over a catalog; the cat's ÄRGER."),
        Entry("Two", 2008, 3, 15, "Nothing here: cats, waterfall.")};
    const auto found = JournalExport::withSymbols(entries, &dictionary);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(Found(found[0]),
              QStringList({"cat=Independence.", "Ärger=Anger held in.", "flying=Freedom.",
                           "water=Emotions\nand the unconscious."}));
    EXPECT_TRUE(found[1].symbols.empty());
    EXPECT_TRUE(JournalExport::withSymbols(entries, nullptr)[0].symbols.empty());
}

// A range holds the days from its first to its last; a day the month lacks (the editor stores
// 31 February as chosen) stands at the month's end, and an entry without a date lies in none.
TEST(JournalExport, ARangeHoldsTheEntriesOfItsDays) {
    const std::vector<JournalEntry> entries{
        Entry("Jan 31", 2008, 1, 31, ""),   Entry("Feb 31", 2008, 2, 31, ""),
        Entry("Mar 1", 2008, 3, 1, ""),     Entry("No year", QVariant(), 3, 1, ""),
        Entry("Month 13", 2008, 13, 1, ""), Entry("Text day", "2008", "3", "1", ""),
        Entry("Dec 31", 2009, 12, 31, "")};
    const struct {
        QDate first, last;
        QStringList names;
    } cases[] = {
        {{2008, 2, 1}, {2008, 2, 29}, {"Feb 31"}},
        {{2008, 1, 31}, {2008, 3, 1}, {"Jan 31", "Feb 31", "Mar 1", "Text day"}},
        {{2008, 3, 2}, {2009, 12, 30}, {}},
        {{2009, 12, 31}, {2009, 12, 31}, {"Dec 31"}},
    };
    for (const auto& range : cases)
        EXPECT_EQ(Names(JournalExport::inRange(entries, {range.first, range.last})), range.names)
            << range.first.toString(Qt::ISODate).toStdString();
    const auto span = JournalExport::span(entries);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->first, QDate(2008, 1, 31));
    EXPECT_EQ(span->last, QDate(2009, 12, 31));
    EXPECT_FALSE(JournalExport::span({Entry("No date", QVariant(), QVariant(), 1, "")}));
}

// Markup in names and texts reads as written, each line keeps its break, and blank lines part
// paragraphs.
TEST(JournalExport, MarkdownReadsAsTheJournalWasWritten) {
    const std::vector<ExportEntry> entries{
        {Entry("Flying *high*", 2008, 3, 14,
               "I rose over #1 roofs & <towers>.\n\n- not a list\n  2. nor a number\r\nThe end_"),
         {{"flying", "Freedom\nand a wider view."}}},
        {Entry("", 2008, 2, 31, ""), {}},
        {Entry("Undated\nname", QVariant(), 3, 1, "[link](x) `code` ~gone~ | = +"), {}}};
    EXPECT_EQ(QString::fromUtf8(JournalExport::markdown(entries)),
              "# Oneirion journal\n"
              "\n## Flying \\*high\\*\n"
              "\n*2008-03-14*\n"
              "\nI rose over \\#1 roofs \\& \\<towers\\>.\n"
              "\n\\- not a list\\\n2\\. nor a number\\\nThe end\\_\n"
              "\n**Symbols**\n\n- **flying**: Freedom and a wider view.\n"
              "\n## (no name)\n"
              "\n*2008-02-31*\n"
              "\n## Undated name\n"
              "\n*no date*\n"
              "\n\\[link\\](x) \\`code\\` \\~gone\\~ \\| = +\n");
}

// One file with nothing outside it, every text escaped.
TEST(JournalExport, HtmlIsOneFileWithEveryTextEscaped) {
    const std::vector<ExportEntry> entries{
        {Entry("<script>alert(1)</script>", 2008, 3, 14, "a & b\n<img src=x onerror=y>"),
         {{"cat", "\"Independence\" & <grace>"}}}};
    const QString html = QString::fromUtf8(JournalExport::html(entries));
    EXPECT_TRUE(html.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">"));
    EXPECT_TRUE(html.contains("<h2>&lt;script&gt;alert(1)&lt;/script&gt;</h2>"));
    EXPECT_TRUE(html.contains("<time datetime=\"2008-03-14\">2008-03-14</time>"));
    EXPECT_TRUE(html.contains("<div class=\"text\">a &amp; b\n&lt;img src=x onerror=y&gt;</div>"));
    EXPECT_TRUE(html.contains("<dt>cat</dt><dd>&quot;Independence&quot; &amp; &lt;grace&gt;</dd>"));
    for (const char* outside : {"<script", "<img", "<link", "src=\"", "href=", "url("})
        EXPECT_FALSE(html.contains(outside)) << outside;
}

// What the JSON export writes, the restore reads back: every name, text and date as stored,
// a day its month lacks and an entry without a date included.
TEST(JournalExport, JsonIsReadBackAsWritten) {
    const QString big(5 * 1024 * 1024, QChar(0x263E));
    const std::vector<JournalEntry> entries{
        Entry("Flying", 2008, 3, 14, "Line one, flying\nline \"two\" \\ 🌙"),
        Entry("Feb 31", 2008, 2, 31, ""), Entry("", QVariant(), QVariant(), QVariant(), "x"),
        Entry("Big", 1900, 1, 1, big)};
    const std::vector<KeywordEntry> dictionary{{"flying", "Freedom."}};
    const QByteArray written =
        JournalExport::json(JournalExport::withSymbols(entries, &dictionary), true);

    const QJsonObject root = QJsonDocument::fromJson(written).object();
    EXPECT_EQ(root.value("format").toString(), "oneirion-journal");
    EXPECT_EQ(root.value("version").toInt(), 1);
    const QJsonArray list = root.value("entries").toArray();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0].toObject().value("date").toString(), "2008-03-14");
    QJsonArray symbols;
    symbols.append(QJsonObject{{"keyword", "flying"}, {"meaning", "Freedom."}});
    EXPECT_EQ(list[0].toObject().value("symbols").toArray(), symbols);
    EXPECT_EQ(list[1].toObject().value("symbols").toArray(), QJsonArray());
    EXPECT_TRUE(list[2].toObject().value("date").isNull());

    const auto read = JournalExport::readJson(written);
    ASSERT_TRUE(read) << read.errorMessage().toStdString();
    ASSERT_EQ(read->size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ((*read)[i].name, entries[i].name);
        EXPECT_EQ((*read)[i].text, entries[i].text);
        for (const auto& [got, wanted] : {std::pair{(*read)[i].year, entries[i].year},
                                          {(*read)[i].month, entries[i].month},
                                          {(*read)[i].day, entries[i].day}})
            EXPECT_EQ(got.isNull() ? QVariant() : QVariant(got.toInt()),
                      wanted.isNull() ? QVariant() : QVariant(wanted.toInt()))
                << i;
    }
}

// An export with any field at fault is refused as a whole, naming the entry and the fault.
TEST(JournalExport, AFaultyExportIsRefusedWithTheReason) {
    auto withEntry = [](const char* entry) {
        return QByteArray(R"({"format": "oneirion-journal", "version": 1, "entries": [)") +
               R"({"name": "Fine", "date": "2008-03-14", "text": "ok"}, )" + entry + "]}";
    };
    const struct {
        QByteArray content;
        const char* reason;
    } cases[] = {
        {"{\"format\": \"oneirion-journal\", ", "It is not a JSON file"},
        {"[1, 2]", "It is not an Oneirion journal export."},
        {R"({"format": "other", "version": 1, "entries": []})",
         "It is not an Oneirion journal export."},
        {R"({"format": "oneirion-journal", "version": 2, "entries": []})",
         "a later layout (version 2)"},
        {R"({"format": "oneirion-journal", "version": "1", "entries": []})",
         "Its version is not one this program reads."},
        {R"({"format": "oneirion-journal", "version": 1})", "It holds no list of entries."},
        {withEntry("7"), "Entry 2 is not an entry."},
        {withEntry(R"({"date": "2008-03-14", "text": ""})"), "Entry 2 has no name."},
        {withEntry(R"({"name": "x", "date": "2008-03-14", "text": null})"), "Entry 2 has no text."},
        {withEntry(R"({"name": "x", "text": ""})"), "Entry 2 has no valid date."},
        {withEntry(R"({"name": "x", "date": 20080314, "text": ""})"), "Entry 2 has no valid date."},
        {withEntry(R"({"name": "x", "date": "2008-13-01", "text": ""})"),
         "Entry 2 has no valid date: 2008-13-01."},
        {withEntry(R"({"name": "x", "date": "2008-02-32", "text": ""})"),
         "Entry 2 has no valid date: 2008-02-32."},
        {withEntry(R"({"name": "x", "date": "14.03.2008", "text": ""})"),
         "Entry 2 has no valid date: 14.03.2008."},
        {withEntry(R"({"name": "x", "date": "2008-03-14T10:00", "text": ""})"),
         "Entry 2 has no valid date: 2008-03-14T10:00."},
    };
    for (const auto& faulty : cases) {
        const auto read = JournalExport::readJson(faulty.content);
        ASSERT_FALSE(read) << faulty.content.toStdString();
        EXPECT_TRUE(read.errorMessage().contains(QLatin1String(faulty.reason)))
            << read.errorMessage().toStdString();
    }
    EXPECT_TRUE(JournalExport::readJson(withEntry(R"({"name": "", "date": null, "text": ""})")));
}

} // namespace
