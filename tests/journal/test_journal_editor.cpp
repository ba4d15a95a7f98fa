// The journal editor: its states, showing stored entries and printing the one shown.

#include "JournalTestSupport.h"
#include "shell/modRegistry.h"

#include <QLocale>
#include <QPrinter>
#include <QProcess>

#include <tuple>

using namespace journaltest;

namespace {

class JournalEditor : public JournalFixture {};

TEST_F(JournalEditor, StateTableHoldsAfterEveryTransition) {
    const QString key = EntryKey(Add(2000, 2, 29, "Leap", "Up."));
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    QWidget* const journal = w->Frame2;
    EXPECT_EQ(State(w).section(", ", 2),
              "new on, save off (S&ave/Update Journal), delete off, cancel off");
    EXPECT_FALSE(w->txtJournalName->isEnabled());

    w->cmdStartNewJournal->click();
    EXPECT_EQ(w->PanelInFront(), journal);
    EXPECT_EQ(State(w), "name on, text on, new off, save on (S&ave), delete off, cancel on");
    EXPECT_EQ(w->focusWidget(), w->txtJournalName);
    EXPECT_TRUE(w->tvDreams->selectedItems().isEmpty());

    w->mnuAbout_Click();
    Click(w, key);
    EXPECT_EQ(w->PanelInFront(), journal);
    EXPECT_EQ(State(w), "name on, text on, new off, save on (Upd&ate), delete on, cancel on");

    w->cmdCancel->click();
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");
    EXPECT_FALSE(w->rtbJournalText1->isEnabled());
    EXPECT_EQ(Editor(w), (QStringList{"", "", ""}));
    EXPECT_TRUE(w->tvDreams->selectedItems().isEmpty());

    Click(w, key);
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel off");
    EXPECT_EQ(Editor(w), (QStringList{"Leap", "Up.", "Up."}));
    EXPECT_EQ(DateIndexes(w), (QList<int>{100, 1, 28}));

    w->cmdDreamDictionary_Click();
    Click(w, "_2000_2");
    EXPECT_EQ(w->PanelInFront(), journal);
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");
    EXPECT_EQ(Editor(w), (QStringList{"", "", ""}));
    // The Delete key on a month node deletes nothing and asks nothing.
    QTest::keyClick(w->tvDreams, Qt::Key_Delete);
    EXPECT_EQ(RowCount(), 1);
    EXPECT_TRUE(Shown().isEmpty());
}

TEST_F(JournalEditor, NewEntriesStartOnTodayAndDaysAMonthLacksAreRefused) {
    const qlonglong stored = Add(2023, 4, 30, "April", "Rain.");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    modRegistry::testing::SetToday(QDate(2024, 2, 29));
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
        EXPECT_TRUE(
            shown[0].startsWith(QStringLiteral("Exclamation: %1 %2 %3 Is Not A Valid Date")
                                    .arg(day)
                                    .arg(QLocale().standaloneMonthName(month, QLocale::LongFormat))
                                    .arg(year)))
            << shown[0].toStdString();
        EXPECT_EQ(w->focusWidget(), DateLists(w)[2]);
    }
    EXPECT_EQ(RowCount(), 1);
    SetDate(w, 2024, 2, 29);
    EXPECT_EQ(Save(w), QStringList{"Information: Journal Saved Successfully"});

    // An update is held to the same calendar.
    Click(w, EntryKey(stored));
    SetDate(w, 2023, 4, 31);
    EXPECT_EQ(Save(w).size(), 1);
    EXPECT_EQ(Row(stored).mid(2), (QVariantList{2023LL, 4LL, 30LL}));
    Button(w, "cmdCancel")->click();
}

TEST_F(JournalEditor, PrintsTheShownEntryOnlyWhenConfirmed) {
    const QString name = QString::fromUtf8("Flying über Hills");
    const qlonglong id =
        Add(2008, 3, 14, name, "I rose above the chimneys.\nThen the sea opened below me.");
    const qlonglong future = Add(2051, 6, 1, "Far ahead", "Later.");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    // Answers the print dialog with `confirm`; whatever is printed goes to the PDF file returned.
    int printed = 0;
    const auto print = [&](bool confirm) {
        const QString pdf = folder.filePath(QStringLiteral("printed-%1.pdf").arg(++printed));
        CommonDialog::SetNextPrintAnswer([pdf, confirm](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return confirm;
        });
        w->cmdPrint->click();
        return pdf;
    };

    Click(w, EntryKey(id));
    EXPECT_FALSE(QFile::exists(print(false)));
    const QString pdf = print(true);
    EXPECT_FALSE(CommonDialog::Last().printToFileOffered);
    EXPECT_FALSE(CommonDialog::Last().pageRangeOffered);
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
    for (const QString& part :
         {name, QStringLiteral("I rose above the chimneys."),
          QStringLiteral("Then the sea opened below me."), QStringLiteral("2008")})
        EXPECT_TRUE(text.contains(part)) << text.toStdString();

    // A year the year list does not hold is printed as stored, not as the list still shows it.
    Click(w, EntryKey(future));
    pdftotext.start("pdftotext", {"-enc", "UTF-8", print(true), "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(pdftotext.readAllStandardOutput()).contains("2051"));

    // With no entry shown, confirming prints nothing.
    Click(w, "MyDreams");
    EXPECT_FALSE(QFile::exists(print(true)));
    EXPECT_TRUE(Shown().isEmpty());
}

} // namespace
