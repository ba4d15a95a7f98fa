// The export window: each format written and read back as its reader would, the whole journal
// or a range of days, with or without symbols, and the targets it refuses.

#include "ExportTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace exporttest;

namespace {

class ExportDialogTest : public JournalFixture {
protected:
    struct Choice {
        const char* format;
        std::optional<std::pair<QDate, QDate>> range;
        bool symbols = false;
    };
    // Opens the export window, makes `choice` and presses Export, the file dialog answering
    // `path` and every message OK; a window left open after that is cancelled. Gives the
    // messages shown.
    QStringList Export(const Choice& choice, const QString& path, bool fileAsked = true) {
        OnNextModal([choice, path, fileAsked](QWidget* dialog) {
            EXPECT_EQ(dialog->objectName(), "frmExport");
            auto* format = Find<QComboBox>(dialog, "cboFormat");
            format->setCurrentIndex(format->findText(QLatin1String(choice.format)));
            if (choice.range) {
                Find<QDateEdit>(dialog, "dtpFrom")->setDate(choice.range->first);
                Find<QDateEdit>(dialog, "dtpTo")->setDate(choice.range->second);
                EXPECT_TRUE(Find<QRadioButton>(dialog, "optDateRange")->isChecked());
            } else {
                Find<QRadioButton>(dialog, "optWholeJournal")->click();
            }
            Find<QCheckBox>(dialog, "chkSymbols")->setChecked(choice.symbols);
            if (fileAsked)
                NextFileName(path);
            Answer({Reply::OK});
            Find<QPushButton>(dialog, "cmdExport")->click();
            if (dialog->isVisible())
                Find<QPushButton>(dialog, "cmdExportCancel")->click();
        });
        Choose(window, "mnuExport");
        return Shown();
    }
    static QString Exported(const QString& path, int entries) {
        return QStringLiteral("Information: Journal Exported\n%1 %2 written to %3.")
            .arg(entries)
            .arg(entries == 1 ? "entry" : "entries")
            .arg(path);
    }
};

QString Text(const QString& path) {
    return QString::fromUtf8(FileBytes(path));
}

QStringList PdfPages(const QString& pdf) {
    QProcess tool;
    tool.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    EXPECT_TRUE(tool.waitForFinished(30000)) << "pdftotext is missing";
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    // The ligatures of the font ("ﬂ") read as their letters.
    for (QString& page : pages)
        page = page.normalized(QString::NormalizationForm_KC).simplified();
    return pages;
}

// Every format read back as its reader gets it: the JSON parsed, the Markdown as text, the PDF
// through pdftotext, one entry per page; each file readable by its owner alone.
TEST_F(ExportDialogTest, EachFormatReadsBackAsTheJournal) {
    const QString json = File("journal.json");
    ASSERT_EQ(Export({"JSON (can be restored)", {}, true}, json), QStringList{Exported(json, 4)});
    const QJsonObject root = QJsonDocument::fromJson(FileBytes(json)).object();
    EXPECT_EQ(root.value("format").toString(), "oneirion-journal");
    EXPECT_EQ(root.value("version").toInt(), 1);
    QStringList read;
    for (const QJsonValue& entry : root.value("entries").toArray()) {
        QStringList symbols;
        for (const QJsonValue& symbol : entry.toObject().value("symbols").toArray())
            symbols << symbol.toObject().value("keyword").toString();
        read << QStringList{entry.toObject().value("name").toString(),
                            entry.toObject().value("date").toString(),
                            entry.toObject().value("text").toString(), symbols.join(',')}
                    .join('|');
    }
    EXPECT_EQ(read, QStringList({"Thirty-first|2008-02-31|A day February lacks.|",
                                 "Flying|2008-03-14|I was flying over water with a cat.|"
                                 "cat,flying,water",
                                 "Ärger <b>|2009-07-01|Line one\nLine two & more|",
                                 "Later|2010-01-05|A bat cave.|Bat"}));
    EXPECT_EQ(coretest::fileMode(json), 0600);

    const QString markdown = File("journal.md");
    EXPECT_EQ(Export({"Markdown", std::pair{QDate(2008, 3, 1), QDate(2009, 12, 31)}}, markdown),
              QStringList{Exported(markdown, 2)});
    EXPECT_EQ(Text(markdown),
              "# Oneirion journal\n"
              "\n## Flying\n\n*2008-03-14*\n\nI was flying over water with a cat.\n"
              "\n## Ärger \\<b\\>\n\n*2009-07-01*\n\nLine one\\\nLine two \\& more\n");

    const QString pdf = File("journal.pdf");
    EXPECT_EQ(Export({"PDF document", {}, true}, pdf), QStringList{Exported(pdf, 4)});
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 4) << pages.join(" | ").toStdString();
    const QStringList expected[] = {
        {"Thirty-first", "2008-02-31", "A day February lacks."},
        {"Flying", "2008-03-14", "I was flying over water with a cat.", "Symbols",
         "cat: Independence and intuition.", "flying: Freedom and a wider view.",
         "water: Emotions and the unconscious."},
        {"Ärger <b>", "2009-07-01", "Line one Line two & more"},
        {"Later", "2010-01-05", "A bat cave.", "Bat: Something hidden in the dark."}};
    for (int page = 0; page < 4; ++page) {
        for (const QString& part : expected[page])
            EXPECT_TRUE(pages[page].contains(part)) << page << ": " << pages[page].toStdString();
    }
    EXPECT_FALSE(pages[0].contains("Symbols"));

