// The import window: loading an update file from the main window (modal) or the command line
// (the only window), what it lists and pre-checks as new, files it refuses, and merging the
// checked keywords under the three policies, with faults, Cancel and a killed import.

#include "TestSupport.h"

#include <QSignalSpy>

#include <csignal>
#include <unistd.h>

namespace {

using namespace testsupport;

// Keyword and description of each row; a null description stays NULL in the file.
using UpdateRows = std::vector<std::pair<QString, QVariant>>;

// An update file as any SQLite tool makes it, with a plain CREATE TABLE and a rollback journal.
void WriteUpdateFile(const QString& path, const UpdateRows& rows) {
    QFile::remove(path);
    Exec(path, "CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT)");
    for (const auto& [keyword, description] : rows)
        Exec(path, "INSERT INTO tblKeywords VALUES (?, ?)", {keyword, description});
}

QTreeWidget* List(const QWidget* window) {
    return Find<QTreeWidget>(window, "ListView1");
}

// Each listed item as "keyword|description|marker|+" (checked) or "...|-", with " (off)" when it
// cannot be checked, joined by "; ".
std::string Listed(const QWidget* window) {
    const QTreeWidget* list = window ? List(window) : nullptr;
    QStringList items;
    for (int i = 0; list != nullptr && i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        items << QStringList{item->text(0), item->text(1), item->text(2),
                             item->checkState(0) == Qt::Checked ? "+" : "-"}
                         .join('|') +
                     (item->flags().testFlag(Qt::ItemIsUserCheckable) ? "" : " (off)");
    }
    return items.join("; ").toStdString();
}

void SetChecked(const QWidget* window, const QString& keyword, bool checked = true) {
    const auto found = List(window)->findItems(keyword, Qt::MatchFixedString, 0);
    ASSERT_FALSE(found.isEmpty()) << keyword.toStdString();
    for (QTreeWidgetItem* item : found)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

// The dictionary's rows as "Keyword=Description", in the order they were written.
QStringList DictionaryRows(const QString& keywordsFile) {
    QStringList rows;
    for (const QVariantList& row : Query(keywordsFile, "SELECT Keyword || '=' || Description "
                                                       "FROM tblKeywords ORDER BY rowid"))
        rows << row.value(0).toString();
    return rows;
}

class ImportFixture : public ProgramFixture {
protected:
    QString UpdatePath(const QString& name) const { return folder.filePath(name); }
    std::string Stored() const { return DictionaryRows(KeywordsFile()).join("; ").toStdString(); }
};

class UpdateLoading : public ImportFixture {};

TEST_F(UpdateLoading, FromTheCommandLineNewKeywordsComeFirstAndCancelEndsTheProgram) {
    // The dictionary holds cat, Bat, water, Ant and flying. The path comes in quotes, as a
    // double click on a file whose name has a space gives it.
    const QString update = UpdatePath("spring update.kwu");
    WriteUpdateFile(update, {{"Zebra", "Stripes"},
                             {"Cat", "Grace"},
                             {"moon", "Cycles"},
                             {"BAT", "Night"},
                             {"Blank", QVariant()},
                             {"apple", "Temptation"},
                             {"Water", "Flow"}});
    const QStringList files = {KeywordsFile(), DreamsFile(), update};
    QList<QByteArray> before;
    for (const QString& file : files)
        before << FileBytes(file);
    QWidget* window = StartProgram('"' + update + '"');
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(Find<QLabel>(window, "lblInfo")->text(), "7 updates(s) found");
    EXPECT_EQ(Listed(window), "apple|Temptation|0|+; Blank||0|- (off); moon|Cycles|0|+; "
                              "Zebra|Stripes|0|+; BAT|Night|1|-; Cat|Grace|1|-; Water|Flow|1|-");
    for (const char* option : {"optOption_0", "optOption_1", "optOption_2"})
        EXPECT_FALSE(Find<QRadioButton>(window, option)->isChecked()) << option;

    // Cancel writes nothing, and the program ends with its only window.
    SetChecked(window, "Cat");
    Find<QRadioButton>(window, "optOption_0")->click();
    QTimer::singleShot(0, Find<QPushButton>(window, "cmdCancel"), &QPushButton::click);
    QObject guard; // ends the loop in case the program never does
    QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the program did not end";
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(Shown(), QStringList{});
    CloseAll();
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(FileBytes(files[i]), before[i]) << files[i].toStdString();
}

TEST_F(UpdateLoading, AnEmptyTableListsNothingAndAnEmptyDictionaryChecksNothing) {
    const QString empty = UpdatePath("empty.udj"), first = UpdatePath("first.udj");
    WriteUpdateFile(empty, {});
    QWidget* window = StartProgram(empty);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Listed(window), "");
    EXPECT_EQ(Find<QLabel>(window, "lblInfo")->text(), "Update Records");
    Find<QPushButton>(window, "cmdCancel")->click();
    EXPECT_TRUE(ProgramEnded());

    Exec(KeywordsFile(), "DELETE FROM tblKeywords");
    WriteUpdateFile(first, {{"Owl", "Wisdom"}, {"ant", "Work"}});
    window = StartProgram(first);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Listed(window), "ant|Work||-; Owl|Wisdom||-");
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(ProgramEnded()) << "Escape only hid the window";
}

