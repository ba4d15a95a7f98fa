// The two ways into the import: the main window's "Update Dream Dictionary", which asks for a
// file and opens the import window modally, and a command line, where the import window is the
// program's only window.

#include "ImportTestSupport.h"
#include "app/CommonDialog.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "data/modDB.h"
#include "update_import/frmKeyUpdate.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

using importtest::ListedItems;
using importtest::OnImportWindow;
using importtest::WriteUpdateFile;
using Listed = importtest::Listed;

class ImportFromMainWindow : public importtest::ImportFixture {};

TEST_F(ImportFromMainWindow, OpensTheChosenFileInAModalWindowOwnedByTheMainWindow) {
    frmMain* main = StartMain();
    ASSERT_NE(main, nullptr);
    const QString update = UpdatePath(QStringLiteral("spring.udj"));
    WriteUpdateFile(update, {{QStringLiteral("Owl"), QStringLiteral("Wisdom")}});
    main->cdlg.FileName = QStringLiteral("/somewhere/left/from/before.udj");
    CommonDialog::SetNextFileName(update);

    bool seen = false;
    OnImportWindow([&](frmKeyUpdate* window) {
        seen = true;
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->isModal());
        EXPECT_EQ(QApplication::activeModalWidget(), window);
        EXPECT_EQ(window->parentWidget(), main);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Oneirion v1.0"));
        EXPECT_EQ(window->lblInfo->text(), QStringLiteral("1 updates(s) found"));
        EXPECT_EQ(window->ListView1->topLevelItemCount(), 1);
        window->cmdCancel->click();
    });
    main->cmdUpdateDreamDictionary->click();
    testsupport::ProcessEvents();

    EXPECT_TRUE(seen);
    EXPECT_EQ(importtest::ImportWindow(), nullptr);
    EXPECT_EQ(modMain::LoadedForms(), QList<QWidget*>{main});
    // One file at a time, and both of the program's extensions on offer.
    const CommonDialog::LastDialog dialog = CommonDialog::Last();
    EXPECT_FALSE(dialog.multipleFiles);
    EXPECT_EQ(dialog.nameFilters, QStringLiteral("Oneirion Keywords Update (*.kwu *.udj)"));
}

TEST_F(ImportFromMainWindow, CancellingTheFileDialogOpensNothing) {
    frmMain* main = StartMain();
    ASSERT_NE(main, nullptr);
    main->cdlg.FileName = UpdatePath(QStringLiteral("earlier.udj"));
    CommonDialog::SetNextFileName(QString());
    main->mnuImport->trigger();
    EXPECT_EQ(importtest::ImportWindow(), nullptr);
    EXPECT_EQ(modMain::LoadedForms(), QList<QWidget*>{main});
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
}

// The shared dictionary recordset is only re-read by the merge: a keyword added on the
// dictionary panel meanwhile is offered as new, and then found and not added twice.
TEST_F(ImportFromMainWindow, AKeywordAddedSinceTheLastReadIsNewWhenMarkedAndFoundWhenMerged) {
    frmMain* main = StartMain();
    ASSERT_NE(main, nullptr);
    {
        // What the dictionary panel does: a short-lived connection of its own.
        modDB::ConnectionPtr connection;
        modDB::RecordsetPtr keywords;
        QString path = modMain::AppPath() + QStringLiteral("/keywords.dll");
        ASSERT_TRUE(modDB::OpenConnection(connection, path).ok());
        ASSERT_TRUE(
            modDB::OpenRecordset(keywords, connection, QStringLiteral("select * from tblKeywords"))
                .ok());
        keywords->AddNew();
        keywords->SetField(QStringLiteral("Keyword"), QStringLiteral("Owl"));
        keywords->SetField(QStringLiteral("Description"), QStringLiteral("Night bird"));
        ASSERT_TRUE(keywords->Update().ok());
        keywords->Close();
        connection->Close();
    }
    const QString update = UpdatePath(QStringLiteral("spring.udj"));
    WriteUpdateFile(update, {{QStringLiteral("owl"), QStringLiteral("Wisdom")}});
    CommonDialog::SetNextFileName(update);
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);

    OnImportWindow([](frmKeyUpdate* window) {
        EXPECT_EQ(ListedItems(window),
                  (QList<Listed>{{QStringLiteral("owl"), QStringLiteral("Wisdom"),
                                  QStringLiteral("0"), true}}));
        window->optOption[2]->click();
        window->cmdImport->click();
    });
    main->mnuImport_Click();
    testsupport::ProcessEvents();

    EXPECT_EQ(importtest::ImportWindow(), nullptr);
    const auto rows = importtest::DictionaryRows(KeywordsFile());
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [](const auto& row) {
                                return row.first.compare(QStringLiteral("owl"),
                                                         Qt::CaseInsensitive) == 0;
                            }),
              1);
    EXPECT_EQ(rows.last(),
              std::make_pair(QStringLiteral("Owl"), QStringLiteral("Night bird ; Wisdom")));
    EXPECT_EQ(testsupport::TakeMessageTexts(),
              QStringList{QStringLiteral("Dream Meanings Updated Successfully.")});
}

class ImportFromCommandLine : public importtest::ImportFixture {};

TEST_F(ImportFromCommandLine, ShowsOnlyTheImportWindowAndEndsTheProgramWhenItCloses) {
    const QString update = UpdatePath(QStringLiteral("spring.udj"));
    WriteUpdateFile(update, {{QStringLiteral("Owl"), QStringLiteral("Wisdom")}});
    frmKeyUpdate* window = StartWithCommandLine(update);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(modMain::LoadedForms(), QList<QWidget*>{window});
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());

    // The program's event loop must end once the window is closed.
    QTimer::singleShot(0, window, [window] { QTest::keyClick(window, Qt::Key_Escape); });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    safety.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the program did not end";
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
}

} // namespace
