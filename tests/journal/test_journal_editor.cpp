// The journal editor: its states, showing stored entries, the date of a new one and printing the
// one shown.

#include "JournalTestSupport.h"

#include <QPrintDialog>
#include <QPrinter>

#include <tuple>

using namespace journaltest;

namespace {

class JournalEditor : public JournalFixture {};

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
