// The journal tree: its nodes, the two arrangements and what a click on a node does.

#include "JournalTestSupport.h"

#include <QLocale>

using namespace journaltest;

namespace {

class JournalTree : public testsupport::ProgramFixture {};

QString month(int number) {
    return QLocale().standaloneMonthName(number, QLocale::LongFormat);
}

TEST_F(JournalTree, EmptyJournalShowsOnlyTheExpandedRoot) {
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->tvDreams->topLevelItemCount(), 1);
    QTreeWidgetItem* root = w->tvDreams->topLevelItem(0);
    EXPECT_EQ(KeyOf(root), QStringLiteral("MyDreams"));
    EXPECT_EQ(root->text(0), QStringLiteral("My Dreams"));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_TRUE(w->tvDreams->selectedItems().isEmpty());
}

TEST_F(JournalTree, GroupsByYearAndMonthInBothArrangements) {
    const qlonglong flying = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "a");
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 2, "zebra", "b");
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 20, "apple", "c");
    const qlonglong twin1 = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 20, "Twin", "d");
    const qlonglong twin2 = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 20, "Twin", "e");
    testsupport::AddJournalRow(DreamsFile(), 2008, 1, 5, "Snow", "f");
    testsupport::AddJournalRow(DreamsFile(), 2007, 12, 1, "Old", "g");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);

    QTreeWidgetItem* root = w->tvDreams->topLevelItem(0);
    EXPECT_EQ(ChildTexts(root), (QStringList{"2007", "2008"}));
    EXPECT_EQ(ChildTexts(Node(w, "_2008")), (QStringList{month(1), month(3)}));
    EXPECT_EQ(ChildTexts(Node(w, "_2007")), QStringList{month(12)});
    EXPECT_FALSE(Node(w, "_2008")->isExpanded());
    EXPECT_FALSE(Node(w, "_2008_3")->isExpanded());
    const QStringList byDay{"zebra (3-2-2008)", "Flying (3-14-2008)", "apple (3-20-2008)",
                            "Twin (3-20-2008)", "Twin (3-20-2008)"};
    EXPECT_EQ(ChildTexts(Node(w, "_2008_3")), byDay);
    // Same name, same day: both entries, told apart by their IDs.
    EXPECT_NE(Node(w, QStringLiteral("~%1").arg(twin1)), nullptr);
    EXPECT_NE(Node(w, QStringLiteral("~%1").arg(twin2)), nullptr);
    EXPECT_EQ(Node(w, QStringLiteral("~%1").arg(flying))->text(0),
              QStringLiteral("Flying (3-14-2008)"));
    // Every level carries its own image.
    for (const char* key : {"MyDreams", "_2008", "_2008_3"})
        EXPECT_FALSE(Node(w, key)->icon(0).isNull()) << key;
    EXPECT_FALSE(Node(w, QStringLiteral("~%1").arg(flying))->icon(0).isNull());

    w->Check1->click();
    EXPECT_FALSE(w->ArrangeByDate);
    EXPECT_EQ(w->Check1->text(), QStringLiteral("Arrange by Date"));
    EXPECT_EQ(ChildTexts(Node(w, "_2008")), (QStringList{month(1), month(3)}));
    EXPECT_EQ(ChildTexts(Node(w, "_2008_3")),
              (QStringList{"apple (3-20-2008)", "Flying (3-14-2008)", "Twin (3-20-2008)",
                           "Twin (3-20-2008)", "zebra (3-2-2008)"}));

    w->Check1->click();
    EXPECT_TRUE(w->ArrangeByDate);
    EXPECT_EQ(w->Check1->text(), QStringLiteral("Arrange by Name"));
    EXPECT_EQ(ChildTexts(Node(w, "_2008_3")), byDay);
}

TEST_F(JournalTree, AMonthOutsideTheCalendarHidesNothing) {
    testsupport::AddJournalRow(DreamsFile(), 2008, 2, 1, "Before", "a");
    testsupport::AddJournalRow(DreamsFile(), 2008, 13, 1, "Odd", "b");
    testsupport::AddJournalRow(DreamsFile(), 2008, 0, 1, "Zero", "c");
    testsupport::AddJournalRow(DreamsFile(), 2009, 4, 1, "After", "d");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ChildTexts(Node(w, "_2008_13")), QStringList{"Odd (13-1-2008)"});
    EXPECT_EQ(ChildTexts(Node(w, "_2008_0")), QStringList{"Zero (0-1-2008)"});
    EXPECT_EQ(ChildTexts(Node(w, "_2008_2")), QStringList{"Before (2-1-2008)"});
    EXPECT_EQ(ChildTexts(Node(w, "_2009_4")), QStringList{"After (4-1-2009)"});
}

TEST_F(JournalTree, ClicksOpenEntriesAndEmptyTheEditorElsewhere) {
    const qlonglong id = testsupport::AddJournalRow(DreamsFile(), 2008, 3, 14, "Flying", "Up.");
    frmMain* w = StartMain();
    ASSERT_NE(w, nullptr);
    w->mnuAbout_Click();

    const QString key = QStringLiteral("~%1").arg(id);
    Click(w, key);
    EXPECT_EQ(w->PanelInFront(), static_cast<QWidget*>(w->Frame2));
    EXPECT_EQ(w->txtJournalName->text(), QStringLiteral("Flying"));
    EXPECT_EQ(w->rtbJournalText->toPlainText(), QStringLiteral("Up."));
    EXPECT_EQ(State(w), "name on, text on, new on, save on (Upd&ate), delete on, cancel off");
    EXPECT_EQ(SelectedKey(w), key);

    w->cmdDreamDictionary_Click();
    Click(w, "_2008_3");
    EXPECT_EQ(w->PanelInFront(), static_cast<QWidget*>(w->Frame2));
    EXPECT_TRUE(w->txtJournalName->text().isEmpty());
    EXPECT_TRUE(w->rtbJournalText->toPlainText().isEmpty());
    EXPECT_EQ(State(w), "name off, text off, new on, save off (Upd&ate), delete off, cancel off");

    // The Delete key on a month node deletes nothing and asks nothing.
    QTest::keyClick(w->tvDreams, Qt::Key_Delete);
    EXPECT_EQ(RowCount(DreamsFile()), 1);
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
}

} // namespace
