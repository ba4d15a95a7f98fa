// The main window as it fits the screen and the keyboard: its remembered size, place, splitter
// and zoom, how its panels grow, the tab order, the shortcuts, and a dark palette.

#include "TestSupport.h"
#include "gui/Widgets.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>

namespace {

using namespace testsupport;

class Comfort : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        QFile::remove(SettingsFile());
        AddJournalRow(DreamsFile(), 2008, 3, 9, "Flying over the sea and the mountains", "water");
    }
    QWidget* start() {
        QWidget* w = StartProgram();
        EXPECT_NE(w, nullptr);
        ProcessEvents();
        return w;
    }
    // Brings a panel to the front as its own navigation would, and lays the window out.
    static void showPanel(QWidget* w, const QString& panel) {
        Find<QStackedWidget>(w, "panelStack")->setCurrentWidget(Find(w, panel));
        ProcessEvents();
    }
    static void activate(QWidget* w) {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
};

TEST(WindowPlacement, AWindowGoesWhollyOntoTheScreenItOverlapsMostOrElseTheFirst) {
    const QList<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    const struct {
        QRect wanted;
        QRect placed;
    } cases[] = {
        {QRect(100, 50, 1000, 650), QRect(100, 50, 1000, 650)},     // fits where it is
        {QRect(1000, 100, 1000, 600), QRect(1280, 100, 1000, 600)}, // mostly on the second
        {QRect(5000, 3000, 1000, 600), QRect(280, 200, 1000, 600)}, // a screen that has gone
        {QRect(-900, -50, 1000, 600), QRect(0, 0, 1000, 600)},      // partly off the left
        {QRect(10, 10, 2000, 1200), QRect(0, 0, 1280, 800)},        // larger than its screen
    };
    for (const auto& [wanted, placed] : cases)
        EXPECT_EQ(placeOnScreens(wanted, screens), placed) << wanted.x() << ',' << wanted.y();
}

TEST_F(Comfort, SizePlaceSplitterAndZoomComeBackAtTheNextStart) {
    QWidget* w = start();
    auto* splitter = Find<QSplitter>(w, "splitterMain");
    auto* text = Find<QTextEdit>(w, "rtbJournalText");
    const qreal normalSize = text->font().pointSizeF();
    EXPECT_GE(normalSize, 10.0);
    const QRect screen = w->screen()->availableGeometry();
    const QRect placed(screen.topLeft() + QPoint(20, 30), QSize(700, 500));
    w->setGeometry(placed);
    splitter->setSizes({300, 380});
    const QList<int> sizes = splitter->sizes();
    activate(w);
    QTest::keyClick(w, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(text->font().pointSizeF(), normalSize + 2);
    CloseAll();

    w = start();
    EXPECT_EQ(w->geometry(), placed);
    EXPECT_EQ(Find<QSplitter>(w, "splitterMain")->sizes(), sizes);
    EXPECT_EQ(Find<QTextEdit>(w, "rtbJournalText")->font().pointSizeF(), normalSize + 2);
    EXPECT_EQ(Find<QTextEdit>(w, "rtbJournalText1")->font().pointSizeF(), normalSize + 2);
    // Back to the reading size, and maximized: both are kept too.
    activate(w);
    QTest::keyClick(w, Qt::Key_0, Qt::ControlModifier);
    w->showMaximized();
    ProcessEvents();
    CloseAll();

    w = start();
    EXPECT_TRUE(w->isMaximized());
    EXPECT_EQ(Find<QTextEdit>(w, "rtbJournalText")->font().pointSizeF(), normalSize);
    w->showNormal();
    ProcessEvents();
    EXPECT_EQ(w->geometry(), placed);
}

TEST_F(Comfort, AWindowLastSeenOnAScreenThatHasGoneOpensOnAVisibleOne) {
    QSettings settings(SettingsFile(), QSettings::IniFormat);
    settings.setValue("WindowGeometry", QRect(6000, 4000, 720, 450));
    settings.sync();
    QWidget* w = start();
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w->geometry()));
    EXPECT_EQ(w->size(), QSize(720, 450));
}

