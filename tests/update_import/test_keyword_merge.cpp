// Merging the checked keywords of an update into the dictionary: the three policies, the
// progress display, quotes in keywords, what is reported when the dictionary cannot be written,
// and an import killed midway.

#include "ImportTestSupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <csignal>

namespace {

using importtest::Maker;
using importtest::UpdateRows;

const std::string kSuccess = "Dream Meanings Updated Successfully.";
const std::string kInitial = "Snake=Danger; Cat=Independence; O'Brien=Luck; Brien=Plain";

class KeywordMerge : public importtest::ImportFixture {
protected:
    testsupport::Dictionary InitialDictionary() const override {
        return {
            {"Snake", "Danger"}, {"Cat", "Independence"}, {"O'Brien", "Luck"}, {"Brien", "Plain"}};
    }

    frmKeyUpdate* Open(const UpdateRows& rows, Maker maker = Maker::StockTool) {
        testsupport::ProcessEvents(); // lets the window of an earlier import go
        importtest::WriteUpdateFile(update, rows, maker);
        updateBytes = testsupport::FileBytes(update);
        return StartWithCommandLine(update);
    }

    // Checks `check` besides the new keywords, picks the policy (-1 for none), imports, and
    // gives the one message shown, marked "! " when critical. The window lives until the next Open.
    std::string Import(frmKeyUpdate* window, int policy, const QStringList& check = {},
                       bool closes = true) {
        if (window == nullptr)
            return "no import window";
        for (const QString& keyword : check)
            importtest::SetChecked(window, keyword);
        if (policy >= 0)
            testsupport::Find<QRadioButton>(window, QStringLiteral("optOption_%1").arg(policy))
                ->click();
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        testsupport::Find<QPushButton>(window, "cmdImport")->click();
        EXPECT_EQ(importtest::ImportWindow() == nullptr, closes) << "closed or not";
        EXPECT_EQ(testsupport::FileBytes(update), updateBytes) << "the update file was written";
        const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
        if (shown.size() != 1)
            return std::to_string(shown.size()) + " messages";
        return (shown[0].icon == MsgBox::Icon::Critical ? "! " : "") + shown[0].text.toStdString();
    }

    const QString update = UpdatePath("update.udj");
    QByteArray updateBytes;
};

TEST_F(KeywordMerge, EachPolicyDecidesWhatBecomesOfAnExistingMeaning) {
    const QList<std::pair<int, std::string>> cases = {{-1, "Snake=Danger"},
                                                      {0, "Snake=Healing"},
                                                      {1, "Snake=Danger"},
                                                      {2, "Snake=Danger ; Healing"}};
    for (const auto& [policy, expected] : cases) {
        testsupport::Exec(KeywordsFile(),
                          "UPDATE tblKeywords SET Description = 'Danger' WHERE rowid = 1");
        EXPECT_EQ(Import(Open({{"Snake", "Healing"}}), policy, {"Snake"}), kSuccess);
        EXPECT_EQ(importtest::DictionaryRows(KeywordsFile()).first().toStdString(), expected)
            << "policy " << policy;
    }
    // Appending the same meaning once more appends it again. A keyword in other letters changes
    // the dictionary's own row; a new keyword twice is added once, then merged. The program's own
    // files merge alike.
    EXPECT_EQ(Import(Open({{"Snake", "Healing"},
                           {"CAT", "Agility"},
                           {"Heron", "Patience"},
                           {"heron", "Stillness"}},
                          Maker::Program),
                     2, {"Snake", "CAT"}),
              kSuccess);
    EXPECT_EQ(Dictionary(), "Snake=Danger ; Healing ; Healing; Cat=Independence ; Agility; "
                            "O'Brien=Luck; Brien=Plain; Heron=Patience ; Stillness");
}

TEST_F(KeywordMerge, OnlyCheckedItemsAreWrittenWhileTheBarCountsEveryItem) {
    UpdateRows rows = {{"Snake", "Healing"}};
    for (int i = 0; i < 9; ++i)
        rows.push_back({QStringLiteral("New%1").arg(i), QStringLiteral("Meaning %1").arg(i)});
    frmKeyUpdate* window = Open(rows);
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 9; ++i)
        importtest::SetChecked(window, QStringLiteral("New%1").arg(i), i == 2 || i == 7);
    QSignalSpy steps(window->ProgressBar1, &QProgressBar::valueChanged);
    EXPECT_EQ(Import(window, 0, {"Snake"}), kSuccess);
    EXPECT_EQ(steps.count(), 10);
    EXPECT_EQ(window->ProgressBar1->value(), 10);
    EXPECT_EQ(window->ProgressBar1->maximum(), 10);
    EXPECT_EQ(window->lblProgressbar->text(), "3 keyword(s)s imported");
    EXPECT_EQ(Dictionary(), "Snake=Healing; Cat=Independence; O'Brien=Luck; Brien=Plain; "
                            "New2=Meaning 2; New7=Meaning 7");
}

