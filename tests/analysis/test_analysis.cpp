// The dream analysis in the running window: the save it starts with, the list of keywords found,
// the marks in the editor, and the analysis view's clipboard behaviour.

#include "TestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <functional>
#include <vector>

namespace {

using namespace testsupport;

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

class Analysis : public ProgramFixture {
protected:
    Dictionary InitialDictionary() const override {
        return {{"water", "emotions"}, {"cat", "intuition"},   {"Bat", "hidden"},
                {"Ant", "work"},       {"black cat", "omens"}, {"flying", ""}};
    }
    void SetUp() override {
        ProgramFixture::SetUp();
        AddJournalRow(DreamsFile(), 2001, 1, 1, "Flying", "A cat.");
        w = StartProgram();
        ASSERT_NE(w, nullptr);
        editor = Find<QTextEdit>(w, "rtbJournalText");
    }
    QPushButton* button(const char* name) const { return Find<QPushButton>(w, name); }
    // Writes a new entry as a user would (Cancel first, which asks nothing), analyses it and
    // gives the messages shown; `saveSays` when its save shows a message.
    QStringList analyzeNewEntry(const QString& name, const QString& text, bool saveSays = true) {
        if (button("cmdCancel")->isEnabled())
            button("cmdCancel")->click();
        button("cmdStartNewJournal")->click();
        Find<QLineEdit>(w, "txtJournalName")->setText(name);
        editor->setPlainText(text);
        return saveSays ? Press(button("cmdAnalyze"), {Reply::OK}) : Press(button("cmdAnalyze"));
    }
    // The analysis list's items as "keyword: meaning".
    QStringList found() const {
        const auto* list = Find<QTreeWidget>(w, "lvKeywords");
        QStringList items;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            items << list->topLevelItem(i)->text(0) + ": " + list->topLevelItem(i)->text(1);
        return items;
    }
    // Opens the stored entry "Flying" with a click on its tree node.
    void openStoredEntry() {
        auto* tree = Find<QTreeWidget>(w, "tvDreams");
        QTreeWidgetItem* item =
            tree->findItems("Flying", Qt::MatchStartsWith | Qt::MatchRecursive)[0];
        tree->expandAll();
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(item).center());
    }

    QWidget* w = nullptr;
    QTextEdit* editor = nullptr;
};

TEST_F(Analysis, ListsWholeWordsFoundInTheDictionarysOrderAndMarksEveryOccurrence) {
    EXPECT_EQ(analyzeNewEntry("Night", "Cat, a CAT and a cat.\nThen water."),
              QStringList{"Information: Journal Saved Successfully"});
    EXPECT_EQ(PanelInFront(), "Frame3");
    // One item for three occurrences, the first at the very start of the text.
    EXPECT_EQ(found(), QStringList({"cat: intuition", "water: emotions"}));
    EXPECT_EQ(marks(editor), QStringList({"0:Cat", "7:CAT", "17:cat", "27:water"}));
    // The view holds the plain text without marks; the editor's whole text is selected.
    auto* view = Find<QTextEdit>(w, "rtbJournalText1");
    EXPECT_EQ(view->toPlainText(), editor->toPlainText());
    EXPECT_TRUE(marks(view).empty());
    const QTextCursor all = editor->textCursor();
    EXPECT_EQ(all.selectionEnd() - all.selectionStart(), editor->toPlainText().size());

    // Whole words and phrases only, not the order of the text; an empty meaning, an empty cell.
    analyzeNewEntry("Day", "Flying: a catalogue, a bobcat, batteries and a black  cat; then a "
                           "Black Cat.");
    EXPECT_EQ(found(), QStringList({"black cat: omens", "cat: intuition", "flying: "}));
    EXPECT_EQ(marks(editor), QStringList({"0:Flying", "54:cat", "66:Black Cat"}));
}

TEST_F(Analysis, ASecondAnalysisClearsTheOldMarksAndNoneSpillIntoTheNextText) {
    analyzeNewEntry("Night", "cat and water");
    // The user turns "cat" into "cats": the typed letter takes the bold of the one before it.
    QTextCursor typing(editor->document());
    typing.setPosition(3);
    typing.insertText("s");
    ASSERT_EQ(marks(editor), QStringList({"0:cats", "9:water"}));
    EXPECT_EQ(Press(button("cmdAnalyze"), {Reply::OK}),
              QStringList{"Information: Journal Updated Successfully"});
    EXPECT_EQ(found(), QStringList{"water: emotions"});
    EXPECT_EQ(marks(editor), QStringList{"9:water"});

    // The text ends in a mark; neither a new entry nor one shown from the journal takes it on.
    button("cmdStartNewJournal")->click();
    editor->insertPlainText("fresh words");
    EXPECT_TRUE(marks(editor).empty());
    analyzeNewEntry("Marked again", "water");
    openStoredEntry();
    EXPECT_EQ(editor->toPlainText(), "A cat.");
    EXPECT_TRUE(marks(editor).empty());
}