    const QString html = File("journal.html");
    EXPECT_EQ(Export({"HTML web page", std::pair{QDate(2009, 1, 1), QDate(2009, 12, 31)}}, html),
              QStringList{Exported(html, 1)});
    EXPECT_TRUE(Text(html).contains("<h2>Ärger &lt;b&gt;</h2>"));
    EXPECT_FALSE(Text(html).contains("Flying"));
}

// A folder that refuses the file, or a name that is one of the program's own data files, is
// reported, and no file, whole or half, is left under the name; an empty range writes nothing.
TEST_F(ExportDialogTest, ATargetThatCannotBeWrittenIsReportedAndLeftAlone) {
    const QString locked = File("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    {
        const coretest::PermissionsApply asUser;
        const QStringList shown = Export({"PDF document", {}}, locked + "/journal.pdf");
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].startsWith("Critical: The Journal Could Not Be Exported\n" + locked))
            << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains("Permission denied")) << shown[0].toStdString();
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(locked).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());

    const QByteArray dictionary = FileBytes(KeywordsFile());
    const std::pair<QString, QString> ownFiles[] = {{KeywordsFile(), KeywordsFile()},
                                                    {DreamsFile() + "-wal", DreamsFile()},
                                                    {File("DREAMS.DLL"), DreamsFile()}};
    for (const auto& [target, own] : ownFiles) {
        EXPECT_EQ(Export({"JSON (can be restored)", {}}, target),
                  QStringList{"Critical: The Journal Could Not Be Exported\n" + own +
                              " is one of Oneirion's own data files; choose another name."});
    }
    EXPECT_EQ(FileBytes(KeywordsFile()), dictionary);

    // A range that holds no entry writes nothing.
    EXPECT_EQ(Export({"Markdown", std::pair{QDate(2008, 4, 1), QDate(2009, 6, 30)}},
                     File("none.md"), false),
              QStringList{"Information: No entry is dated from 2008-04-01 to 2009-06-30, so "
                          "there is nothing to export."});
    EXPECT_FALSE(QFile::exists(File("none.md")));

    // A name typed without its type gets it.
    const QString typed = File("dreams");
    EXPECT_EQ(Export({"Markdown", {}}, typed), QStringList{Exported(typed + ".md", 4)});
    EXPECT_TRUE(QFile::exists(typed + ".md"));
}

} // namespace
