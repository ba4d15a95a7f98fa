// The journal tree and the editor: the tree's nodes and arrangements, the editor's states,
// showing stored entries, the date of a new one, and printing the one shown.

#include "JournalTestSupport.h"

#include <QImage>
#include <QPrintDialog>
#include <QPrinter>

#include <tuple>

using namespace journaltest;

namespace {

class JournalEditor : public JournalFixture {};

QStringList ChildTexts(const QWidget* w, const QString& key) {
    QStringList texts;
    const QTreeWidgetItem* item = Node(w, key);
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QString month(int number) {
    return QLocale().standaloneMonthName(number);
}

TEST_F(JournalEditor, GroupsByYearAndMonthInBothArrangements) {
    const qlonglong flying = Add(2008, 3, 14, "Flying");
    Add(2008, 3, 2, "zebra");
    Add(2008, 3, 20, "apple");
    const qlonglong twin1 = Add(2008, 3, 20, "Twin");
    const qlonglong twin2 = Add(2008, 3, 20, "Twin");
    Add(2008, 1, 5, "Snow");
    Add(2007, 12, 1, "Old");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);

    ASSERT_EQ(Tree(w)->topLevelItemCount(), 1);
    EXPECT_EQ(Node(w, "MyDreams")->text(0), "My Dreams");
    EXPECT_TRUE(Node(w, "MyDreams")->isExpanded());
    EXPECT_EQ(ChildTexts(w, "MyDreams"), (QStringList{"2007", "2008"}));
    EXPECT_EQ(ChildTexts(w, "_2008"), (QStringList{month(1), month(3)}));
    EXPECT_EQ(ChildTexts(w, "_2007"), QStringList{month(12)});
    EXPECT_FALSE(Node(w, "_2008")->isExpanded() || Node(w, "_2008_3")->isExpanded());
    const QStringList byDate{"zebra (3-2-2008)", "Flying (3-14-2008)", "apple (3-20-2008)",
                             "Twin (3-20-2008)", "Twin (3-20-2008)"};
    EXPECT_EQ(ChildTexts(w, "_2008_3"), byDate);
    // Same name, same day: both entries, told apart by their IDs.
    EXPECT_TRUE(Node(w, EntryKey(twin1)) && Node(w, EntryKey(twin2)));
    EXPECT_EQ(Node(w, EntryKey(flying))->text(0), "Flying (3-14-2008)");
    // Root, year, month and entry each have an icon of their own.
    QList<QImage> icons;
    for (const QString& key : QStringList{"MyDreams", "_2008", "_2008_3", EntryKey(flying)})
        icons << Node(w, key)->icon(0).pixmap(20).toImage();
    for (int i = 0; i < 4; ++i)
        for (int j = i; j < 4; ++j)
            EXPECT_TRUE(i == j ? !icons[i].isNull() : icons[i] != icons[j]) << i << " and " << j;

    auto* arrange = Find<QAbstractButton>(w, "Check1");
    arrange->click();
    EXPECT_EQ(arrange->text(), "Arrange by Date");
    EXPECT_EQ(ChildTexts(w, "_2008_3"),
              (QStringList{"apple (3-20-2008)", "Flying (3-14-2008)", "Twin (3-20-2008)",
                           "Twin (3-20-2008)", "zebra (3-2-2008)"}));
    arrange->click();
    EXPECT_EQ(arrange->text(), "Arrange by Name");
    EXPECT_EQ(ChildTexts(w, "_2008_3"), byDate);
}

TEST_F(JournalEditor, DatesOutsideTheListsHideNothingAndKeepTheShownDate) {
    const qlonglong before = Add(2008, 2, 1, "Before");
    const qlonglong late = Add(2051, 13, 32, "Late", "z");
    Add(1899, 0, 0, "Early");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ChildTexts(w, "_2051_13"), QStringList{"Late (13-32-2051)"});
    EXPECT_EQ(ChildTexts(w, "_1899_0"), QStringList{"Early (0-0-1899)"});

    Click(w, EntryKey(before));
    EXPECT_EQ(DateIndexes(w), (QList<int>{108, 1, 0}));
    Click(w, EntryKey(late));
    EXPECT_EQ(Editor(w).value(1), "z");
    EXPECT_EQ(DateIndexes(w), (QList<int>{108, 1, 0}));
}

TEST_F(JournalEditor, StateTableHoldsAfterEveryTransition) {
    const QString key = EntryKey(Add(2000, 2, 29, "Leap", "Up."));
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    // At start the text box's state is the design's; the rest is fixed.
    EXPECT_EQ(State(w).section(", ", 2),
              "new on, save off (S&ave/Update Journal), delete off, cancel off");
    EXPECT_FALSE(NameBox(w)->isEnabled());

    Button(w, "cmdStartNewJournal")->click();
    EXPECT_EQ(PanelInFront(), "Frame2");
    EXPECT_EQ(State(w), "name on, text on, new off, save on (S&ave), delete off, cancel on");
    EXPECT_EQ(w->focusWidget(), NameBox(w));
    EXPECT_EQ(SelectedKey(w), "");

    Find<QAction>(w, "mnuAbout")->trigger();
    Click(w, key);
    EXPECT_EQ(PanelInFront(), "Frame2");
    EXPECT_EQ(State(w), "name on, text on, new off, save on (Upd&ate), delete on, cancel on");

    Button(w, "cmdCancel")->click();
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");
    EXPECT_FALSE(Find(w, "rtbJournalText1")->isEnabled());
    EXPECT_EQ(Editor(w), (QStringList{"", "", ""}));
    EXPECT_EQ(SelectedKey(w), "");

    Click(w, key);
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel off");
    EXPECT_EQ(Editor(w), (QStringList{"Leap", "Up.", "Up."}));
    EXPECT_EQ(DateIndexes(w), (QList<int>{100, 1, 28}));

    Button(w, "cmdDreamDictionary")->click();
    Click(w, "_2000_2");
    EXPECT_EQ(PanelInFront(), "Frame2");
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");
    EXPECT_EQ(Editor(w), (QStringList{"", "", ""}));
    // The Delete key on a month node deletes nothing and asks nothing.
    TreeKey(w, Qt::Key_Delete);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Shown(), QStringList{});
}