// The import window is modal over the main window. Its marks come from the dictionary as it is
// when it opens: a keyword just added on the dictionary panel is known, one just deleted is new.
TEST_F(UpdateLoading, FromTheMainWindowTheMarksFollowTheDictionaryPanelsLatestChanges) {
    QWidget* main = StartProgram();
    ASSERT_NE(main, nullptr);
    const auto button = [main](const char* name) { return Find<QPushButton>(main, name); };
    button("cmdDreamDictionary")->click();
    button("cmdAddKeyword")->click();
    Find<QLineEdit>(main, "txtKeyword")->setText("Owl");
    Find<QPlainTextEdit>(main, "txtKeywordDesc")->setPlainText("Night bird");
    EXPECT_EQ(Press(button("cmdAddKeyword"), {Reply::OK}),
              QStringList{"Information: Keyword Saved Successfully"});
    auto* list = Find<QListWidget>(main, "lstKeywords");
    list->setCurrentItem(list->findItems("cat", Qt::MatchExactly).value(0));
    EXPECT_EQ(Press(button("cmdDeleteKeyword"), {Reply::Yes, Reply::OK}).value(1),
              "Critical: Keyword Deleted Successfully");

    const QString update = UpdatePath("spring.udj");
    WriteUpdateFile(update, {{"owl", "Wisdom"}, {"CAT", "Grace"}});
    NextFileName(update);
    OnNextModal([main](QWidget* window) {
        EXPECT_EQ(window, ImportWindow());
        EXPECT_EQ(window->parentWidget(), main);
        EXPECT_EQ(Listed(window), "CAT|Grace|0|+; owl|Wisdom|1|-");
        SetChecked(window, "owl");
        Find<QRadioButton>(window, "optOption_2")->click();
        Answer({Reply::OK});
        Find<QPushButton>(window, "cmdImport")->click();
    });
    button("cmdUpdateDreamDictionary")->click();

    EXPECT_EQ(ImportWindow(), nullptr);
    EXPECT_EQ(Shown(), QStringList{"Information: Dream Meanings Updated Successfully."});
    EXPECT_EQ(Stored(), "Bat=Something hidden in the dark.; water=Emotions and the "
                        "unconscious.; Ant=Patient, shared work.; flying=Freedom and a wider "
                        "view.; Owl=Night bird ; Wisdom; CAT=Grace");
    // One file at a time, and both of the program's extensions on offer.
    EXPECT_EQ(OfferedFileTypes(), "Oneirion Keywords Update (*.kwu *.udj)");
}

class UpdateRefusal : public ImportFixture {
protected:
    // The one message shown must be a critical one naming `file` and giving the reason. Which
    // files are refused and why, the core's tests show; here, the program's own data files, named
    // in other letters, as the file found.
    static void ExpectRefused(const QStringList& shown, const QString& file) {
        ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
        EXPECT_TRUE(shown[0].startsWith("Critical: \"" + file +
                                            "\" cannot be used to update the dream dictionary.\n",
                                        Qt::CaseInsensitive))
            << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains("own data file")) << shown[0].toStdString();
    }
    // Both data files, dumped.
    QByteArray DataState() const { return Dump(KeywordsFile()) + Dump(DreamsFile()); }
};

