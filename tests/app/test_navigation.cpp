// The main window as a whole: its controls, menus and the navigation between panels.

#include "TestSupport.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "shell/modRegistry.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace {

class Navigation : public testsupport::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        w = StartMain();
        ASSERT_NE(w, nullptr);
    }
    // The panel in front is the only one of the five that shows.
    void expectInFront(QWidget* panel) {
        EXPECT_EQ(w->PanelInFront(), panel);
        for (QWidget* p : {static_cast<QWidget*>(w->Frame1), static_cast<QWidget*>(w->Frame2),
                           static_cast<QWidget*>(w->Frame3), static_cast<QWidget*>(w->Frame4),
                           static_cast<QWidget*>(w->fraAbout)})
            EXPECT_EQ(p->isVisible(), p == panel) << p->objectName().toStdString();
    }
    static QStringList visibleItems(QMenu* menu) {
        QStringList items;
        for (QAction* action : menu->actions()) {
            if (action->isVisible())
                items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return items;
    }

    frmMain* w = nullptr;
};

TEST_F(Navigation, LoadsToTheHomePanelWithTheDateListsFilled) {
    expectInFront(w->Frame1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Oneirion v1.0"));
    ASSERT_EQ(w->cboMonth->count(), 12);
    EXPECT_EQ(w->cboMonth->itemText(0), QLocale().standaloneMonthName(1, QLocale::LongFormat));
    EXPECT_EQ(w->cboMonth->itemText(11), QLocale().standaloneMonthName(12, QLocale::LongFormat));
    ASSERT_EQ(w->cboDate->count(), 31);
    EXPECT_EQ(w->cboDate->itemText(30), QStringLiteral("31"));
    ASSERT_EQ(w->cboYear->count(), 151);
    EXPECT_EQ(w->cboYear->itemText(150), QStringLiteral("2050"));
    for (QComboBox* list : {w->cboMonth, w->cboDate, w->cboYear})
        EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_TRUE(w->ArrangeByDate);
    EXPECT_EQ(w->lstKeywords->count(), 5);
}

TEST_F(Navigation, EveryControlCarriesItsNameAndCaption) {
    // Buttons by their caption, panels and sections by their title.
    const QStringList expected = {"cmdStartNewJournal=Start New Journal",
                                  "cmdDreamDictionary=Dream Dictionary Database",
                                  "cmdUpdateDreamDictionary=Update Dream Dictionary",
                                  "cmdPrint=&Print",
                                  "cmdCancel=&Cancel",
                                  "cmdDelete=&Delete Journal",
                                  "cmdSave=S&ave/Update Journal",
                                  "cmdAnalyze=&Analyze This Dream",
                                  "cmdBack_0=&Back To Main",
                                  "cmdBack_1=&Back To Main",
                                  "cmdBack_2=&Back To Main",
                                  "cmdBackToDream_0=Back To &Dream",
                                  "cmdBackToDream_3=Back To &Dream",
                                  "cmdBackToDreamDictionary=Back To D&ream Dictionary",
                                  "cmdSearch=&Search",
                                  "cmdAddKeyword=&Add",
                                  "cmdUpdateKeyword=&Edit",
                                  "cmdDeleteKeyword=&Delete",
                                  "cmdOK=&OK",
                                  "cmdNewJournal=Start &New Journal",
                                  "cmdRefresh=&Refresh",
                                  "cmdAdd=Add &New Keyword",
                                  "Command1=Update Dream Dictionary",
                                  "cmdKeywordEditor=Keyword Editor",
                                  "cmdNav_1=Exit",
                                  "Check1=Arrange by Name",
                                  "Frame1=Oneirion",
                                  "Frame2=Start New Journal",
                                  "Frame3=Dream Analysis",
                                  "Frame4=Dream Dictionary Database",
                                  "fraAbout=About Software",
                                  "Frame6=Start New Journal",
                                  "Frame7=Dream Dictionary Database",
                                  "Frame8=Update Dream Dictionary"};
    for (const QString& entry : expected) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        auto* control = w->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        auto* box = qobject_cast<QGroupBox*>(control);
        auto* button = qobject_cast<QPushButton*>(control);
        EXPECT_EQ(box != nullptr      ? box->title()
                  : button != nullptr ? button->text()
                                      : QString(),
                  entry.section(QLatin1Char('='), 1))
            << name.toStdString();
    }
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label6", "Label13", "Label14",
                             "Label15", "Label16", "Label17"})
        EXPECT_NE(w->findChild<QLabel*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(w->Label16->text(), QStringLiteral("Oneirion v1.0"));
    EXPECT_TRUE(
        w->Label14->text().startsWith(QStringLiteral("Here is a collection of more than 2000")));
    EXPECT_TRUE(w->Check1->isCheckable());
    EXPECT_FALSE(w->Check1->isChecked());
    EXPECT_FALSE(w->cmdKeywordEditor->isEnabled());
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{w->cmdNewJournal, w->cmdRefresh, w->cmdAdd, w->Command1,
                                         w->cmdKeywordEditor, w->cmdNav[1]})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    for (QWidget* off :
         std::initializer_list<QWidget*>{w->cmdSave, w->cmdDelete, w->cmdCancel, w->txtJournalName})
        EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
}