TEST_F(Analysis, RunsWhenTheSaveIsRefusedAndFindsKeywordsAddedSinceStartUp) {
    button("cmdDreamDictionary")->click();
    button("cmdAddKeyword")->click();
    Find<QLineEdit>(w, "txtKeyword")->setText("Lighthouse");
    Find<QPlainTextEdit>(w, "txtKeywordDesc")->setPlainText("guidance");
    Press(button("cmdAddKeyword"), {Reply::OK});
    // A taken name: the save stores nothing and says nothing while the analysis runs.
    EXPECT_EQ(analyzeNewEntry(" flying ", "The ant and the bat by the lighthouse.", false),
              QStringList{});
    EXPECT_EQ(Query(DreamsFile(), "SELECT count(*) FROM tblDreams")[0][0], 1);
    EXPECT_EQ(found(), QStringList({"Ant: work", "Bat: hidden", "Lighthouse: guidance"}));
    EXPECT_EQ(PanelInFront(), "Frame3");
    // A blank name: the save's own message, then the analysis all the same.
    EXPECT_EQ(analyzeNewEntry("", "Water everywhere.").size(), 1);
    EXPECT_EQ(marks(editor), QStringList{"0:Water"});
}

// The view's marks of the keyword picked in the list, as "position:text".
QStringList picked(const QTextEdit* view) {
    QStringList found;
    for (const QTextEdit::ExtraSelection& mark : view->extraSelections())
        found << QString::number(mark.cursor.selectionStart()) + ':' + mark.cursor.selectedText();
    return found;
}

TEST_F(Analysis, PickingAKeywordMarksExactlyItsOccurrencesInTheViewAndScrollsToTheFirst) {
    // The first "cat" far down, below a screenful of lines.
    const QString text = QString("water\n").repeated(80) + "A cat, a catalogue, a black cat. Cat";
    analyzeNewEntry("Night", text);
    auto* view = Find<QTextEdit>(w, "rtbJournalText1");
    auto* list = Find<QTreeWidget>(w, "lvKeywords");
    const QStringList editorMarks = marks(editor);
    ASSERT_EQ(found(), QStringList({"black cat: omens", "cat: intuition", "water: emotions"}));
    const int first = text.indexOf("cat");
    const struct {
        int row;
        QStringList expected;
    } cases[] = {
        {1,
         {QString("%1:cat").arg(first), QString("%1:cat").arg(first + 26),
          QString("%1:Cat").arg(first + 31)}},
        {0, {QString("%1:black cat").arg(first + 20)}},
    };
    for (const auto& [row, expected] : cases) {
        view->verticalScrollBar()->setValue(0);
        QTreeWidgetItem* item = list->topLevelItem(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        EXPECT_EQ(picked(view), expected) << row;
        // The first occurrence is in view; the editor's own marks are as the analysis left them.
        EXPECT_TRUE(view->viewport()->rect().contains(view->cursorRect().center())) << row;
        EXPECT_GT(view->verticalScrollBar()->value(), 0) << row;
        EXPECT_EQ(marks(editor), editorMarks) << row;
        // The mark is bold in the palette's colours, whatever they are.
        const QTextCharFormat format = view->extraSelections().value(0).format;
        EXPECT_EQ(format.fontWeight(), QFont::Bold);
        EXPECT_EQ(format.background().color(), view->palette().color(QPalette::Highlight));
        EXPECT_EQ(format.foreground().color(), view->palette().color(QPalette::HighlightedText));
    }
    // The next analysis starts with nothing picked.
    analyzeNewEntry("Day", "cat");
    EXPECT_TRUE(picked(view).empty());
}

TEST_F(Analysis, TheMarksInTheEditorCarryWeightAloneAndNoFixedColour) {
    analyzeNewEntry("Night", "A cat by the water.");
    QStringList coloured;
    for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.hasProperty(QTextFormat::ForegroundBrush) ||
                format.hasProperty(QTextFormat::BackgroundBrush))
                coloured << it.fragment().text();
        }
    }
    EXPECT_EQ(marks(editor), QStringList({"2:cat", "13:water"}));
    EXPECT_TRUE(coloured.empty()) << coloured.join(',').toStdString();
}

