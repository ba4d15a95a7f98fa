// Merging the checked keywords of an update into the dictionary: the three policies, the
// progress display, and what is reported when the dictionary cannot be written.

#include "ImportTestSupport.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "update_import/frmKeyUpdate.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {

using importtest::DictionaryRows;
using importtest::SetChecked;
using importtest::UpdateRows;
using importtest::WriteUpdateFile;
using Row = std::pair<QString, QString>;

Row row(const char* keyword, const char* description) {
    return {QString::fromUtf8(keyword), QString::fromUtf8(description)};
}

class KeywordMerge : public importtest::ImportFixture {
protected:
    testsupport::Dictionary InitialDictionary() const override {
        return {{QStringLiteral("Snake"), QStringLiteral("Danger")},
                {QStringLiteral("Cat"), QStringLiteral("Independence")},
                {QStringLiteral("O'Brien"), QStringLiteral("Luck")},
                {QStringLiteral("Brien"), QStringLiteral("Plain")}};
    }

    // Opens `rows` as an update file, checks `extra` besides the new keywords, picks the
    // policy (-1 for none), imports, and gives the messages shown.
    QStringList Import(const UpdateRows& rows, int policy, const QStringList& extra = {},
                       const QStringList& unchecked = {}) {
        const QString update = UpdatePath(QStringLiteral("update.udj"));
        WriteUpdateFile(update, rows);
        frmKeyUpdate* window = StartWithCommandLine(update);
        if (window == nullptr) {
            ADD_FAILURE() << "no import window";
            return {};
        }
        for (const QString& keyword : extra)
            SetChecked(window, keyword, true);
        for (const QString& keyword : unchecked)
            SetChecked(window, keyword, false);
        if (policy >= 0)
            window->optOption[policy]->click();
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        window->cmdImport->click();
        testsupport::ProcessEvents();
        EXPECT_EQ(importtest::ImportWindow(), nullptr) << "the import must close the window";
        lastShown = MsgBox::TakeShown();
        QStringList texts;
        for (const MsgBox::Shown& shown : lastShown)
            texts << shown.text;
        return texts;
    }

    QList<MsgBox::Shown> lastShown;

    QString DescriptionOf(const QString& keyword) {
        const auto rows = testsupport::Query(
            KeywordsFile(), QStringLiteral("SELECT Description FROM tblKeywords WHERE Keyword = ?"),
            {keyword});
        return rows.size() == 1 ? rows.first().value(0).toString()
                                : QStringLiteral("<%1 rows>").arg(rows.size());
    }
};

const QStringList kSuccess = {QStringLiteral("Dream Meanings Updated Successfully.")};

TEST_F(KeywordMerge, EachPolicyDecidesWhatBecomesOfAnExistingMeaning) {
    const UpdateRows snake = {{QStringLiteral("Snake"), QStringLiteral("Healing")}};
    const QList<std::pair<int, QString>> cases = {
        {-1, QStringLiteral("Danger")},
        {0, QStringLiteral("Healing")},
        {1, QStringLiteral("Danger")},
        {2, QStringLiteral("Danger ; Healing")},
    };
    for (const auto& [policy, expected] : cases) {
        testsupport::Exec(KeywordsFile(),
                          QStringLiteral("UPDATE tblKeywords SET Description = 'Danger' WHERE "
                                         "Keyword = 'Snake'"));
        EXPECT_EQ(Import(snake, policy, {QStringLiteral("Snake")}), kSuccess) << policy;
        EXPECT_EQ(DescriptionOf(QStringLiteral("Snake")), expected) << "policy " << policy;
    }
    // Appending the same meaning once more appends it again.
    EXPECT_EQ(Import(snake, 2, {QStringLiteral("Snake")}), kSuccess);
    EXPECT_EQ(DescriptionOf(QStringLiteral("Snake")), QStringLiteral("Danger ; Healing ; Healing"));
    EXPECT_EQ(DictionaryRows(KeywordsFile()).size(), 4);
}

TEST_F(KeywordMerge, AKeywordInOtherLettersChangesTheDictionarysOwnRow) {
    EXPECT_EQ(
        Import({{QStringLiteral("CAT"), QStringLiteral("Agility")}}, 0, {QStringLiteral("CAT")}),
        kSuccess);
    EXPECT_EQ(DictionaryRows(KeywordsFile()),
              (QList<Row>{row("Snake", "Danger"), row("Cat", "Agility"), row("O'Brien", "Luck"),
                          row("Brien", "Plain")}));
}

