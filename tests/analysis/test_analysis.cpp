// The dream analysis in the running window: the save it starts with, the list of keywords found,
// the marks in the editor, FindReplace, and the analysis view's clipboard handlers.

#include "TestSupport.h"
#include "app/frmMain.h"
#include "data/modDB.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>

#include <functional>
#include <vector>

namespace {

// The bold stretches of a box as "position:text", joined where they touch.
QStringList marks(const QTextEdit* box) {
    QStringList found;
    int runEnd = -1;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().fontWeight() < QFont::Bold)
                continue;
            if (fragment.position() == runEnd)
                found.back() += fragment.text();
            else
                found << QString::number(fragment.position()) + ':' + fragment.text();
            runEnd = fragment.position() + fragment.length();
        }
    }
    return found;
}

// The analysis list's items as "keyword: meaning".
QStringList found(const QTreeWidget* list) {
    QStringList items;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        items << list->topLevelItem(i)->text(0) + ": " + list->topLevelItem(i)->text(1);
    return items;
}

class Analysis : public testsupport::ProgramFixture {
protected:
    testsupport::Dictionary InitialDictionary() const override {
        return {{"water", "emotions"}, {"cat", "intuition"},   {"Bat", "hidden"},
                {"Ant", "work"},       {"black cat", "omens"}, {"flying", ""}};
    }
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_NE(StartMain(), nullptr);
    }
    // Drops what the editor holds (Cancel asks nothing), writes a new entry as a user would and
    // clicks "Analyze This Dream", answering the save's message when there is one.
    void analyzeNewEntry(const QString& name, const QString& text) {
        auto* cancel = testsupport::Find<QPushButton>(form, "cmdCancel");
        if (cancel->isEnabled())
            cancel->click();
        form->cmdStartNewJournal_Click();
        form->txtJournalName->setText(name);
        form->rtbJournalText->setPlainText(text);
        analyze();
    }
    void analyze() {
        MsgBox::SetNextAnswer(MsgBox::Answer::OK);
        form->cmdAnalyze->click();
    }
};

TEST_F(Analysis, ListsFoundKeywordsWithTheirMeaningsAndMarksEveryOccurrence) {
    analyzeNewEntry("Night", "Cat, a CAT and a cat.\nThen water.");

    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Journal Saved Successfully"});
    EXPECT_EQ(form->PanelInFront(), form->Frame3);
    // One item for three occurrences, the first at the very start of the text.
    EXPECT_EQ(found(form->lvKeywords), QStringList({"cat: intuition", "water: emotions"}));
    EXPECT_EQ(marks(form->rtbJournalText), QStringList({"0:Cat", "7:CAT", "17:cat", "27:water"}));

    // The view holds the plain text without marks; the editor's whole text is selected.
    EXPECT_EQ(form->rtbJournalText1->toPlainText(), form->rtbJournalText->toPlainText());
    EXPECT_TRUE(marks(form->rtbJournalText1).empty());
    const QTextCursor selection = form->rtbJournalText->textCursor();
    EXPECT_EQ(selection.selectionStart(), 0);
    EXPECT_EQ(selection.selectionEnd(), form->rtbJournalText->toPlainText().size());

    form->cmdBackToDreamDictionary->click();
    EXPECT_EQ(form->PanelInFront(), form->Frame4);
}

TEST_F(Analysis, FindsWholeWordsAndPhrasesOnlyInTheDictionarysOrder) {
    analyzeNewEntry("Night", "Flying: a catalogue, a bobcat, batteries and a black  cat; "
                             "then a Black Cat.");
    // Not the order of the text; an empty meaning gives an empty cell.
    EXPECT_EQ(found(form->lvKeywords),
              QStringList({"black cat: omens", "cat: intuition", "flying: "}));
    EXPECT_EQ(marks(form->rtbJournalText), QStringList({"0:Flying", "54:cat", "66:Black Cat"}));
}