TEST_F(UpdateRefusal, OnTheCommandLineAnUnusableFileIsRefusedAndTheProgramEnds) {
    const QByteArray before = DataState();
    Answer({Reply::OK});
    EXPECT_EQ(StartProgram(folder.path() + "/DREAMS.DLL"), nullptr);
    ExpectRefused(Shown(), folder.path() + "/DREAMS.DLL");
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(OpenedPages(), QStringList{}) << "the main window never opened";
    EXPECT_EQ(DataState(), before);
}

TEST_F(UpdateRefusal, FromTheDialogAnUnusableFileIsRefusedAndTheMainWindowStaysAsItWas) {
    QWidget* main = StartProgram();
    ASSERT_NE(main, nullptr);
    Find<QPushButton>(main, "cmdDreamDictionary")->click();
    const QByteArray before = DataState();
    NextFileName(folder.path() + "/KEYWORDS.DLL");
    ExpectRefused(Press(Find<QPushButton>(main, "cmdUpdateDreamDictionary"), {Reply::OK}),
                  folder.path() + "/KEYWORDS.DLL");
    ProcessEvents();
    EXPECT_EQ(ImportWindow(), nullptr);
    EXPECT_EQ(MainWindow(), main);
    EXPECT_EQ(PanelInFront(), "Frame4");
    EXPECT_EQ(DataState(), before);
}

// A dictionary that cannot be read cannot take an update: it is named, with the reason, and
// never reported as updated.
TEST_F(UpdateRefusal, ATruncatedDictionaryIsNamedAndNothingIsImported) {
    const QString update = UpdatePath("update.udj");
    WriteUpdateFile(update, {{"Owl", "Wisdom"}});
    Exec(KeywordsFile(), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                         "300) INSERT INTO tblKeywords SELECT 'Keyword ' || i, printf('%.200c', "
                         "'m') FROM n");
    ASSERT_TRUE(QFile::resize(KeywordsFile(), QFileInfo(KeywordsFile()).size() / 2));
    const QByteArray damaged = FileBytes(KeywordsFile());

    Answer({Reply::OK});
    EXPECT_EQ(StartProgram(update), nullptr);
    const QStringList shown = Shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Critical: The dream dictionary cannot be read, so nothing can "
                                    "be imported.\n" +
                                    KeywordsFile() + ": "))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains("malformed")) << shown[0].toStdString();
    EXPECT_TRUE(ProgramEnded());
    EXPECT_EQ(FileBytes(KeywordsFile()), damaged);
}

const QString kSuccess = "Information: Dream Meanings Updated Successfully.";
const std::string kInitial = "Snake=Danger; Cat=Independence; O'Brien=Luck; Brien=Plain";

class KeywordMerge : public ImportFixture {
protected:
    Dictionary InitialDictionary() const override {
        return {
            {"Snake", "Danger"}, {"Cat", "Independence"}, {"O'Brien", "Luck"}, {"Brien", "Plain"}};
    }

    QWidget* Open(const UpdateRows& rows) {
        ProcessEvents(); // lets the window of an earlier import go
        WriteUpdateFile(update, rows);
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
        if (fault == Fault::ReadOnly)
            SimulateFault(fault, KeywordsFile());
        QWidget* window = Open({{"Owl", "Wisdom"}, {"Heron", "Patience"}, {"Snake", "Healing"}});
        if (fault == Fault::DiskFull)
            SimulateFault(fault);
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
    Dictionary rows;
    // Meanings long enough that the run writes to the file before it commits.
    const QString meaning = QString(8000, QLatin1Char('m'));
    for (int i = 0; i < kNew; ++i)
        rows.push_back({QStringLiteral("Dream%1").arg(i, 4, 10, QLatin1Char('0')), meaning});
    for (const QString& known : DictionaryRows(KeywordsFile()))
        rows.push_back({known.section('=', 0, 0).toUpper(), "Changed"});
    // Made by the program's own tool: a case-insensitive column and a write-ahead log.
    ASSERT_TRUE(modDataFiles::CreateKeywords(update, rows).ok);
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
