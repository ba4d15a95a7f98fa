// The print button: the dialog's options, and what reaches the printer.

#include "JournalTestSupport.h"

#include <QPrinter>
#include <QProcess>

using namespace journaltest;

namespace {

class JournalPrint : public testsupport::ProgramFixture {
protected:
    // Answers the next print dialog with `confirm`, sending any output to a PDF file.
    QString NextPrintGoesToPdf(bool confirm) {
        const QString pdf = folder.filePath(QStringLiteral("printed-%1.pdf").arg(++printed_));
        CommonDialog::SetNextPrintAnswer([pdf, confirm](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return confirm;
        });
        return pdf;
    }
    static QString PdfText(const QString& pdf) {
        QProcess pdftotext;
        pdftotext.start(
            QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(pdftotext.waitForFinished(30000));
        return QString::fromUtf8(pdftotext.readAllStandardOutput());
    }
    int printed_ = 0;
};

TEST_F(JournalPrint, PrintsTheShownEntryWithThePrintOptions) {
    const qlonglong id = testsupport::AddJournalRow(
        DreamsFile(), 2008, 3, 14, QString::fromUtf8("Flying über Hills"),
        "I rose above the chimneys.\nThen the sea opened below me.");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    Click(w, QStringLiteral("~%1").arg(id));

    const QString pdf = NextPrintGoesToPdf(true);
    w->cmdPrint->click();
    EXPECT_FALSE(CommonDialog::Last().printToFileOffered);
    EXPECT_FALSE(CommonDialog::Last().pageRangeOffered);
    EXPECT_EQ(w->cdlg.Flags, 0x80008);
    ASSERT_TRUE(QFile::exists(pdf));
    const QString printed = PdfText(pdf).simplified();
    EXPECT_TRUE(printed.contains(QString::fromUtf8("Flying über Hills"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains("I rose above the chimneys.")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Then the sea opened below me.")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("2008")) << printed.toStdString();
    EXPECT_EQ(w->txtJournalName->text(), QString::fromUtf8("Flying über Hills"));
}

TEST_F(JournalPrint, CancelOrAnEmptyEditorPrintsNothing) {
    const qlonglong id = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "Up.");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);

    QString pdf = NextPrintGoesToPdf(true);
    w->cmdPrint->click();
    EXPECT_FALSE(QFile::exists(pdf));

    Click(w, QStringLiteral("~%1").arg(id));
    pdf = NextPrintGoesToPdf(false);
    w->cmdPrint->click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel off");

    Click(w, QStringLiteral("MyDreams"));
    pdf = NextPrintGoesToPdf(true);
    w->cmdPrint->click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
}

} // namespace