TEST_F(Comfort, AWiderWindowGivesTheRoomToTheTreeTheTextAndTheMeanings) {
    QWidget* w = start();
    const QSize first = w->size();
    EXPECT_GE(first.width(), std::min(960, w->screen()->availableGeometry().width() * 9 / 10));
    EXPECT_LE(w->minimumSizeHint().width(), first.width());
    Find<QPushButton>(w, "cmdStartNewJournal")->click();
    Find<QLineEdit>(w, "txtJournalName")->setText("Night");
    Find<QTextEdit>(w, "rtbJournalText")->setPlainText("water");
    Press(Find<QPushButton>(w, "cmdAnalyze"), {Reply::OK});
    auto widths = [w] {
        showPanel(w, "Frame2");
        const int tree = Find(w, "tvDreams")->width();
        const int text = Find(w, "rtbJournalText")->width();
        showPanel(w, "Frame3");
        return QList<int>{tree, text, Find<QTreeWidget>(w, "lvKeywords")->columnWidth(1)};
    };
    const QList<int> before = widths();
    w->resize(1400, 900);
    ProcessEvents();
    const QList<int> after = widths();
    for (int i = 0; i < before.size(); ++i)
        EXPECT_GT(after[i], before[i]) << "tree, text, meaning: " << i;
    EXPECT_FALSE(Find<QTreeWidget>(w, "lvKeywords")->horizontalScrollBar()->isVisible());

    // On every panel, no named control overlaps another beside it or leaves its panel.
    for (const QString panel : {"Frame1", "Frame2", "Frame3", "Frame4", "fraAbout"}) {
        showPanel(w, panel);
        QWidget* frame = Find(w, panel);
        QList<QWidget*> controls;
        for (QWidget* control : frame->findChildren<QWidget*>()) {
            if (control->isVisible() && !control->objectName().isEmpty() &&
                !control->objectName().startsWith("qt_"))
                controls << control;
        }
        for (QWidget* control : controls) {
            const QRect inPanel(control->mapTo(frame, QPoint()), control->size());
            EXPECT_TRUE(frame->rect().contains(inPanel)) << control->objectName().toStdString();
            for (QWidget* other : controls) {
                if (other == control || other->parentWidget() != control->parentWidget())
                    continue;
                EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                    << control->objectName().toStdString() << " and "
                    << other->objectName().toStdString();
            }
        }
    }
}

TEST_F(Comfort, TabFollowsTheReadingOrderOnEveryPanel) {
    QWidget* w = start();
    const std::pair<const char*, QStringList> panels[] = {
        {"Frame1", {"cmdStartNewJournal", "cmdDreamDictionary", "cmdUpdateDreamDictionary"}},
        {"Frame2",
         {"txtJournalName", "cboMonth", "cboDate", "cboYear", "rtbJournalText", "cmdSave",
          "cmdAnalyze", "cmdPrint", "cmdDelete", "cmdCancel", "cmdBack_1"}},
        {"Frame3",
         {"rtbJournalText1", "lvKeywords", "cmdBackToDreamDictionary", "cmdBackToDream_0",
          "cmdBack_0"}},
        {"Frame4",
         {"txtSearch", "cmdSearch", "lstKeywords", "txtKeyword", "txtKeywordDesc", "cmdAddKeyword",
          "cmdUpdateKeyword", "cmdDeleteKeyword", "cmdBackToDream_3", "cmdBack_2"}},
        {"fraAbout", {"cmdOK"}},
    };
    for (const auto& [name, expected] : panels) {
        showPanel(w, name);
        QWidget* panel = Find(w, name);
        QStringList order;
        for (QWidget* next = panel->nextInFocusChain(); next != panel;
             next = next->nextInFocusChain()) {
            if (panel->isAncestorOf(next) && next->isVisibleTo(panel) &&
                (next->focusPolicy() & Qt::TabFocus) && !next->objectName().isEmpty() &&
                !next->objectName().startsWith("qt_"))
                order << next->objectName();
        }
        EXPECT_EQ(order, expected) << name;
    }
}

