// The main window as a whole: its controls, menus and the navigation between panels.

#include "TestSupport.h"
#include "app/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

namespace {

class Navigation : public testsupport::ProgramFixture {};

TEST_F(Navigation, LoadsToTheHomePanelWithTheDateListsFilled) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->PanelInFront(), w->Frame1);
    EXPECT_TRUE(w->Frame1->isVisible());
    EXPECT_EQ(w->cboDate->count(), 31);
    EXPECT_EQ(w->cboYear->count(), 151);
    EXPECT_EQ(w->cboYear->currentText(), QStringLiteral("1900"));
    EXPECT_EQ(w->lstKeywords->count(), 5);
}

} // namespace
