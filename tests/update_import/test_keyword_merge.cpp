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
    std::string Import(frmKeyUpdate* window, int policy, const QStringList& check = {}) {
        if (window == nullptr)
            return "no import window";
        for (const QString& keyword : check)
            importtest::SetChecked(window, keyword);
        if (policy >= 0)
            window->optOption[policy]->click();
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        window->cmdImport->click();
        EXPECT_EQ(importtest::ImportWindow(), nullptr) << "the import must close the window";
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
    // The shared recordset shows the whole dictionary again, so an analysis finds Heron at once.
    EXPECT_EQ(modDB::rsKeywords->Filter(), QString());
    EXPECT_EQ(modDB::rsKeywords->RecordCount(), 5);
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

// A dictionary that cannot be written must never end in the success message.
TEST_F(KeywordMerge, FailedWritesAreCountedInACriticalMessageAndTheOtherRowsStay) {
    const QByteArray before = testsupport::FileBytes(KeywordsFile());
    for (const auto fault : {modDB::SimulatedFault::ReadOnly, modDB::SimulatedFault::DiskFull}) {
        modDB::SimulateFault(KeywordsFile(), fault);
        const std::string text = Import(
            Open({{"Owl", "Wisdom"}, {"Heron", "Patience"}, {"Snake", "Healing"}}), 0, {"Snake"});
        EXPECT_EQ(text.find("! 3 of 3 checked keyword(s) could not be imported into the dream "
                            "dictionary."),
                  0u)
            << text;
        modDB::rsKeywords.reset();
        modDB::cnKeywords.reset();
        modDB::SimulateFault(QString(), modDB::SimulatedFault::None);
        EXPECT_EQ(Dictionary(), kInitial);
        EXPECT_TRUE(fault != modDB::SimulatedFault::ReadOnly ||
                    testsupport::FileBytes(KeywordsFile()) == before);
    }
    // The dictionary itself refuses one keyword; the rows before and after it are written.
    testsupport::Exec(KeywordsFile(),
                      "CREATE TRIGGER refuse BEFORE INSERT ON tblKeywords WHEN NEW.Keyword = "
                      "'Moth' BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const std::string text =
        Import(Open({{"Lamp", "Guidance"}, {"Moth", "Attraction"}, {"Nest", "Home"}}), -1);
    EXPECT_EQ(text.find("! 1 of 3 checked keyword(s)"), 0u) << text;
    EXPECT_NE(text.find("refused"), std::string::npos) << text;
    EXPECT_EQ(Dictionary(), kInitial + "; Lamp=Guidance; Nest=Home");
}

// Each merged row is written on its own, so an import killed midway leaves the dictionary
// intact, holding exactly the keywords handled before the kill.
TEST_F(KeywordMerge, AKilledImportLeavesAnIntactDictionaryWithTheKeywordsBeforeTheKill) {
    const int kNew = 2000;
    const QStringList original = importtest::DictionaryRows(KeywordsFile());
    // New keywords come first and are merged in keyword order; the existing ones (unchecked)
    // follow them and must stay as they were.
    UpdateRows rows;
    QStringList expected = original;
    for (int i = 0; i < kNew; ++i) {
        const QString keyword = QStringLiteral("Dream%1").arg(i, 4, 10, QLatin1Char('0'));
        rows.push_back({keyword, QStringLiteral("Meaning number %1").arg(i)});
        expected << keyword + QStringLiteral("=Meaning number %1").arg(i);
    }
    for (const QString& known : original)
        rows.push_back({known.section('=', 0, 0).toUpper(), "Changed"});
    importtest::WriteUpdateFile(update, rows, Maker::Program);
    updateBytes = testsupport::FileBytes(update);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(IMPORT_KILL_CHILD, {folder.path(), update});
    ASSERT_TRUE(child.waitForReadyRead(30000)) << "the child never started its import";
    // Kill it once about half of the new keywords are in.
    QElapsedTimer waited;
    waited.start();
    while (importtest::DictionaryRows(KeywordsFile()).size() < original.size() + kNew / 2 &&
           waited.elapsed() < 60000 && child.state() == QProcess::Running)
        QThread::msleep(5);
    ASSERT_EQ(child.state(), QProcess::Running) << "the import ended before it could be killed";
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(10000));

    EXPECT_EQ(testsupport::Query(KeywordsFile(), "PRAGMA integrity_check"),
              QList<QVariantList>{{"ok"}});
    const QStringList after = importtest::DictionaryRows(KeywordsFile());
    EXPECT_GE(after.size(), original.size() + kNew / 2);
    EXPECT_LT(after.size(), original.size() + kNew) << "the kill came too late to test anything";
    EXPECT_EQ(after, expected.mid(0, after.size()))
        << "not the dictionary and a prefix of the update";
    EXPECT_EQ(testsupport::FileBytes(update), updateBytes);
}

} // namespace