TEST_F(JournalEditor, NewEntriesStartOnTodayAndDaysAMonthLacksAreRefused) {
    const qlonglong stored = Add(2023, 4, 30, "April", "Rain.");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    SetToday(QDate(2024, 2, 29));
    const QList<int> today{124, 1, 28};

    Button(w, "cmdStartNewJournal")->click();
    EXPECT_EQ(DateIndexes(w), today);
    EXPECT_EQ(DateLists(w)[0]->count(), 151) << "the lists themselves stay as they are";
    Button(w, "cmdCancel")->click();
    SetDate(w, 2001, 1, 1);
    Button(w, "cmdNewJournal")->click();
    EXPECT_EQ(DateIndexes(w), today);

    // Every refusal names the date, moves to the day list and stores nothing.
    NameBox(w)->setText("Night");
    TextBox(w)->setPlainText("Snow.");
    for (const auto& [year, month, day] :
         {std::tuple{2024, 2, 31}, std::tuple{2023, 4, 31}, std::tuple{2023, 2, 29}}) {
        SetDate(w, year, month, day);
        const QStringList shown = Save(w);
        ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
        EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Exclamation: %1 %2 %3 Is Not A Valid Date")
                                            .arg(day)
                                            .arg(QLocale().standaloneMonthName(month))
                                            .arg(year)))
            << shown[0].toStdString();
        EXPECT_EQ(w->focusWidget(), DateLists(w)[2]);
    }
    EXPECT_EQ(Count(), 1);
    SetDate(w, 2024, 2, 29);
    EXPECT_EQ(Save(w), QStringList{"Information: Journal Saved Successfully"});

    // An update is held to the same calendar.
    Click(w, EntryKey(stored));
    SetDate(w, 2023, 4, 31);
    EXPECT_EQ(Save(w).size(), 1);
    EXPECT_EQ(Row(stored).mid(2), (QVariantList{2023LL, 4LL, 30LL}));
    Button(w, "cmdCancel")->click();
}

// Answers the real print dialog: checks that it offers printing to a PDF file, names the file,
// accepts.
void printToPdf(const QString& pdf) {
    OnNextModal([pdf](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* printers = dialog->findChild<QComboBox*>("printers");
        auto* fileName = dialog->findChild<QLineEdit*>("filename");
        if (printers == nullptr || fileName == nullptr) {
            dialog->reject();
            FAIL() << "the print dialog offers no file";
        }
        EXPECT_EQ(printers->itemText(printers->count() - 1), "Print to File (PDF)");
        printers->setCurrentIndex(printers->count() - 1);
        fileName->setText(pdf);
        dialog->accept();
    });
}

QString pdfText(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

TEST_F(JournalEditor, PrintsTheShownEntryToAPdfFileThroughThePrintDialog) {
    const QString name = QString::fromUtf8("Flying über Hills");
    const qlonglong id =
        Add(2008, 3, 14, name, "I rose above the chimneys.\nThen the sea opened below me.");
    const qlonglong future = Add(2051, 6, 1, "Far ahead", "Later.");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);

    Click(w, EntryKey(id));
    const QString pdf = folder.filePath("printed.pdf");
    printToPdf(pdf);
    Button(w, "cmdPrint")->click();
    const QString text = pdfText(pdf);
    for (const QString& part :
         {name, QStringLiteral("I rose above the chimneys."),
          QStringLiteral("Then the sea opened below me."), QStringLiteral("2008")})
        EXPECT_TRUE(text.contains(part)) << text.toStdString();
    EXPECT_FALSE(PageRangeOffered());

    // Cancelled, the dialog prints nothing.
    const QString cancelled = folder.filePath("cancelled.pdf");
    NextPrint([cancelled](QPrinter& printer) {
        printer.setOutputFileName(cancelled);
        return false;
    });
    Button(w, "cmdPrint")->click();
    EXPECT_FALSE(QFile::exists(cancelled));

    // A year the year list does not hold is printed as stored, not as the list still shows it.
    Click(w, EntryKey(future));
    const QString later = folder.filePath("later.pdf");
    printToPdf(later);
    Button(w, "cmdPrint")->click();
    EXPECT_TRUE(pdfText(later).contains("2051"));

    // A file that cannot be written is reported.
    NextPrint([this](QPrinter& printer) {
        printer.setOutputFileName(folder.filePath("no such folder/x.pdf"));
        return true;
    });
    const QStringList failed = Press(Button(w, "cmdPrint"), {Reply::OK});
    EXPECT_TRUE(failed.value(0).startsWith("Critical: Journal Could Not Be Printed"))
        << failed.join(" | ").toStdString();

    // With no entry shown there is nothing to print, and no dialog: the user is told so.
    Click(w, "MyDreams");
    EXPECT_EQ(Press(Button(w, "cmdPrint"), {Reply::OK}),
              QStringList{"Exclamation: There Is Nothing To Print\n"
                          "Open a journal entry or write one first."});
}

} // namespace
