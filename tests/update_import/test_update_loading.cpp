// Loading an update file into the import window: what is listed, what is pre-checked as new,
// in which order, and what happens with files that are no usable update.

#include "ImportTestSupport.h"
#include "app/modMain.h"
#include "update_import/frmKeyUpdate.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

namespace {

using importtest::AppendRows;
using importtest::ListedItems;
using importtest::UpdateRows;
using importtest::WriteUpdateFile;
using Listed = importtest::Listed;

class UpdateLoading : public importtest::ImportFixture {};

TEST_F(UpdateLoading, NewKeywordsComeFirstCheckedAndExistingOnesFollowUnchecked) {
    // The dictionary holds cat, Bat, water, Ant and flying.
    const QString update = UpdatePath(QStringLiteral("spring.udj"));
    WriteUpdateFile(update, {{QStringLiteral("Zebra"), QStringLiteral("Stripes")},
                             {QStringLiteral("Cat"), QStringLiteral("Grace")},
                             {QStringLiteral("moon"), QStringLiteral("Cycles")},
                             {QStringLiteral("BAT"), QStringLiteral("Night")},
                             {QStringLiteral("apple"), QStringLiteral("Temptation")},
                             {QStringLiteral("Water"), QStringLiteral("Flow")}});

    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->lblInfo->text(), QStringLiteral("6 updates(s) found"));
    const QList<Listed> expected = {
        {QStringLiteral("apple"), QStringLiteral("Temptation"), QStringLiteral("0"), true},
        {QStringLiteral("moon"), QStringLiteral("Cycles"), QStringLiteral("0"), true},
        {QStringLiteral("Zebra"), QStringLiteral("Stripes"), QStringLiteral("0"), true},
        {QStringLiteral("BAT"), QStringLiteral("Night"), QStringLiteral("1"), false},
        {QStringLiteral("Cat"), QStringLiteral("Grace"), QStringLiteral("1"), false},
        {QStringLiteral("Water"), QStringLiteral("Flow"), QStringLiteral("1"), false},
    };
    EXPECT_EQ(ListedItems(window), expected);
    EXPECT_TRUE(window->ListView1->isColumnHidden(2));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(window->optOption[i]->isChecked()) << "policy " << i;
}

TEST_F(UpdateLoading, EachGroupKeepsKeywordOrderInALongList) {
    // Long enough that an unstable sort would shuffle the equal markers.
    UpdateRows update, known;
    for (int i = 0; i < 400; ++i) {
        const QString keyword = QStringLiteral("Kw%1").arg(i, 3, 10, QLatin1Char('0'));
        update.push_back({keyword, QStringLiteral("update %1").arg(i)});
        if (i % 3 == 0)
            known.push_back({keyword.toLower(), QStringLiteral("dictionary %1").arg(i)});
    }
    std::reverse(update.begin(), update.end()); // row order in the file must not matter
    WriteUpdateFile(UpdatePath(QStringLiteral("long.udj")), update);
    AppendRows(KeywordsFile(), known);

    frmKeyUpdate* window = StartWithCommandLine(UpdatePath(QStringLiteral("long.udj")));
    ASSERT_NE(window, nullptr);
    QStringList fresh, existing;
    for (int i = 0; i < 400; ++i)
        (i % 3 == 0 ? existing : fresh) << QStringLiteral("Kw%1").arg(i, 3, 10, QLatin1Char('0'));
    QStringList listed, markers;
    for (const Listed& item : ListedItems(window)) {
        listed << item.keyword;
        markers << item.marker;
        EXPECT_EQ(item.checked, item.marker == QStringLiteral("0")) << item;
    }
    EXPECT_EQ(listed, fresh + existing);
    EXPECT_EQ(markers.count(QStringLiteral("0")), fresh.size());
}

TEST_F(UpdateLoading, QuotesInKeywordsFindExactlyThatKeyword) {
    AppendRows(KeywordsFile(), {{QStringLiteral("O'Brien"), QStringLiteral("Luck")},
                                {QStringLiteral("It's raining"), QStringLiteral("Relief")}});
    const QString update = UpdatePath(QStringLiteral("quotes.udj"));
    WriteUpdateFile(update, {{QStringLiteral("o'brien"), QStringLiteral("Charm")},
                             {QStringLiteral("O'Brian"), QStringLiteral("Other")},
                             {QStringLiteral("OBrien"), QStringLiteral("Other")},
                             {QStringLiteral("'"), QStringLiteral("A lone quote")},
                             {QStringLiteral("it's RAINING"), QStringLiteral("Rain")},
                             {QStringLiteral("cat' OR 'x'='x"), QStringLiteral("Injected")}});

    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    QStringList fresh, existing;
    for (const Listed& item : ListedItems(window))
        (item.checked ? fresh : existing) << item.keyword;
    EXPECT_EQ(fresh, (QStringList{QStringLiteral("'"), QStringLiteral("cat' OR 'x'='x"),
                                  QStringLiteral("O'Brian"), QStringLiteral("OBrien")}));
    EXPECT_EQ(existing, (QStringList{QStringLiteral("it's RAINING"), QStringLiteral("o'brien")}));
}