TEST_F(KeywordMerge, AQuoteInAKeywordFindsAndChangesExactlyThatKeyword) {
    frmKeyUpdate* window = Open({{"o'brien", "Charm"},
                                 {"O'Brian", "Other"},
                                 {"'", "A lone quote"},
                                 {"Brien' OR 'a'='a", "Injected"}},
                                Maker::Program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(importtest::Listed(window),
              "'|A lone quote|0|+; Brien' OR 'a'='a|Injected|0|+; O'Brian|Other|0|+; "
              "o'brien|Charm|1|-");
    EXPECT_EQ(Import(window, 0, {"o'brien"}), kSuccess);
    EXPECT_EQ(Dictionary(), "Snake=Danger; Cat=Independence; O'Brien=Charm; Brien=Plain; "
                            "'=A lone quote; Brien' OR 'a'='a=Injected; O'Brian=Other");
}

// Rows that would add an empty keyword or empty a meaning cannot be checked, and the closing
// message counts them. Keywords are trimmed before they are compared and stored, so " Cat " is
// the dictionary's Cat. Nothing checked, nothing is imported, and the window stays.
TEST_F(KeywordMerge, UntrimmedEmptyAndNullRowsAreTrimmedOrSkippedAndCounted) {
    importtest::WriteUpdateFile(update, {{" Cat ", "Grace"},
                                         {"  Owl  ", "Wisdom"},
                                         {"   ", "Blank keyword"},
                                         {"Lark", QVariant()},
                                         {"Snake", ""},
                                         {"Brien", "   "}});
    testsupport::Exec(update, "INSERT INTO tblKeywords VALUES (NULL, 'No keyword')");
    updateBytes = testsupport::FileBytes(update);
    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(importtest::Listed(window),
              "|Blank keyword|0|- (off); |No keyword|0|- (off); Lark||0|- (off); "
              "Owl|Wisdom|0|+; Brien|   |1|- (off); Cat|Grace|1|-; Snake||1|- (off)");

    importtest::SetChecked(window, "Owl", false);
    importtest::SetChecked(window, "Lark"); // a row that cannot be checked does not count
    EXPECT_EQ(Import(window, 0, {}, false), "No keyword was checked, so nothing was imported.");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Dictionary(), kInitial);

    EXPECT_EQ(Import(window, 0, {"Cat", "Owl"}),
              "Dream Meanings Updated Successfully.\n"
              "5 row(s) without a keyword or a meaning were skipped.");
    EXPECT_EQ(Dictionary(), "Snake=Danger; Cat=Grace; O'Brien=Luck; Brien=Plain; Owl=Wisdom");
}

