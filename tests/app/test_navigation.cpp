// The main window as a whole: its controls, menus and the navigation between panels.

#include "TestSupport.h"

#include <QMenu>

namespace {

using namespace testsupport;

class Navigation : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        w = StartProgram();
        ASSERT_NE(w, nullptr);
    }
    // Clicks the button or triggers the menu item of this name.
    void use(const QString& name) {
        if (auto* action = w->findChild<QAction*>(name))
            action->trigger();
        else
            Find<QAbstractButton>(w, name)->click();
    }
    QWidget* w = nullptr;
};

TEST_F(Navigation, OpensOnTheHomePanelWithEveryControlNamedAndCaptioned) {
    EXPECT_EQ(PanelInFront(), "Frame1");
    EXPECT_EQ(w->windowTitle(), "Oneirion v1.0");
    // Buttons by their caption, panels and sections by their title, labels by their text.
    const QStringList captions =
        QString(
            "cmdStartNewJournal=Start New Journal|cmdDreamDictionary=Dream Dictionary Database|"
            "cmdUpdateDreamDictionary=Update Dream Dictionary|cmdPrint=&Print|cmdCancel=&Cancel|"
            "cmdDelete=&Delete Journal|cmdSave=S&ave/Update Journal|cmdAnalyze=&Analyze This Dream|"
            "cmdBack_0=&Back To Main|cmdBack_1=&Back To Main|cmdBack_2=&Back To Main|"
            "cmdBackToDream_0=Back To &Dream|cmdBackToDream_3=Back To &Dream|"
            "cmdBackToDreamDictionary=Back To D&ream "
            "Dictionary|cmdSearch=&Search|cmdAddKeyword=&Add|"
            "cmdUpdateKeyword=&Edit|cmdDeleteKeyword=&Delete|cmdOK=&OK|"
            "cmdNewJournal=Start &New Journal|cmdRefresh=&Refresh|cmdAdd=Add &New Keyword|"
            "Command1=Update Dream Dictionary|cmdKeywordEditor=Keyword Editor|cmdNav_1=Exit|"
            "Check1=Arrange by Name|Frame1=Oneirion|Frame2=Start New Journal|Frame3=Dream Analysis|"
            "Frame4=Dream Dictionary Database|fraAbout=About Software|Frame6=Start New Journal|"
            "Frame7=Dream Dictionary Database|Frame8=Update Dream Dictionary|Label16=Oneirion v1.0")
            .split('|');
    for (const QString& entry : captions) {
        QWidget* control = Find(w, entry.section('=', 0, 0));
        const auto* box = qobject_cast<QGroupBox*>(control);
        const auto* button = qobject_cast<QAbstractButton*>(control);
        const auto* label = qobject_cast<QLabel*>(control);
        EXPECT_EQ(box      ? box->title()
                  : button ? button->text()
                  : label  ? label->text()
                           : "",
                  entry.section('=', 1))
            << entry.toStdString();
    }
    for (const char* name :
         {"Label1", "Label2", "Label3", "Label4", "Label6", "Label13", "Label15", "Label17"})
        Find<QLabel>(w, name);
    EXPECT_TRUE(
        Find<QLabel>(w, "Label14")->text().startsWith("Here is a collection of more than 2000"));
    EXPECT_TRUE(Find<QAbstractButton>(w, "Check1")->isCheckable());
    for (const char* name :
         {"cmdNewJournal", "cmdRefresh", "cmdAdd", "Command1", "cmdKeywordEditor", "cmdNav_1"})
        EXPECT_FALSE(Find(w, name)->isVisible()) << name;
    for (const char* name :
         {"cmdKeywordEditor", "cmdSave", "cmdDelete", "cmdCancel", "txtJournalName"})
        EXPECT_FALSE(Find(w, name)->isEnabled()) << name;

    // The date lists: the locale's months, days 1 to 31, years 1900 to 2050, each at its first.
    QStringList lists;
    for (const char* name : {"cboMonth", "cboDate", "cboYear"}) {
        const auto* list = Find<QComboBox>(w, name);
        lists << QString("%1 %2..%3 at %4")
                     .arg(list->count())
                     .arg(list->itemText(0), list->itemText(list->count() - 1))
                     .arg(list->currentIndex());
    }
    const QLocale locale;
    EXPECT_EQ(lists, QStringList({"12 " + locale.standaloneMonthName(1) + ".." +
                                      locale.standaloneMonthName(12) + " at 0",
                                  "31 1..31 at 0", "151 1900..2050 at 0"}));
}

TEST_F(Navigation, MenusShowOnlyTheirVisibleItemsAndOpenThreeDistinctPages) {
    QStringList items;
    for (const char* menu : {"mnuFile", "mnuHelp"})
        for (QAction* action : Find<QMenu>(w, menu)->actions())
            items << (!action->isVisible() ? "" : action->isSeparator() ? "-" : action->text());
    items.removeAll("");
    EXPECT_EQ(items, QStringList({"&Exit", "&Online Help", "&Visit Us Online", "&About Software"}));
    EXPECT_EQ(Find<QAction>(w, "mnuImport")->text(), "&Update Dream Dictionary");
    EXPECT_EQ(Find<QAction>(w, "mnuUpdate")->text(), "Check for Software &Update");
    for (const char* item : {"mnuOnline", "mnuVisit", "mnuUpdate"})
        use(item);
    EXPECT_EQ(OpenedPages(), QStringList({"help", "home", "download"}));
}

TEST_F(Navigation, EachControlBringsItsPanelToTheFrontAndAboutReturnsToTheOneBefore) {
    use("cmdStartNewJournal");
    Find<QLineEdit>(w, "txtJournalName")->setText("Night");
    Find<QTextEdit>(w, "rtbJournalText")->setPlainText("A cat.");
    // Each step as "control>panel"; every analysis saves the entry first.
    for (const QString& step : QString("cmdBack_1>Frame1 cmdDreamDictionary>Frame4 "
                                       "cmdBackToDream_3>Frame2 cmdAnalyze>Frame3 "
                                       "cmdBackToDreamDictionary>Frame4 mnuAbout>fraAbout "
                                       "cmdOK>Frame4 cmdBack_2>Frame1 mnuAbout>fraAbout "
                                       "cmdOK>Frame1 cmdDreamDictionary>Frame4 "
                                       "cmdBackToDream_3>Frame2 cmdAnalyze>Frame3 "
                                       "cmdBackToDream_0>Frame2 mnuAbout>fraAbout "
                                       "mnuAbout>fraAbout cmdOK>Frame2 cmdAnalyze>Frame3 "
                                       "cmdBack_0>Frame1")
                                   .split(' ')) {
        const QString control = step.section('>', 0, 0);
        if (control == "cmdAnalyze")
            Answer({Reply::OK});
        use(control);
        EXPECT_EQ(PanelInFront(), step.section('>', 1)) << step.toStdString();
    }
    EXPECT_EQ(Shown(), QStringList({"Information: Journal Saved Successfully",
                                    "Information: Journal Updated Successfully",
                                    "Information: Journal Updated Successfully"}));
}

} // namespace