TEST_F(UpdateLoading, AnEmptyDictionaryChecksAndMarksNothing) {
    testsupport::Exec(KeywordsFile(), QStringLiteral("DELETE FROM tblKeywords"));
    const QString update = UpdatePath(QStringLiteral("first.udj"));
    WriteUpdateFile(update, {{QStringLiteral("Owl"), QStringLiteral("Wisdom")},
                             {QStringLiteral("ant"), QStringLiteral("Work")}});

    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    const QList<Listed> expected = {
        {QStringLiteral("ant"), QStringLiteral("Work"), QString(), false},
        {QStringLiteral("Owl"), QStringLiteral("Wisdom"), QString(), false},
    };
    EXPECT_EQ(ListedItems(window), expected);
    EXPECT_EQ(window->lblInfo->text(), QStringLiteral("2 updates(s) found"));
}

TEST_F(UpdateLoading, APathInQuotesOpensAndEveryRowIsCountedAndListed) {
    UpdateRows rows;
    for (int i = 1; i <= 24; ++i)
        rows.push_back({QStringLiteral("Word%1").arg(i), QStringLiteral("Meaning %1").arg(i)});
    rows.push_back({QStringLiteral("Blank"), QVariant()});
    const QString update = UpdatePath(QStringLiteral("spring update.kwu"));
    WriteUpdateFile(update, rows);

    frmKeyUpdate* window = StartWithCommandLine(QLatin1Char('"') + update + QLatin1Char('"'));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->lblInfo->text(), QStringLiteral("25 updates(s) found"));
    EXPECT_EQ(window->ProgressBar1->minimum(), 0);
    const QList<Listed> listed = ListedItems(window);
    ASSERT_EQ(listed.size(), 25);
    // A missing description lists as empty.
    EXPECT_EQ(listed.first(),
              (Listed{QStringLiteral("Blank"), QString(), QStringLiteral("0"), true}));
}

// Files that are no usable update open the window all the same, empty.
class UnusableUpdate : public importtest::ImportFixture,
                       public ::testing::WithParamInterface<const char*> {
protected:
    QString Prepare(const QString& kind) {
        const QString path = UpdatePath(QStringLiteral("update.udj"));
        if (kind == QLatin1String("text")) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("Keyword\tDescription\nOwl\tWisdom\n");
        } else if (kind == QLatin1String("no table")) {
            testsupport::Exec(path, QStringLiteral("CREATE TABLE tblWords (Keyword, Description)"));
            testsupport::Exec(path, QStringLiteral("INSERT INTO tblWords VALUES ('Owl', 'x')"));
        } else if (kind == QLatin1String("other columns")) {
            testsupport::Exec(path, QStringLiteral("CREATE TABLE tblKeywords (Word, Meaning)"));
            testsupport::Exec(path, QStringLiteral("INSERT INTO tblKeywords VALUES ('Owl', 'x')"));
        } else if (kind == QLatin1String("empty table")) {
            WriteUpdateFile(path, {});
        } else if (kind == QLatin1String("folder")) {
            QDir().mkpath(path);
        }
        return path; // "missing" leaves nothing there
    }
};

TEST_P(UnusableUpdate, OpensTheWindowWithAnEmptyList) {
    const QString path = Prepare(QString::fromLatin1(GetParam()));
    const QByteArray before = testsupport::FileBytes(path);
    frmKeyUpdate* window = StartWithCommandLine(path);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(window->lblInfo->text(), QStringLiteral("Update Records"));

    // Import with nothing listed writes nothing and keeps the window open.
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    window->cmdImport->click();
    EXPECT_EQ(testsupport::TakeMessageTexts(),
              QStringList{QStringLiteral("Dream Meanings Updated Successfully.")});
    EXPECT_EQ(importtest::ImportWindow(), window);
    window->cmdCancel->click();
    EXPECT_EQ(testsupport::FileBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnusableUpdate,
                         ::testing::Values("text", "no table", "other columns", "empty table",
                                           "missing", "folder"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

class ClosingTheImportWindow : public importtest::ImportFixture {};

TEST_F(ClosingTheImportWindow, CancelLeavesEveryFileAsItWas) {
    const QString update = UpdatePath(QStringLiteral("spring.udj"));
    WriteUpdateFile(update,
                    {{QStringLiteral("Owl"), QStringLiteral("Wisdom")},
                     {QStringLiteral("cat"), QStringLiteral("Grace")}},
                    importtest::Maker::Program);
    const QByteArray keywords = testsupport::FileBytes(KeywordsFile());
    const QByteArray dreams = testsupport::FileBytes(DreamsFile());
    const QByteArray updateBytes = testsupport::FileBytes(update);
    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);

    importtest::SetChecked(window, QStringLiteral("cat"), true);
    window->optOption[0]->click();
    window->cmdCancel->click();
    testsupport::ProcessEvents();

    EXPECT_EQ(importtest::ImportWindow(), nullptr);
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
    modDB::rsKeywords.reset();
    modDB::cnKeywords.reset();
    modDB::rsDreams.reset();
    modDB::cnDreams.reset();
    EXPECT_EQ(testsupport::FileBytes(KeywordsFile()), keywords);
    EXPECT_EQ(testsupport::FileBytes(DreamsFile()), dreams);
    EXPECT_EQ(testsupport::FileBytes(update), updateBytes);
}

TEST_F(ClosingTheImportWindow, EscapeAndTheCloseBoxUnloadItLikeCancel) {
    const QString update = UpdatePath(QStringLiteral("spring.udj"));
    WriteUpdateFile(update, {{QStringLiteral("Owl"), QStringLiteral("Wisdom")}});
    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(modMain::LoadedForms().isEmpty()) << "Escape only hid the window";
    EXPECT_FALSE(window->isVisible());
    testsupport::ProcessEvents();

    window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    window->close();
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
}

} // namespace