// A dictionary that cannot be written must never end in the success message: nothing is
// written, and the window stays with the user's choices. A single row the dictionary refuses
// is skipped alone, and the rest is committed.
TEST_F(KeywordMerge, AFailedWriteChangesNothingAndARefusedRowIsSkippedAlone) {
    const QByteArray before = testsupport::FileBytes(KeywordsFile());
    for (const auto fault : {modDB::SimulatedFault::ReadOnly, modDB::SimulatedFault::DiskFull}) {
        modDB::SimulateFault(KeywordsFile(), fault);
        frmKeyUpdate* window =
            Open({{"Owl", "Wisdom"}, {"Heron", "Patience"}, {"Snake", "Healing"}});
        const std::string text = Import(window, 0, {"Snake"}, false);
        EXPECT_EQ(text.find("! Nothing was imported: the dream dictionary could not be updated.\n" +
                            KeywordsFile().toStdString() + ": "),
                  0u)
            << text;
        EXPECT_EQ(importtest::Listed(window),
                  "Heron|Patience|0|+; Owl|Wisdom|0|+; Snake|Healing|1|+");
        EXPECT_EQ(testsupport::Find<QProgressBar>(window, "ProgressBar1")->value(), 0);
        testsupport::Find<QPushButton>(window, "cmdCancel")->click();
        modDB::rsKeywords.reset();
        modDB::cnKeywords.reset();
        modDB::SimulateFault(QString(), modDB::SimulatedFault::None);
        EXPECT_EQ(Dictionary(), kInitial);
        EXPECT_TRUE(fault != modDB::SimulatedFault::ReadOnly ||
                    testsupport::FileBytes(KeywordsFile()) == before);
    }
    testsupport::Exec(KeywordsFile(),
                      "CREATE TRIGGER refuse BEFORE INSERT ON tblKeywords WHEN NEW.Keyword = "
                      "'Moth' BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const std::string text =
        Import(Open({{"Lamp", "Guidance"}, {"Moth", "Attraction"}, {"Nest", "Home"}}), -1);
    EXPECT_EQ(text, "! 1 of 3 checked keyword(s) could not be imported into the dream "
                    "dictionary.\nMoth: refused");
    EXPECT_EQ(Dictionary(), kInitial + "; Lamp=Guidance; Nest=Home");
}

// Cancel while the import runs: the window answers it at once, the bar shows all along, and
// the dictionary is left as it was.
TEST_F(KeywordMerge, CancelDuringTheImportRollsItAllBack) {
    UpdateRows rows;
    for (int i = 0; i < 400; ++i)
        rows.push_back({QStringLiteral("Dream%1").arg(i, 3, 10, QLatin1Char('0')), "Meaning"});
    frmKeyUpdate* window = Open(rows);
    ASSERT_NE(window, nullptr);
    auto* bar = testsupport::Find<QProgressBar>(window, "ProgressBar1");
    auto* cancel = testsupport::Find<QPushButton>(window, "cmdCancel");
    int hidden = 0, last = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        QThread::usleep(2000); // a slow disk
        hidden += bar->isVisible() ? 0 : 1;
        last = value;
        // A click queued like a user's: only a window that answers input mid-import sees it.
        if (value == 50)
            QTimer::singleShot(0, cancel, &QPushButton::click);
    });
    testsupport::Find<QPushButton>(window, "cmdImport")->click();
    testsupport::ProcessEvents();
    EXPECT_EQ(importtest::ImportWindow(), nullptr);
    EXPECT_EQ(hidden, 0);
    EXPECT_GT(last, 50);
    EXPECT_LT(last, 400) << "the import ran to its end";
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
    EXPECT_EQ(Dictionary(), kInitial);
    EXPECT_EQ(testsupport::FileBytes(update), updateBytes);
}

// One import is one transaction: a process killed midway leaves the dictionary exactly as it was,
// and running the same import again appends each meaning once.
TEST_F(KeywordMerge, AKilledImportLeavesTheDictionaryExactlyAsItWas) {
    const int kNew = 2000;
    UpdateRows rows;
    // Meanings long enough that the run writes to the file before it commits.
    const QString meaning = QString(8000, QLatin1Char('m'));
    for (int i = 0; i < kNew; ++i)
        rows.push_back({QStringLiteral("Dream%1").arg(i, 4, 10, QLatin1Char('0')), meaning});
    for (const QString& known : importtest::DictionaryRows(KeywordsFile()))
        rows.push_back({known.section('=', 0, 0).toUpper(), "Changed"});
    importtest::WriteUpdateFile(update, rows, Maker::Program);
    updateBytes = testsupport::FileBytes(update);
    const QByteArray before = importtest::Dump(KeywordsFile());

    QProcess child;
    child.start(IMPORT_KILL_CHILD, {folder.path(), update});
    QByteArray said;
    while (!said.contains("halfway\n") && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    ASSERT_TRUE(said.contains("halfway\n")) << "the child never got halfway: " << said.data();
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_FALSE(said.contains("done")) << "the import ended before it could be killed";
    // The killed run had written much of its work to the file's log already.
    EXPECT_GT(QFileInfo(KeywordsFile() + "-wal").size(), kNew / 4 * meaning.size());

    EXPECT_EQ(testsupport::Query(KeywordsFile(), "PRAGMA integrity_check"),
              QList<QVariantList>{{"ok"}});
    EXPECT_EQ(importtest::Dump(KeywordsFile()), before);
    EXPECT_EQ(testsupport::FileBytes(update), updateBytes);

    child.start(IMPORT_KILL_CHILD, {folder.path(), update});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_TRUE(child.readAllStandardOutput().endsWith("done\n"));
    const QStringList after = importtest::DictionaryRows(KeywordsFile());
    ASSERT_EQ(after.size(), 4 + kNew);
    EXPECT_EQ(QStringList(after.mid(0, 4)).join("; ").toStdString(),
              "Snake=Danger ; Changed; Cat=Independence ; Changed; O'Brien=Luck ; Changed; "
              "Brien=Plain ; Changed");
    EXPECT_EQ(after.last(), "Dream1999=" + meaning);
}

} // namespace
