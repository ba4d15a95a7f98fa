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

TEST_F(JournalEditor, TheTreeGroupsByYearAndMonthInBothArrangements) {
    const qlonglong flying = Add(2008, 3, 14, "Flying");
    Add(2008, 3, 2, "zebra");
    Add(2008, 3, 20, "apple");
    const qlonglong twin1 = Add(2008, 3, 20, "Twin"), twin2 = Add(2008, 3, 20, "Twin");
    Add(2008, 1, 5, "Snow");
    Add(2007, 12, 1, "Old");
    Add(2051, 13, 32, "Late");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Node(w, "MyDreams")->text(0), "My Dreams");
    EXPECT_TRUE(Node(w, "MyDreams")->isExpanded());
    EXPECT_FALSE(Node(w, "_2008")->isExpanded() || Node(w, "_2008_3")->isExpanded());
    EXPECT_EQ(ChildTexts(w, "MyDreams"), (QStringList{"2007", "2008", "2051"}));
    const QLocale locale;
    EXPECT_EQ(ChildTexts(w, "_2008"),
              (QStringList{locale.standaloneMonthName(1), locale.standaloneMonthName(3)}));
    // A date the lists cannot show hides nothing.
    EXPECT_EQ(ChildTexts(w, "_2051_13"), QStringList{"Late (13-32-2051)"});
    const QStringList byDate{"zebra (3-2-2008)", "Flying (3-14-2008)", "apple (3-20-2008)",
                             "Twin (3-20-2008)", "Twin (3-20-2008)"};
    EXPECT_EQ(ChildTexts(w, "_2008_3"), byDate);
    // Same name, same day: both entries, told apart by their IDs.
    EXPECT_TRUE(Node(w, EntryKey(twin1)) && Node(w, EntryKey(twin2)));
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

TEST_F(JournalEditor, StateTableHoldsAfterEveryTransition) {
    const QString key = EntryKey(Add(2000, 2, 29, "Leap", "Up."));
    const QString late = EntryKey(Add(2051, 13, 32, "Late", "z"));
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    // At start the text box's state is the design's; the rest is fixed.
    EXPECT_EQ(State(w).remove("text on, ").remove("text off, "),
              "name off, new on, save off (S&ave/Update Journal), delete off, cancel off");

    Button(w, "cmdStartNewJournal")->click();
    EXPECT_EQ(State(w), "name on, text on, new off, save on (S&ave), delete off, cancel on");
    EXPECT_EQ(w->focusWidget(), NameBox(w));
    EXPECT_EQ(SelectedKey(w), "");
    // A click on an entry opens it on the journal panel, whichever panel was in front.
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
    // A date the lists cannot show leaves them as they were.
    Click(w, late);
    EXPECT_EQ(Editor(w).value(1), "z");
    EXPECT_EQ(DateIndexes(w), (QList<int>{100, 1, 28}));

    Button(w, "cmdDreamDictionary")->click();
    Click(w, "_2000_2");
    EXPECT_EQ(PanelInFront(), "Frame2");
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");
    EXPECT_EQ(Editor(w), (QStringList{"", "", ""}));
    // The Delete key on a month node deletes nothing and asks nothing.
    TreeKey(w, Qt::Key_Delete);
    EXPECT_EQ(Shown(), QStringList{});
    EXPECT_EQ(Count(), 2);
}

TEST_F(JournalEditor, NewEntriesStartOnTodayAndDaysAMonthLacksAreRefused) {
    const qlonglong stored = Add(2023, 4, 30, "April", "Rain.");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    SetToday(QDate(2024, 2, 29));
    Button(w, "cmdStartNewJournal")->click();
    EXPECT_EQ(DateIndexes(w), (QList<int>{124, 1, 28}));
    EXPECT_EQ(DateLists(w)[0]->count(), 151) << "the lists themselves stay as they are";

    // Every refusal names the date, moves to the day list and stores nothing.
    NameBox(w)->setText("Night");
    TextBox(w)->setPlainText("Snow.");
    for (const auto& [year, month, day] :
         {std::tuple{2024, 2, 31}, std::tuple{2023, 4, 31}, std::tuple{2023, 2, 29}}) {
        SetDate(w, year, month, day);
        const QString date = QString("%1 %2 %3").arg(day).arg(QLocale().standaloneMonthName(month));
        EXPECT_TRUE(
            Save(w).join('|').startsWith("Exclamation: " + date.arg(year) + " Is Not A Valid Date"))
            << date.toStdString();
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

QString pdfText(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

TEST_F(JournalEditor, PrintsTheShownEntryToAPdfFileThroughThePrintDialog) {
    // A year the year list does not hold: the print gives it as stored.
    const QString name = "Flying über Hills";
    const qlonglong id = Add(2051, 3, 14, name, "I rose above the chimneys.\nThen the sea opened.");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    const QString pdf = folder.filePath("printed.pdf");
    // The real dialog, answered as a user would: the PDF printer, a file name, OK.
    OnNextModal([pdf](QWidget* dialog) {
        ASSERT_TRUE(qobject_cast<QPrintDialog*>(dialog));
        auto* printers = Find<QComboBox>(dialog, "printers");
        auto* fileName = Find<QLineEdit>(dialog, "filename");
        if (printers == nullptr || fileName == nullptr)
            return static_cast<QDialog*>(dialog)->reject();
        EXPECT_EQ(printers->itemText(printers->count() - 1), "Print to File (PDF)");
        printers->setCurrentIndex(printers->count() - 1);
        fileName->setText(pdf);
        static_cast<QDialog*>(dialog)->accept();
    });
    Click(w, EntryKey(id));
    Button(w, "cmdPrint")->click();
    const QString text = pdfText(pdf);
    for (const QString& part : {name, QString("I rose above the chimneys."),
                                QString("Then the sea opened."), QString("2051")})
        EXPECT_TRUE(text.contains(part)) << text.toStdString();
    EXPECT_FALSE(PageRangeOffered());

    // Prints to `file`, answering the dialog with OK or Cancel; gives the messages shown.
    const auto print = [w](const QString& file, bool ok, std::initializer_list<Reply> replies) {
        NextPrint([file, ok](QPrinter& printer) {
            printer.setOutputFileName(file);
            return ok;
        });
        return Press(Button(w, "cmdPrint"), replies);
    };
    // Cancel prints nothing.
    EXPECT_EQ(print(folder.filePath("cancelled.pdf"), false, {}), QStringList{});
    EXPECT_FALSE(QFile::exists(folder.filePath("cancelled.pdf")));
    // A file that cannot be written is reported.
    EXPECT_TRUE(print(folder.filePath("no such folder/x.pdf"), true, {Reply::OK})
                    .value(0)
                    .startsWith("Critical: Journal Could Not Be Printed"));
    // With no entry shown there is nothing to print, and no dialog: the user is told so.
    Click(w, "MyDreams");
    EXPECT_EQ(Press(Button(w, "cmdPrint"), {Reply::OK}),
              QStringList{"Exclamation: There Is Nothing To Print\n"
                          "Open a journal entry or write one first."});
}

} // namespace