TEST_F(Analysis, ASecondAnalysisClearsTheOldMarksAndNoneSpillIntoTheNextText) {
    analyzeNewEntry("Night", "cat and water");
    testsupport::TakeMessageTexts();
    // The user turns "cat" into "cats": the typed letter takes the bold of the one before it.
    QTextCursor typing(form->rtbJournalText->document());
    typing.setPosition(3);
    typing.insertText("s");
    ASSERT_EQ(marks(form->rtbJournalText), QStringList({"0:cats", "9:water"}));

    analyze();
    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Journal Updated Successfully"});
    EXPECT_EQ(found(form->lvKeywords), QStringList{"water: emotions"});
    EXPECT_EQ(marks(form->rtbJournalText), QStringList{"9:water"});

    // The text ends in a mark; neither a new entry nor one shown from the journal takes it on.
    form->cmdStartNewJournal->click();
    form->rtbJournalText->insertPlainText("fresh words");
    EXPECT_TRUE(marks(form->rtbJournalText).empty());
    const auto id = testsupport::AddJournalRow(DreamsFile(), 2001, 1, 1, "other", "plain");
    modDB::rsDreams->Requery();
    analyzeNewEntry("Marked again", "water");
    form->ShowJournal("~" + QString::number(id));
    EXPECT_TRUE(marks(form->rtbJournalText).empty());
}

TEST_F(Analysis, FindsAKeywordAddedOnTheDictionaryPanelSinceStartUp) {
    form->cmdDreamDictionary_Click();
    form->cmdAddKeyword->click();
    form->txtKeyword->setText("Lighthouse");
    form->txtKeywordDesc->setPlainText("guidance");
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    form->cmdAddKeyword->click();
    ASSERT_EQ(testsupport::TakeMessageTexts(), QStringList{"Keyword Saved Successfully"});

    analyzeNewEntry("Night", "A lighthouse in the fog.");
    EXPECT_EQ(found(form->lvKeywords), QStringList{"Lighthouse: guidance"});
}

TEST_F(Analysis, RunsWhenTheSaveIsRefused) {
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 17, "Flying", "old");
    modDB::rsDreams->Requery();

    // A taken name: the save stores nothing and says nothing while the analysis runs.
    form->cmdStartNewJournal_Click();
    form->txtJournalName->setText(" flying ");
    form->rtbJournalText->setPlainText("The ant and the bat.");
    form->cmdAnalyze->click();
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
    EXPECT_EQ(testsupport::Query(DreamsFile(), "SELECT count(*) FROM tblDreams")[0][0], 1);
    EXPECT_EQ(found(form->lvKeywords), QStringList({"Ant: work", "Bat: hidden"}));
    EXPECT_EQ(form->PanelInFront(), form->Frame3);

    // A blank name: the save's own message, then the analysis all the same.
    analyzeNewEntry("", "Water everywhere.");
    EXPECT_EQ(testsupport::TakeMessageTexts().size(), 1);
    EXPECT_EQ(marks(form->rtbJournalText), QStringList{"0:Water"});
}

TEST_F(Analysis, FindReplaceCountsAndMarksWithoutMovingTheSelection) {
    QTextEdit* box = form->rtbJournalText;
    box->setPlainText("Water, water\neverywhere; no WATERS but water.");
    QTextCursor selection = box->textCursor();
    selection.setPosition(8);
    selection.setPosition(3, QTextCursor::KeepAnchor);
    box->setTextCursor(selection);

    QString word = "water", nothing, absent = "fog";
    EXPECT_EQ(form->FindReplace(box, word), 3);
    EXPECT_EQ(marks(box), QStringList({"0:Water", "7:water", "39:water"}));
    EXPECT_EQ(box->textCursor().anchor(), 8);
    EXPECT_EQ(box->textCursor().position(), 3);
    EXPECT_EQ(form->FindReplace(box, nothing), 0);
    EXPECT_EQ(form->FindReplace(box, absent), 0);
    EXPECT_EQ(marks(box).size(), 3);
}

