// The recurring symbols window as a user drives it: the table, the entries and the chart of the
// keyword picked, the range and a save reaching them, opening an entry, and the CSV export.

#include "../journal/JournalTestSupport.h"

#include <QAbstractItemView>
#include <QDateEdit>
#include <QHelpEvent>
#include <QToolTip>

using namespace journaltest;

namespace {

// Each row of a list as its cells joined by "|".
QStringList Rows(QWidget* window, const char* list) {
    QStringList rows;
    const QAbstractItemModel* model = Find<QAbstractItemView>(window, list)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join('|');
    }
    return rows;
}

void Pick(QWidget* symbols, const QString& keyword) {
    auto* table = Find<QAbstractItemView>(symbols, "lvSymbols");
    const QModelIndexList found = table->model()->match(
        table->model()->index(0, 0), Qt::DisplayRole, keyword, -1, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << keyword.toStdString();
    table->setCurrentIndex(found[0]);
    ProcessEvents();
}

void SetRange(QWidget* symbols, const QDate& from, const QDate& to) {
    Find<QDateEdit>(symbols, "dtpFrom")->setDate(from);
    Find<QDateEdit>(symbols, "dtpTo")->setDate(to);
    ProcessEvents();
}

QString Date(int year, int month, int day) {
    return QLocale().toString(QDate(year, month, day), QLocale::ShortFormat);
}

class SymbolsWindowTest : public JournalFixture {
protected:
    void SetUp() override {
        JournalFixture::SetUp();
        Add(2008, 3, 14, "March", "A cat and a CAT, then water.");
        Add(2008, 3, 20, "Also March", "Cats? No: one cat.");
        may = Add(2008, 5, 2, "May", "Water, and flying over water.");
        july = Add(2009, 7, 1, "July", "A bobcat by the water.");
    }
    qlonglong may = 0;
    qlonglong july = 0;
};

// The counts themselves are the core's to test; here the table, the entries and the chart of
// the keyword picked, the range and a save in the editor reach the window.
TEST_F(SymbolsWindowTest, ListsKeywordsWithTheirEntriesAndMonthsAndFollowsRangeAndSaves) {
    QWidget* w = StartProgram();
    QWidget* symbols = OpenWindow(w, "mnuSymbols", "frmSymbols");
    ASSERT_NE(symbols, nullptr);
    EXPECT_EQ(Rows(symbols, "lvSymbols"), QStringList({"water|3|4", "cat|2|3", "flying|1|1"}));
    Pick(symbols, "cat");
    EXPECT_EQ(Rows(symbols, "lvSymbolEntries"),
              QStringList({"March|" + Date(2008, 3, 14), "Also March|" + Date(2008, 3, 20)}));

    // The chart: every month from the first entry's to the last's; hovering names one.
    auto* chart = Find<QWidget>(symbols, "chartSymbol");
    chart->resize(400, 200);
    auto hover = [chart](int x) {
        const QPoint at(x, chart->height() - 40);
        QHelpEvent event(QEvent::ToolTip, at, chart->mapToGlobal(at));
        QApplication::sendEvent(chart, &event);
        return QToolTip::text();
    };
    const QString march2008 = QLocale().standaloneMonthName(3) + " 2008";
    int x = 0;
    while (x < chart->width() && !hover(x).startsWith(march2008))
        ++x;
    EXPECT_EQ(hover(x), march2008 + ": 3 times, in 2 entries");
    EXPECT_EQ(hover(chart->width() - 12), QLocale().standaloneMonthName(7) + " 2009: none");
    QToolTip::hideText();

    SetRange(symbols, QDate(2008, 3, 20), QDate(2008, 12, 31));
    EXPECT_EQ(Rows(symbols, "lvSymbols"), QStringList({"water|1|2", "cat|1|1", "flying|1|1"}));
    SetRange(symbols, QDate(2010, 1, 1), QDate(2010, 12, 31));
    EXPECT_TRUE(Find<QLabel>(symbols, "lblNoSymbols")->isVisible());
    Find<QPushButton>(symbols, "cmdWholeJournal")->click();
    ProcessEvents();
    EXPECT_EQ(Find<QDateEdit>(symbols, "dtpFrom")->date(), QDate(2008, 3, 14));

    Pick(symbols, "cat");
    Click(w, EntryKey(july));
    TextBox(w)->setPlainText("A cat by the water, flying.");
    Save(w);
    EXPECT_EQ(Rows(symbols, "lvSymbols"), QStringList({"cat|3|4", "water|3|4", "flying|2|2"}));
    // The keyword picked stays picked.
    EXPECT_EQ(Rows(symbols, "lvSymbolEntries").size(), 3);
}

TEST_F(SymbolsWindowTest, DoubleClickingAnEntryOpensItAfterTheQuestion) {
    QWidget* w = StartProgram();
    Click(w, EntryKey(july));
    TextBox(w)->setPlainText("Typed.");
    QWidget* symbols = OpenWindow(w, "mnuSymbols", "frmSymbols");
    Pick(symbols, "flying");
    auto* entries = Find<QAbstractItemView>(symbols, "lvSymbolEntries");
    const QRect place = entries->visualRect(entries->model()->index(0, 0));
    Answer({Reply::No});
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(entries->viewport(), Qt::LeftButton, {}, place.center());
    ProcessEvents();
    EXPECT_EQ(Shown().size(), 1);
    EXPECT_EQ(NameBox(w)->text(), "May");
    EXPECT_EQ(SelectedKey(w), EntryKey(may));
}

TEST_F(SymbolsWindowTest, ExportsTheTableAsCsvOrSaysWhyNot) {
    Exec(KeywordsFile(), "UPDATE tblKeywords SET Description = 'Rain, \"flood\"' "
                         "WHERE Keyword = 'water'");
    QWidget* w = StartProgram();
    QWidget* symbols = OpenWindow(w, "mnuSymbols", "frmSymbols");
    const QString csv = folder.filePath("symbols.csv");
    NextFileName(csv);
    EXPECT_EQ(Press(Find<QPushButton>(symbols, "cmdExportCsv")), QStringList());
    const QByteArray bytes = FileBytes(csv);
    EXPECT_TRUE(bytes.startsWith("Keyword,Entries,Occurrences,Meaning\r\nwater,3,4,\"Rain, "
                                 "\"\"flood\"\"\"\r\ncat,2,3,"))
        << bytes.toStdString();
    EXPECT_EQ(bytes.count("\r\n"), 4);

    // A folder that cannot be written: a critical message, and no file.
    QDir(folder.path()).mkdir("locked");
    const QString locked = folder.filePath("locked/symbols.csv");
    QFile::setPermissions(folder.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
    {
        PermissionsApply asUser;
        NextFileName(locked);
        const QStringList shown = Press(Find<QPushButton>(symbols, "cmdExportCsv"), {Reply::OK});
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].startsWith("Critical: The Table Could Not Be Exported\n" + locked))
            << shown[0].toStdString();
    }
    EXPECT_EQ(QDir(folder.filePath("locked")).entryList(QDir::Files | QDir::Hidden), QStringList());
}

} // namespace