// The marks go into the editor while the analysis hides it; its text is laid out when it is
// shown again, for the size it has then.
TEST_F(Analysis, TheEditorLaysItsMarkedTextOutWhenShownAgain) {
    // The second time, the window shrinks while the analysis is in front.
    for (const QSize size : {w->size(), QSize(640, 480)}) {
        analyzeNewEntry(QString("Night %1").arg(size.width()), "A cat by the water.");
        w->resize(size);
        ProcessEvents();
        button("cmdBackToDream_0")->click();
        ProcessEvents();
        const QTextDocument* document = editor->document();
        EXPECT_FALSE(document->pageSize().isNull());
        EXPECT_GT(document->documentLayout()->blockBoundingRect(document->begin()).height(), 0);
        EXPECT_LE(document->size().width(), editor->viewport()->width());
        EXPECT_EQ(marks(editor), QStringList({"2:cat", "13:water"}));
    }
}

// Each row of the list is as tall as its meaning needs, also when a later analysis puts another
// meaning in the same row.
class AnalysisList : public Analysis {
protected:
    Dictionary InitialDictionary() const override {
        return {{"cat", QString("A cat walks alone through the dream. ").repeated(12)},
                {"water", "emotions"}};
    }
};

TEST_F(AnalysisList, RowsFitTheirMeaningsAsTheyChange) {
    auto* list = Find<QTreeWidget>(w, "lvKeywords");
    const int line = list->fontMetrics().height();
    analyzeNewEntry("Night", "A cat.");
    ProcessEvents();
    EXPECT_GT(list->visualItemRect(list->topLevelItem(0)).height(), 3 * line);
    analyzeNewEntry("Day", "The water.");
    ProcessEvents();
    EXPECT_LT(list->visualItemRect(list->topLevelItem(0)).height(), 2 * line);
}

class AnalysisView : public Analysis {};

// Text that another program put on the clipboard and in the X11 selection survives every event
// of the analysis view, which gives nothing to copy. Where the window system shares them
// between programs, a child process owns them; otherwise this one does.
TEST_F(AnalysisView, LeavesOtherProgramsClipboardAloneAndGivesNothingToCopy) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString copied = "copied in another program", selected = "selected in another program";
    QProcess owner;
    if (QGuiApplication::platformName() == "xcb") {
        owner.start(CLIPBOARD_OWNER, {copied, selected});
        owner.waitForReadyRead(10000);
        EXPECT_EQ(owner.readLine().trimmed(), "owned");
        EXPECT_FALSE(clipboard->ownsClipboard());
    } else {
        clipboard->setText(copied);
        clipboard->setText(selected, QClipboard::Selection);
    }
    const QString kept = copied + '|' + (clipboard->supportsSelection() ? selected : "");
    auto* view = Find<QTextEdit>(w, "rtbJournalText1");
    QWidget* surface = view->viewport();
    const QPoint at(20, 10), to(220, 50);
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"starting an entry", [&] { button("cmdStartNewJournal")->click(); }},
        {"showing an entry", [&] { openStoredEntry(); }},
        {"analysing it", [&] { Press(button("cmdAnalyze"), {Reply::OK}); }},
        {"moving the mouse", [&] { QTest::mouseMove(surface, at); }},
        {"dragging over the text",
         [&] {
             QTest::mousePress(surface, Qt::LeftButton, {}, at);
             QTest::mouseMove(surface, to);
             QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
         }},
        {"double-clicking a word", [&] { QTest::mouseDClick(surface, Qt::LeftButton, {}, at); }},
        {"middle-clicking", [&] { QTest::mouseClick(surface, Qt::MiddleButton, {}, at); }},
        {"select all and copy keys",
         [&] {
             view->setFocus();
             for (const Qt::Key key : {Qt::Key_A, Qt::Key_C, Qt::Key_Insert})
                 QTest::keyClick(view, key, Qt::ControlModifier);
         }},
        {"asking for its menu",
         [&] {
             QContextMenuEvent menu(QContextMenuEvent::Mouse, at, surface->mapToGlobal(at));
             QCoreApplication::sendEvent(surface, &menu);
         }},
    };
    for (const auto& [name, step] : steps) {
        step();
        ProcessEvents();
        EXPECT_EQ(
            clipboard->text() + '|' +
                (clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection) : ""),
            kept)
            << name;
        // Nothing selected is nothing to copy, drag or offer as the X11 selection.
        EXPECT_FALSE(view->textCursor().hasSelection()) << name;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << name;
    }
    EXPECT_EQ(view->toPlainText(), "A cat.");
    owner.kill();
    owner.waitForFinished();
}

} // namespace