// Text that another program put on the clipboard and in the X11 selection. Where the window
// system shares them between programs, a child process owns them; otherwise this one does.
class ForeignClipboard {
public:
    ForeignClipboard() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            owner_.start(QStringLiteral(CLIPBOARD_OWNER), {kCopied, kSelected});
            owner_.waitForReadyRead(10000);
            EXPECT_EQ(owner_.readLine().trimmed(), QByteArray("owned"));
            EXPECT_FALSE(clipboard->ownsClipboard());
        } else {
            clipboard->setText(kCopied);
            if (clipboard->supportsSelection())
                clipboard->setText(kSelected, QClipboard::Selection);
        }
    }
    ~ForeignClipboard() {
        owner_.kill();
        owner_.waitForFinished();
    }
    // What is left of it, or why not.
    static QString survived() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->text() != kCopied)
            return "clipboard now holds \"" + clipboard->text() + '"';
        if (clipboard->supportsSelection() && clipboard->text(QClipboard::Selection) != kSelected)
            return "selection now holds \"" + clipboard->text(QClipboard::Selection) + '"';
        return "survived";
    }

private:
    static inline const QString kCopied = QStringLiteral("copied in another program");
    static inline const QString kSelected = QStringLiteral("selected in another program");
    QProcess owner_;
};

class AnalysisView : public Analysis {};

TEST_F(AnalysisView, LeavesOtherProgramsClipboardAloneAndGivesNothingToCopy) {
    form->show();
    const qlonglong id = testsupport::AddJournalRow(DreamsFile(), 2001, 1, 1, "Old", "A cat.");
    modDB::rsDreams->Requery();
    form->LoadDreamTree(true);
    ForeignClipboard foreign;
    auto* view = testsupport::Find<QTextEdit>(form, "rtbJournalText1");
    QWidget* surface = view->viewport();
    const QPoint inside(20, 10);
    auto mouse = [surface](QEvent::Type type, QPoint at, Qt::MouseButton button) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, at, surface->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(surface, &event);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"starting an entry", [&] { form->cmdStartNewJournal->click(); }},
        {"showing an entry",
         [&] {
             form->tvDreams_NodeClick(
                 form->tvDreams->findItems("Old", Qt::MatchStartsWith | Qt::MatchRecursive)[0]);
         }},
        {"analysing it", [&] { analyze(); }},
        {"moving the mouse", [&] { mouse(QEvent::MouseMove, inside, Qt::NoButton); }},
        {"dragging over the text",
         [&] {
             mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton);
             mouse(QEvent::MouseMove, inside + QPoint(200, 40), Qt::LeftButton);
             mouse(QEvent::MouseButtonRelease, inside + QPoint(200, 40), Qt::LeftButton);
         }},
        {"double-clicking a word",
         [&] { QTest::mouseDClick(surface, Qt::LeftButton, {}, inside); }},
        {"middle-clicking", [&] { QTest::mouseClick(surface, Qt::MiddleButton, {}, inside); }},
        {"select all and copy keys",
         [&] {
             view->setFocus();
             QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
             QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
             QTest::keyClick(view, Qt::Key_Insert, Qt::ControlModifier);
         }},
        {"asking for its menu",
         [&] {
             QContextMenuEvent menu(QContextMenuEvent::Mouse, inside, surface->mapToGlobal(inside));
             QCoreApplication::sendEvent(surface, &menu);
         }},
    };
    for (const auto& [name, step] : steps) {
        step();
        testsupport::ProcessEvents();
        EXPECT_EQ(ForeignClipboard::survived(), "survived") << name;
        // Nothing selected is nothing to copy, drag or offer as the X11 selection.
        EXPECT_FALSE(view->textCursor().hasSelection()) << name;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << name;
    }
    EXPECT_EQ(view->toPlainText(), QStringLiteral("A cat."));
    EXPECT_EQ(id, 1);
}

} // namespace