TEST_F(KeywordMerge, TheSameNewKeywordTwiceIsAddedOnceThenMerged) {
    EXPECT_EQ(Import({{QStringLiteral("Heron"), QStringLiteral("Patience")},
                      {QStringLiteral("heron"), QStringLiteral("Stillness")}},
                     2),
              kSuccess);
    EXPECT_EQ(DictionaryRows(KeywordsFile()).last(), row("Heron", "Patience ; Stillness"));
    EXPECT_EQ(DictionaryRows(KeywordsFile()).size(), 5);
    // The shared recordset shows the whole dictionary again, so an analysis finds Heron at once.
    EXPECT_EQ(modDB::rsKeywords->Filter(), QString());
    EXPECT_EQ(modDB::rsKeywords->RecordCount(), 5);
}

TEST_F(KeywordMerge, OnlyCheckedItemsAreWrittenWhileTheBarCountsEveryItem) {
    UpdateRows rows;
    for (int i = 0; i < 9; ++i)
        rows.push_back({QStringLiteral("New%1").arg(i), QStringLiteral("Meaning %1").arg(i)});
    rows.push_back({QStringLiteral("Snake"), QStringLiteral("Healing")});
    const QString update = UpdatePath(QStringLiteral("ten.udj"));
    WriteUpdateFile(update, rows);
    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 9; ++i) {
        if (i != 2 && i != 7)
            SetChecked(window, QStringLiteral("New%1").arg(i), false);
    }
    SetChecked(window, QStringLiteral("Snake"), true);
    window->optOption[0]->click();

    QSignalSpy steps(window->ProgressBar1, &QProgressBar::valueChanged);
    QStringList labels; // the label as each step is taken
    QObject::connect(window->ProgressBar1, &QProgressBar::valueChanged,
                     [&labels, window] { labels << window->lblProgressbar->text(); });
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    window->cmdImport->click();

    EXPECT_EQ(steps.count(), 10);
    EXPECT_EQ(steps.last().first().toInt(), 10);
    EXPECT_EQ(window->ProgressBar1->maximum(), 10);
    EXPECT_EQ(window->lblProgressbar->text(), QStringLiteral("3 keyword(s)s imported"));
    EXPECT_TRUE(labels.contains(QStringLiteral("1 keyword(s)s imported")));
    EXPECT_EQ(testsupport::TakeMessageTexts(), kSuccess);
    testsupport::ProcessEvents();
    EXPECT_EQ(
        DictionaryRows(KeywordsFile()),
        (QList<Row>{row("Snake", "Healing"), row("Cat", "Independence"), row("O'Brien", "Luck"),
                    row("Brien", "Plain"), row("New2", "Meaning 2"), row("New7", "Meaning 7")}));
}

TEST_F(KeywordMerge, NothingCheckedWritesNothingAndKeepsTheWindowOpen) {
    const QString update = UpdatePath(QStringLiteral("old.udj"));
    WriteUpdateFile(update, {{QStringLiteral("Snake"), QStringLiteral("Healing")},
                             {QStringLiteral("Owl"), QStringLiteral("Wisdom")}});
    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    SetChecked(window, QStringLiteral("Owl"), false);
    window->optOption[0]->click();
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    window->cmdImport->click();
    EXPECT_EQ(testsupport::TakeMessageTexts(), kSuccess);
    EXPECT_EQ(importtest::ImportWindow(), window);
    EXPECT_EQ(window->ProgressBar1->value(), 0);
    EXPECT_EQ(DictionaryRows(KeywordsFile()).size(), 4);
    EXPECT_EQ(DescriptionOf(QStringLiteral("Snake")), QStringLiteral("Danger"));
}

TEST_F(KeywordMerge, AQuoteInAKeywordTouchesExactlyThatKeyword) {
    EXPECT_EQ(Import({{QStringLiteral("o'brien"), QStringLiteral("Charm")},
                      {QStringLiteral("D'Arcy"), QStringLiteral("Pride")},
                      {QStringLiteral("Brien' OR 'a'='a"), QStringLiteral("Injected")}},
                     0, {QStringLiteral("o'brien")}),
              kSuccess);
    EXPECT_EQ(DictionaryRows(KeywordsFile()),
              (QList<Row>{row("Snake", "Danger"), row("Cat", "Independence"),
                          row("O'Brien", "Charm"), row("Brien", "Plain"),
                          row("Brien' OR 'a'='a", "Injected"), row("D'Arcy", "Pride")}));
}

