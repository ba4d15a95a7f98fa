// The main window as a whole: its first state, its menus and the navigation between panels.

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

TEST_F(Navigation, OpensOnTheHomePanelWithTheEditorOffAndTheHiddenControlsHidden) {
    EXPECT_EQ(PanelInFront(), "Frame1");
    EXPECT_EQ(w->windowTitle(), "Oneirion v1.0");
    for (const char* name :
         {"cmdNewJournal", "cmdRefresh", "cmdAdd", "Command1", "cmdKeywordEditor", "cmdNav_1"})
        EXPECT_FALSE(Find(w, name)->isVisible()) << name;
    for (const char* name :
         {"cmdKeywordEditor", "cmdSave", "cmdDelete", "cmdCancel", "txtJournalName"})
        EXPECT_FALSE(Find(w, name)->isEnabled()) << name;
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
