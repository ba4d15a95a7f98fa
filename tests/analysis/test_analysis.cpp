// The dream analysis in the running window: the save it starts with, the list of keywords found,
// the marks in the editor, FindReplace, and the analysis view's clipboard handlers.

#include "TestSupport.h"
#include "app/frmMain.h"
#include "data/modDB.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>

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
    // Writes a new entry as a user would and clicks "Analyze This Dream", answering the save's
    // message when there is one.
    void analyzeNewEntry(const QString& name, const QString& text) {
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

TEST_F(Analysis, TheAnalysisViewEmptiesTheClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto emptiedBy = [clipboard](const std::function<void()>& action) {
        clipboard->setText("copied");
        const bool copied = clipboard->text() == "copied";
        action();
        return copied && clipboard->text().isEmpty();
    };
    EXPECT_TRUE(emptiedBy([&] { form->rtbJournalText1->setPlainText("cat"); }));
    EXPECT_TRUE(emptiedBy([&] { form->rtbJournalText1_Click(); }));
    EXPECT_TRUE(emptiedBy([&] { form->rtbJournalText1_MouseUp(1, 0, 5, 5); }));
    // Pressing, moving and releasing the mouse over the text reach the handlers.
    QWidget* view = form->rtbJournalText1->viewport();
    for (const QEvent::Type type :
         {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(5, 5), view->mapToGlobal(QPointF(5, 5)), button, button,
                          Qt::NoModifier);
        EXPECT_TRUE(emptiedBy([&] { QCoreApplication::sendEvent(view, &event); })) << type;
    }
}

} // namespace