TEST_F(KeywordMerge, UpdateFilesAreNeverWritten) {
    for (const auto maker : {importtest::Maker::StockTool, importtest::Maker::Program}) {
        const QString update = UpdatePath(QStringLiteral("kept.udj"));
        WriteUpdateFile(update,
                        {{QStringLiteral("Owl"), QStringLiteral("Wisdom")},
                         {QStringLiteral("Snake"), QStringLiteral("Healing")}},
                        maker);
        const QByteArray before = testsupport::FileBytes(update);
        frmKeyUpdate* window = StartWithCommandLine(update);
        ASSERT_NE(window, nullptr);
        SetChecked(window, QStringLiteral("Snake"), true);
        window->optOption[2]->click();
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        window->cmdImport->click();
        testsupport::ProcessEvents();
        EXPECT_EQ(testsupport::TakeMessageTexts(), kSuccess);
        EXPECT_EQ(testsupport::FileBytes(update), before);
        EXPECT_EQ(DescriptionOf(QStringLiteral("Owl")), QStringLiteral("Wisdom"));
        testsupport::Exec(KeywordsFile(), QStringLiteral("DELETE FROM tblKeywords WHERE Keyword "
                                                         "= 'Owl'"));
    }
    EXPECT_EQ(DescriptionOf(QStringLiteral("Snake")), QStringLiteral("Danger ; Healing ; Healing"));
}

// A dictionary that cannot be written must never end in the success message.
class FailedMerge : public KeywordMerge,
                    public ::testing::WithParamInterface<modDB::SimulatedFault> {};

TEST_P(FailedMerge, SaysHowManyKeywordsWereNotImported) {
    const QByteArray before = testsupport::FileBytes(KeywordsFile());
    modDB::SimulateFault(KeywordsFile(), GetParam());
    const QStringList shown = Import({{QStringLiteral("Owl"), QStringLiteral("Wisdom")},
                                      {QStringLiteral("Heron"), QStringLiteral("Patience")},
                                      {QStringLiteral("Snake"), QStringLiteral("Healing")},
                                      {QStringLiteral("Cat"), QStringLiteral("Grace")}},
                                     0, {QStringLiteral("Snake")});
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().startsWith(QStringLiteral(
        "3 of 3 checked keyword(s) could not be imported into the dream dictionary.")))
        << shown.first().toStdString();
    EXPECT_EQ(lastShown.first().icon, MsgBox::Icon::Critical);
    modDB::rsKeywords.reset();
    modDB::cnKeywords.reset();
    EXPECT_EQ(DictionaryRows(KeywordsFile()).size(), 4);
    EXPECT_EQ(DescriptionOf(QStringLiteral("Snake")), QStringLiteral("Danger"));
    if (GetParam() == modDB::SimulatedFault::ReadOnly) {
        EXPECT_EQ(testsupport::FileBytes(KeywordsFile()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedMerge,
                         ::testing::Values(modDB::SimulatedFault::ReadOnly,
                                           modDB::SimulatedFault::DiskFull),
                         [](const auto& info) {
                             return info.param == modDB::SimulatedFault::ReadOnly
                                        ? std::string("ReadOnly")
                                        : std::string("DiskFull");
                         });

TEST_F(KeywordMerge, AWriteRefusedMidwayIsCountedAndTheOthersStay) {
    // The dictionary itself refuses one keyword; the rows before and after it are written.
    testsupport::Exec(KeywordsFile(),
                      QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tblKeywords WHEN "
                                     "NEW.Keyword = 'Moth' BEGIN SELECT RAISE(ABORT, 'refused'); "
                                     "END"));
    const QStringList shown = Import({{QStringLiteral("Lamp"), QStringLiteral("Guidance")},
                                      {QStringLiteral("Moth"), QStringLiteral("Attraction")},
                                      {QStringLiteral("Nest"), QStringLiteral("Home")}},
                                     -1);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().startsWith(QStringLiteral("1 of 3 checked keyword(s)")))
        << shown.first().toStdString();
    EXPECT_TRUE(shown.first().contains(QStringLiteral("refused")));
    EXPECT_EQ(lastShown.first().icon, MsgBox::Icon::Critical);
    const auto rows = DictionaryRows(KeywordsFile());
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[4], row("Lamp", "Guidance"));
    EXPECT_EQ(rows[5], row("Nest", "Home"));
}

} // namespace