TEST_F(Comfort, KeysMoveOutOfTheTextsPressButtonsAndReachWhatTheButtonsDo) {
    QWidget* w = start();
    activate(w);
    // Enter presses the button that has the focus.
    auto* dictionaryButton = Find<QPushButton>(w, "cmdDreamDictionary");
    dictionaryButton->setFocus();
    QTest::keyClick(dictionaryButton, Qt::Key_Return);
    EXPECT_EQ(PanelInFront(), "Frame4");
    // Tab leaves the keyword's description without typing a tab into it.
    auto* description = Find<QPlainTextEdit>(w, "txtKeywordDesc");
    description->setFocus();
    QTest::keyClick(description, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Find(w, "cmdAddKeyword"));
    EXPECT_EQ(description->toPlainText(), "");

    // Ctrl+N starts an entry from anywhere; Tab types into the dream, Ctrl+Tab leaves it.
    QTest::keyClick(w, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(PanelInFront(), "Frame2");
    EXPECT_EQ(QApplication::focusWidget(), Find(w, "txtJournalName"));
    QTest::keyClicks(QApplication::focusWidget(), "Night");
    auto* text = Find<QTextEdit>(w, "rtbJournalText");
    text->setFocus();
    QTest::keyClicks(text, "a");
    QTest::keyClick(text, Qt::Key_Tab);
    QTest::keyClicks(text, "cat");
    EXPECT_EQ(text->toPlainText(), "a\tcat");
    QTest::keyClick(text, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), Find(w, "cmdSave"));

    // Ctrl+S saves the entry.
    Answer({Reply::OK});
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Shown(), QStringList{"Information: Journal Saved Successfully"});
    EXPECT_EQ(Query(DreamsFile(), "SELECT journaltext FROM tblDreams WHERE JournalName = 'Night'"),
              QList<QVariantList>{{"a\tcat"}});

    // Escape does what Back To Main does, on each panel that has one.
    for (const QString panel : {"Frame2", "Frame3", "Frame4"}) {
        showPanel(w, panel);
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_EQ(PanelInFront(), "Frame1") << panel.toStdString();
    }
    // The menu items show their keys.
    EXPECT_EQ(Find<QAction>(w, "mnuExit1")->shortcut(), QKeySequence(QKeySequence::Quit));
    EXPECT_FALSE(Find<QAction>(w, "mnuOnline")->shortcut().isEmpty());
}

TEST_F(Comfort, UnderADarkPaletteTheTreeImagesStandOutFromTheBackground) {
    QWidget* w = start();
    QApplication::setPalette(darkPalette());
    auto* tree = Find<QTreeWidget>(w, "tvDreams");
    tree->expandAll();
    const int background = qGray(darkPalette().color(QPalette::Base).rgb());
    QStringList faint;
    for (QTreeWidgetItem* item = tree->topLevelItem(0); item; item = tree->itemBelow(item)) {
        for (const qreal scale : {1.0, 2.0}) {
            // How far the image, drawn on the background, lies from it on average.
            const QImage image = item->icon(0).pixmap(QSize(20, 20), scale).toImage();
            EXPECT_EQ(image.width(), int(20 * scale));
            qreal distance = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    distance += qAbs(qGray(pixel.rgb()) - background) * pixel.alphaF();
                }
            }
            if (distance / (image.width() * image.height()) < 25)
                faint << item->text(0) + '@' + QString::number(scale);
        }
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
    EXPECT_TRUE(faint.empty()) << faint.join(", ").toStdString();
}

} // namespace
