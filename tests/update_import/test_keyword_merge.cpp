// Merging the checked keywords of an update into the dictionary: the three policies, the
// progress display, what is reported when the dictionary cannot be written, and an import
// cancelled or killed midway.

#include "ImportTestSupport.h"

#include <QSignalSpy>

#include <csignal>

namespace {

using namespace importtest;

const QString kSuccess = "Information: Dream Meanings Updated Successfully.";
const std::string kInitial = "Snake=Danger; Cat=Independence; O'Brien=Luck; Brien=Plain";

class KeywordMerge : public ImportFixture {
protected:
    Dictionary InitialDictionary() const override {
        return {
            {"Snake", "Danger"}, {"Cat", "Independence"}, {"O'Brien", "Luck"}, {"Brien", "Plain"}};
    }

    QWidget* Open(const UpdateRows& rows, Maker maker = Maker::StockTool) {
        ProcessEvents(); // lets the window of an earlier import go
        WriteUpdateFile(update, rows, maker);
        updateBytes = FileBytes(update);
        return StartProgram(update);
    }

    // Checks `check` besides the new keywords, picks the policy (-1 for none), imports, and
    // gives the one message shown. The window lives until the next Open.
    QString Import(QWidget* window, int policy, const QStringList& check = {}, bool closes = true) {
        if (window == nullptr)
            return "no import window";
        for (const QString& keyword : check)
            SetChecked(window, keyword);
        if (policy >= 0)
            Find<QRadioButton>(window, QStringLiteral("optOption_%1").arg(policy))->click();
        const QStringList shown = Press(Find<QPushButton>(window, "cmdImport"), {Reply::OK});
        EXPECT_EQ(ImportWindow() == nullptr, closes) << "closed or not";
        EXPECT_EQ(FileBytes(update), updateBytes) << "the update file was written";
        return shown.size() == 1 ? shown[0] : QString::number(shown.size()) + " messages";
    }

    const QString update = UpdatePath("update.udj");
    QByteArray updateBytes;
};

TEST_F(KeywordMerge, EachPolicyDecidesWhatBecomesOfAnExistingMeaning) {
    const std::pair<int, const char*> cases[] = {{-1, "Snake=Danger"},
                                                 {0, "Snake=Healing"},
                                                 {1, "Snake=Danger"},
                                                 {2, "Snake=Danger ; Healing"}};
    for (const auto& [policy, expected] : cases) {
        Exec(KeywordsFile(), "UPDATE tblKeywords SET Description = 'Danger' WHERE rowid = 1");
        EXPECT_EQ(Import(Open({{"Snake", "Healing"}}), policy, {"Snake"}), kSuccess);
        EXPECT_EQ(DictionaryRows(KeywordsFile()).first(), expected) << "policy " << policy;
    }
    // Appending the same meaning once more appends it again. A keyword in other letters changes
    // the dictionary's own row; a new keyword twice is added once, then merged; a quote finds
    // and changes exactly its keyword. The program's own files merge alike.
    EXPECT_EQ(Import(Open({{"Snake", "Healing"},
                           {"CAT", "Agility"},
                           {"Heron", "Patience"},
                           {"heron", "Stillness"},
                           {"o'brien", "Charm"},
                           {"Brien' OR 'a'='a", "Injected"}},
                          Maker::Program),
                     2, {"Snake", "CAT", "o'brien"}),
              kSuccess);
    EXPECT_EQ(Stored(), "Snake=Danger ; Healing ; Healing; Cat=Independence ; Agility; "
                        "O'Brien=Luck ; Charm; Brien=Plain; Brien' OR 'a'='a=Injected; "
                        "Heron=Patience ; Stillness");
}

TEST_F(KeywordMerge, OnlyCheckedItemsAreWrittenWhileTheBarCountsEveryItem) {
    UpdateRows rows = {{"Snake", "Healing"}};
    for (int i = 0; i < 9; ++i)
        rows.push_back({QStringLiteral("New%1").arg(i), QStringLiteral("Meaning %1").arg(i)});
    QWidget* window = Open(rows);
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 9; ++i)
        SetChecked(window, QStringLiteral("New%1").arg(i), i == 2 || i == 7);
    auto* bar = Find<QProgressBar>(window, "ProgressBar1");
    QSignalSpy steps(bar, &QProgressBar::valueChanged);
    EXPECT_EQ(Import(window, 0, {"Snake"}), kSuccess);
    EXPECT_EQ(steps.count(), 10);
    EXPECT_EQ(bar->maximum(), 10);
    EXPECT_EQ(Find<QLabel>(window, "lblProgressbar")->text(), "3 keyword(s)s imported");
    EXPECT_EQ(Stored(), "Snake=Healing; Cat=Independence; O'Brien=Luck; Brien=Plain; "
                        "New2=Meaning 2; New7=Meaning 7");
}