TEST_F(Navigation, MenusShowOnlyTheirVisibleItems) {
    EXPECT_EQ(visibleItems(w->mnuFile), QStringList({"&Exit"}));
    EXPECT_EQ(visibleItems(w->mnuHelp),
              QStringList({"&Online Help", "&Visit Us Online", "&About Software"}));
    EXPECT_EQ(w->mnuImport->text(), QStringLiteral("&Update Dream Dictionary"));
    EXPECT_EQ(w->mnuUpdate->text(), QStringLiteral("Check for Software &Update"));

    w->mnuOnline->trigger();
    w->mnuVisit->trigger();
    w->mnuUpdate->trigger();
    EXPECT_EQ(urls.urls, QList<QUrl>({modRegistry::OnlineHelpUrl(), modRegistry::HomePageUrl(),
                                      modRegistry::DownloadPageUrl()}));
    EXPECT_EQ(QSet<QUrl>(urls.urls.begin(), urls.urls.end()).size(), 3) << "three distinct pages";
}

TEST_F(Navigation, EachControlBringsItsPanelToTheFront) {
    w->cmdStartNewJournal->click();
    expectInFront(w->Frame2);
    w->cmdBack[1]->click();
    expectInFront(w->Frame1);
    w->cmdDreamDictionary->click();
    expectInFront(w->Frame4);
    w->cmdBackToDream[3]->click();
    expectInFront(w->Frame2);
    w->cmdBackToDreamDictionary_Click();
    expectInFront(w->Frame4);
    w->cmdBack[2]->click();
    expectInFront(w->Frame1);
    w->BringToFront(w->Frame3);
    w->cmdBackToDreamDictionary->click();
    expectInFront(w->Frame4);
    w->BringToFront(w->Frame3);
    w->cmdBackToDream[0]->click();
    expectInFront(w->Frame2);
    w->BringToFront(w->Frame3);
    w->cmdBack[0]->click();
    expectInFront(w->Frame1);
}

TEST_F(Navigation, OkOnTheAboutPanelUncoversThePanelShownBeforeIt) {
    w->cmdDreamDictionary->click();
    w->mnuAbout->trigger();
    expectInFront(w->fraAbout);
    w->cmdOK->click();
    expectInFront(w->Frame4);

    w->cmdStartNewJournal->click();
    w->mnuAbout->trigger();
    w->mnuAbout->trigger();
    w->cmdOK->click();
    expectInFront(w->Frame2);
}

TEST_F(Navigation, EveryWayOutOpensTheClosingPageOnce) {
    const QUrl closing = modRegistry::ThankYouPageUrl();
    w->mnuExit1->trigger();
    testsupport::ProcessEvents();
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_EQ(urls.urls.count(closing), 1);

    ASSERT_NE(StartMain(), nullptr);
    form->cmdNav[1]->click();
    testsupport::ProcessEvents();
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_EQ(urls.urls.count(closing), 2);

    ASSERT_NE(StartMain(), nullptr);
    form->close();
    testsupport::ProcessEvents();
    EXPECT_TRUE(modMain::LoadedForms().isEmpty());
    EXPECT_EQ(urls.urls.count(closing), 3);
}

} // namespace
