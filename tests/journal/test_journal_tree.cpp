// The journal tree: its nodes, the two arrangements and the four images it draws them with.

#include "JournalTestSupport.h"

#include <QImage>

#include <cmath>

using namespace journaltest;

namespace {

class JournalTree : public JournalFixture {};

QStringList ChildTexts(const QWidget* w, const QString& key) {
    QStringList texts;
    const QTreeWidgetItem* item = Node(w, key);
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QString month(int number) {
    return QLocale().standaloneMonthName(number);
}

TEST_F(JournalTree, GroupsByYearAndMonthInBothArrangements) {
    const qlonglong flying = Add(2008, 3, 14, "Flying");
    Add(2008, 3, 2, "zebra");
    Add(2008, 3, 20, "apple");
    const qlonglong twin1 = Add(2008, 3, 20, "Twin");
    const qlonglong twin2 = Add(2008, 3, 20, "Twin");
    Add(2008, 1, 5, "Snow");
    Add(2007, 12, 1, "Old");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);

    ASSERT_EQ(Tree(w)->topLevelItemCount(), 1);
    EXPECT_EQ(Node(w, "MyDreams")->text(0), "My Dreams");
    EXPECT_TRUE(Node(w, "MyDreams")->isExpanded());
    EXPECT_EQ(ChildTexts(w, "MyDreams"), (QStringList{"2007", "2008"}));
    EXPECT_EQ(ChildTexts(w, "_2008"), (QStringList{month(1), month(3)}));
    EXPECT_EQ(ChildTexts(w, "_2007"), QStringList{month(12)});
    EXPECT_FALSE(Node(w, "_2008")->isExpanded() || Node(w, "_2008_3")->isExpanded());
    const QStringList byDate{"zebra (3-2-2008)", "Flying (3-14-2008)", "apple (3-20-2008)",
                             "Twin (3-20-2008)", "Twin (3-20-2008)"};
    EXPECT_EQ(ChildTexts(w, "_2008_3"), byDate);
    // Same name, same day: both entries, told apart by their IDs.
    EXPECT_TRUE(Node(w, EntryKey(twin1)) && Node(w, EntryKey(twin2)));
    EXPECT_EQ(Node(w, EntryKey(flying))->text(0), "Flying (3-14-2008)");

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

TEST_F(JournalTree, DatesOutsideTheListsHideNothingAndKeepTheShownDate) {
    const qlonglong before = Add(2008, 2, 1, "Before");
    const qlonglong late = Add(2051, 13, 32, "Late", "z");
    Add(1899, 0, 0, "Early");
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ChildTexts(w, "_2051_13"), QStringList{"Late (13-32-2051)"});
    EXPECT_EQ(ChildTexts(w, "_1899_0"), QStringList{"Early (0-0-1899)"});

    Click(w, EntryKey(before));
    EXPECT_EQ(DateIndexes(w), (QList<int>{108, 1, 0}));
    Click(w, EntryKey(late));
    EXPECT_EQ(Editor(w).value(1), "z");
    EXPECT_EQ(DateIndexes(w), (QList<int>{108, 1, 0}));
}

// Relative luminance of the colour `px` gives when composed over `back`.
double luminance(QRgb px, QRgb back) {
    auto linear = [a = qAlpha(px) / 255.0](int fore, int under) {
        const double s = (fore * a + under * (1 - a)) / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(px), qRed(back)) + 0.7152 * linear(qGreen(px), qGreen(back)) +
           0.0722 * linear(qBlue(px), qBlue(back));
}

TEST_F(JournalTree, RootYearMonthAndEntryHaveFourDistinctIconsThatReadOnAnyTheme) {
    const QString entry = EntryKey(Add(2008, 3, 14, "Flying"));
    QWidget* w = StartProgram();
    ASSERT_NE(w, nullptr);
    QList<QImage> images;
    for (const QString& key : {QString("MyDreams"), QString("_2008"), QString("_2008_3"), entry}) {
        const QImage image =
            Node(w, key)->icon(0).pixmap(20).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(20, 20));
        EXPECT_FALSE(images.contains(image)) << key.toStdString() << " looks like another";
        images << image;
        // An eighth of the icon must contrast 3 : 1 with light and dark windows alike.
        for (const QRgb back : {qRgb(255, 255, 255), qRgb(30, 30, 30)}) {
            int standingOut = 0;
            for (int i = 0; i < 400; ++i) {
                const double l1 = luminance(image.pixel(i % 20, i / 20), back),
                             l2 = luminance(back, back);
                standingOut += (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05) >= 3.0;
            }
            EXPECT_GE(standingOut, 50) << key.toStdString() << " on " << std::hex << back;
        }
    }
}

} // namespace