// Rows that would add an empty keyword or empty a meaning cannot be checked, and the closing
// message counts them. Keywords are trimmed before they are compared and stored, so " Cat " is
// the dictionary's Cat. Nothing checked, nothing is imported, and the window stays.
TEST_F(KeywordMerge, UntrimmedEmptyAndNullRowsAreTrimmedOrSkippedAndCounted) {
    WriteUpdateFile(update, {{" Cat ", "Grace"},
                             {"  Owl  ", "Wisdom"},
                             {"   ", "Blank keyword"},
                             {"Lark", QVariant()},
                             {"Snake", ""},
                             {"Brien", "   "}});
    Exec(update, "INSERT INTO tblKeywords VALUES (NULL, 'No keyword')");
    updateBytes = FileBytes(update);
    QWidget* window = StartProgram(update);
    EXPECT_EQ(Listed(window),
              "|Blank keyword|0|- (off); |No keyword|0|- (off); Lark||0|- (off); "
              "Owl|Wisdom|0|+; Brien|   |1|- (off); Cat|Grace|1|-; Snake||1|- (off)");

    SetChecked(window, "Owl", false);
    SetChecked(window, "Lark"); // a row that cannot be checked does not count
    EXPECT_EQ(Import(window, 0, {}, false),
              "Information: No keyword was checked, so nothing was imported.");
    EXPECT_EQ(Stored(), kInitial);

    EXPECT_EQ(Import(window, 0, {"Cat", "Owl"}),
              kSuccess + "\n5 row(s) without a keyword or a meaning were skipped.");
    EXPECT_EQ(Stored(), "Snake=Danger; Cat=Grace; O'Brien=Luck; Brien=Plain; Owl=Wisdom");
}

// A dictionary that cannot be written must never end in the success message: nothing is
// written, and the window stays with the user's choices. A single row the dictionary refuses
// is skipped alone, and the rest is committed.
TEST_F(KeywordMerge, AFailedWriteChangesNothingAndARefusedRowIsSkippedAlone) {
    const QByteArray before = FileBytes(KeywordsFile());
    for (const Fault fault : {Fault::ReadOnly, Fault::DiskFull}) {
        SimulateFault(fault, KeywordsFile());
        QWidget* window = Open({{"Owl", "Wisdom"}, {"Heron", "Patience"}, {"Snake", "Healing"}});
        const QString text = Import(window, 0, {"Snake"}, false);
        EXPECT_TRUE(text.startsWith("Critical: Nothing was imported: the dream dictionary could "
                                    "not be updated.\n" +
                                    KeywordsFile() + ": "))
            << text.toStdString();
        EXPECT_EQ(Listed(window), "Heron|Patience|0|+; Owl|Wisdom|0|+; Snake|Healing|1|+");
        EXPECT_EQ(Find<QProgressBar>(window, "ProgressBar1")->value(), 0);
        Find<QPushButton>(window, "cmdCancel")->click();
        CloseAll();
        SimulateFault(Fault::None);
        EXPECT_EQ(Stored(), kInitial);
        EXPECT_TRUE(fault == Fault::DiskFull || FileBytes(KeywordsFile()) == before);
    }
    Exec(KeywordsFile(), "CREATE TRIGGER refuse BEFORE INSERT ON tblKeywords WHEN NEW.Keyword = "
                         "'Moth' BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_EQ(Import(Open({{"Lamp", "Guidance"}, {"Moth", "Attraction"}, {"Nest", "Home"}}), -1),
              "Critical: 1 of 3 checked keyword(s) could not be imported into the dream "
              "dictionary.\nMoth: refused");
    EXPECT_EQ(Stored(), kInitial + "; Lamp=Guidance; Nest=Home");
}

// Cancel while the import runs: the window answers it at once, the bar shows all along, and
// the dictionary is left as it was.
TEST_F(KeywordMerge, CancelDuringTheImportRollsItAllBack) {
    UpdateRows rows;
    for (int i = 0; i < 400; ++i)
        rows.push_back({QStringLiteral("Dream%1").arg(i, 3, 10, QLatin1Char('0')), "Meaning"});
    QWidget* window = Open(rows);
    ASSERT_NE(window, nullptr);
    auto* bar = Find<QProgressBar>(window, "ProgressBar1");
    auto* cancel = Find<QPushButton>(window, "cmdCancel");
    int hidden = 0, last = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        QThread::usleep(2000); // a slow disk
        hidden += bar->isVisible() ? 0 : 1;
        last = value;
        // A click queued like a user's: only a window that answers input mid-import sees it.
        if (value == 50)
            QTimer::singleShot(0, cancel, &QPushButton::click);
    });
    EXPECT_EQ(Press(Find<QPushButton>(window, "cmdImport")), QStringList{});
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(hidden, 0);
    EXPECT_GT(last, 50);
    EXPECT_LT(last, 400) << "the import ran to its end";
    EXPECT_EQ(Stored(), kInitial);
    EXPECT_EQ(FileBytes(update), updateBytes);
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
    for (const QString& known : DictionaryRows(KeywordsFile()))
        rows.push_back({known.section('=', 0, 0).toUpper(), "Changed"});
    WriteUpdateFile(update, rows, Maker::Program);
    updateBytes = FileBytes(update);
    const QByteArray before = Dump(KeywordsFile());

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

    EXPECT_EQ(Query(KeywordsFile(), "PRAGMA integrity_check"), QList<QVariantList>{{"ok"}});
    EXPECT_EQ(Dump(KeywordsFile()), before);
    EXPECT_EQ(FileBytes(update), updateBytes);

    child.start(IMPORT_KILL_CHILD, {folder.path(), update});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_TRUE(child.readAllStandardOutput().endsWith("done\n"));
    const QStringList after = DictionaryRows(KeywordsFile());
    ASSERT_EQ(after.size(), 4 + kNew);
    EXPECT_EQ(QStringList(after.mid(0, 4)).join("; ").toStdString(),
              "Snake=Danger ; Changed; Cat=Independence ; Changed; O'Brien=Luck ; Changed; "
              "Brien=Plain ; Changed");
    EXPECT_EQ(after.last(), "Dream1999=" + meaning);
}

} // namespace
