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
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

using testsupport::Dictionary;

struct Mark {
    int position;
    QString text;
    bool operator==(const Mark& other) const {
        return position == other.position && text == other.text;
    }
};

void PrintTo(const Mark& mark, std::ostream* out) {
    *out << mark.position << ":\"" << mark.text.toStdString() << "\"";
}

// The bold stretches of a document, joined where they touch.
std::vector<Mark> marks(const QTextEdit* box) {
    std::vector<Mark> found;
    int runEnd = -1;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().fontWeight() < QFont::Bold)
                continue;
            if (fragment.position() == runEnd)
                found.back().text += fragment.text();
            else
                found.push_back({fragment.position(), fragment.text()});
            runEnd = fragment.position() + fragment.length();
        }
    }
    return found;
}

QStringList column(const QTreeWidget* list, int index) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(index);
    return texts;
}

class Analysis : public testsupport::ProgramFixture {
protected:
    Dictionary InitialDictionary() const override {
        return {
            {QStringLiteral("water"), QStringLiteral("Emotions and the unconscious.")},
            {QStringLiteral("cat"), QStringLiteral("Independence and intuition.")},
            {QStringLiteral("Bat"), QStringLiteral("Something hidden in the dark.")},
            {QStringLiteral("Ant"), QStringLiteral("Patient, shared work.")},
            {QStringLiteral("black cat"), QStringLiteral("Superstition.")},
            {QStringLiteral("flying"), QString()},
        };
    }

    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_NE(StartMain(), nullptr);
    }

    // Writes a new entry as a user would and clicks "Analyze This Dream"; the save reports
    // success.
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
    analyzeNewEntry(QStringLiteral("Night"), QStringLiteral("Cat, a CAT and a cat.\nThen water."));

    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Journal Saved Successfully"});
    EXPECT_EQ(form->PanelInFront(), form->Frame3);
    // One item for three occurrences, the first at the very start of the text.
    EXPECT_EQ(column(form->lvKeywords, 0), (QStringList{"cat", "water"}));
    EXPECT_EQ(column(form->lvKeywords, 1),
              (QStringList{"Independence and intuition.", "Emotions and the unconscious."}));
    EXPECT_EQ(marks(form->rtbJournalText),
              (std::vector<Mark>{{0, "Cat"}, {7, "CAT"}, {17, "cat"}, {27, "water"}}));

    // The view holds the plain text without marks; the editor's whole text is selected.
    EXPECT_EQ(form->rtbJournalText1->toPlainText(), form->rtbJournalText->toPlainText());
    EXPECT_TRUE(marks(form->rtbJournalText1).empty());
    const QTextCursor selection = form->rtbJournalText->textCursor();
    EXPECT_EQ(selection.selectionStart(), 0);
    EXPECT_EQ(selection.selectionEnd(), form->rtbJournalText->toPlainText().size());
}

TEST_F(Analysis, FindsWholeWordsAndPhrasesOnly) {
    analyzeNewEntry(QStringLiteral("Night"),
                    QStringLiteral("A catalogue, a bobcat, batteries and a black  cat; "
                                   "then a Black Cat flying."));
    // Dictionary order, not the order of the text; an empty meaning gives an empty cell.
    EXPECT_EQ(column(form->lvKeywords, 0), (QStringList{"black cat", "cat", "flying"}));
    EXPECT_EQ(column(form->lvKeywords, 1).last(), QString());
    EXPECT_EQ(marks(form->rtbJournalText),
              (std::vector<Mark>{{46, "cat"}, {58, "Black Cat"}, {68, "flying"}}));
}

TEST_F(Analysis, ResultsFollowTheDictionarysOrder) {
    analyzeNewEntry(QStringLiteral("Night"), QStringLiteral("water, then a bat, then an ant"));
    EXPECT_EQ(column(form->lvKeywords, 0), (QStringList{"Ant", "Bat", "water"}));
}

TEST_F(Analysis, ASecondAnalysisClearsTheOldMarks) {
    analyzeNewEntry(QStringLiteral("Night"), QStringLiteral("cat and water"));
    ASSERT_EQ(marks(form->rtbJournalText).size(), 2u);
    testsupport::TakeMessageTexts();

    // The user turns "cat" into "cats": the typed letter takes the bold of the one before it.
    QTextCursor typing(form->rtbJournalText->document());
    typing.setPosition(3);
    typing.insertText(QStringLiteral("s"));
    ASSERT_EQ(marks(form->rtbJournalText).front().text, QStringLiteral("cats"));

    analyze();
    EXPECT_EQ(testsupport::TakeMessageTexts(), QStringList{"Journal Updated Successfully"});
    EXPECT_EQ(column(form->lvKeywords, 0), QStringList{"water"});
    EXPECT_EQ(marks(form->rtbJournalText), (std::vector<Mark>{{9, "water"}}));
}

TEST_F(Analysis, MarksDoNotSpillIntoTheNextTextShownOrTyped) {
    analyzeNewEntry(QStringLiteral("Ends marked"), QStringLiteral("a black cat"));
    ASSERT_FALSE(marks(form->rtbJournalText).empty());
    testsupport::TakeMessageTexts();

    form->cmdStartNewJournal->click();
    form->rtbJournalText->insertPlainText(QStringLiteral("fresh words"));
    EXPECT_TRUE(marks(form->rtbJournalText).empty());

    const auto id = testsupport::AddJournalRow(DreamsFile(), 2001, 1, 1, QStringLiteral("other"),
                                               QStringLiteral("plain"));
    modDB::rsDreams->Requery();
    analyzeNewEntry(QStringLiteral("Marked again"), QStringLiteral("water"));
    form->ShowJournal(QStringLiteral("~") + QString::number(id));
    EXPECT_TRUE(marks(form->rtbJournalText).empty());
}

TEST_F(Analysis, FindsAKeywordAddedOnTheDictionaryPanelSinceStartUp) {
    form->cmdDreamDictionary_Click();
    form->cmdAddKeyword->click();
    form->txtKeyword->setText(QStringLiteral("Lighthouse"));
    form->txtKeywordDesc->setPlainText(QStringLiteral("Guidance."));
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    form->cmdAddKeyword->click();
    ASSERT_EQ(testsupport::TakeMessageTexts(), QStringList{"Keyword Saved Successfully"});

    analyzeNewEntry(QStringLiteral("Night"), QStringLiteral("A lighthouse in the fog."));
    ASSERT_EQ(column(form->lvKeywords, 0), QStringList{"Lighthouse"});
    EXPECT_EQ(column(form->lvKeywords, 1), QStringList{"Guidance."});
}

TEST_F(Analysis, RunsWhenTheSaveIsRefused) {
    testsupport::AddJournalRow(DreamsFile(), 2008, 3, 17, QStringLiteral("Flying"),
                               QStringLiteral("old"));
    modDB::rsDreams->Requery();

    // A taken name: the save stores nothing and says nothing while the analysis runs.
    form->cmdStartNewJournal_Click();
    form->txtJournalName->setText(QStringLiteral(" flying "));
    form->rtbJournalText->setPlainText(QStringLiteral("The ant and the bat."));
    form->cmdAnalyze->click();
    EXPECT_TRUE(testsupport::TakeMessageTexts().isEmpty());
    EXPECT_EQ(testsupport::Query(DreamsFile(), QStringLiteral("SELECT count(*) FROM tblDreams"))
                  .first()
                  .first()
                  .toInt(),
              1);
    EXPECT_EQ(column(form->lvKeywords, 0), (QStringList{"Ant", "Bat"}));
    EXPECT_EQ(form->PanelInFront(), form->Frame3);

    // A blank name: the save's own message, then the analysis all the same.
    form->cmdStartNewJournal_Click();
    form->rtbJournalText->setPlainText(QStringLiteral("Water everywhere."));
    MsgBox::SetNextAnswer(MsgBox::Answer::OK);
    form->cmdAnalyze->click();
    EXPECT_EQ(testsupport::TakeMessageTexts().size(), 1);
    EXPECT_EQ(column(form->lvKeywords, 0), QStringList{"water"});
    EXPECT_EQ(marks(form->rtbJournalText), (std::vector<Mark>{{0, "Water"}}));
}

TEST_F(Analysis, FindReplaceCountsAndMarksWithoutMovingTheSelection) {
    QTextEdit* box = form->rtbJournalText;
    box->setPlainText(QStringLiteral("Water, water\neverywhere; no WATERS but water."));
    QTextCursor selection = box->textCursor();
    selection.setPosition(8);
    selection.setPosition(3, QTextCursor::KeepAnchor);
    box->setTextCursor(selection);

    QString word = QStringLiteral("water");
    EXPECT_EQ(form->FindReplace(box, word), 3);
    EXPECT_EQ(word, QStringLiteral("water"));
    EXPECT_EQ(marks(box), (std::vector<Mark>{{0, "Water"}, {7, "water"}, {39, "water"}}));
    EXPECT_EQ(box->textCursor().anchor(), 8);
    EXPECT_EQ(box->textCursor().position(), 3);

    QString nothing;
    EXPECT_EQ(form->FindReplace(box, nothing), 0);
    QString absent = QStringLiteral("fog");
    EXPECT_EQ(form->FindReplace(box, absent), 0);
    EXPECT_EQ(marks(box).size(), 3u);
}

TEST_F(Analysis, BackToDreamDictionaryShowsTheDictionaryPanel) {
    analyzeNewEntry(QStringLiteral("Night"), QStringLiteral("cat"));
    form->cmdBackToDreamDictionary->click();
    EXPECT_EQ(form->PanelInFront(), form->Frame4);
    EXPECT_TRUE(form->Frame4->isVisible());
}

TEST_F(Analysis, TheAnalysisViewEmptiesTheClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QWidget* view = form->rtbJournalText1->viewport();
    const QPointF at(5, 5);
    auto expectEmptiedBy = [&](const char* what, const std::function<void()>& action) {
        clipboard->setText(QStringLiteral("copied"));
        ASSERT_EQ(clipboard->text(), QStringLiteral("copied"));
        action();
        EXPECT_TRUE(clipboard->text().isEmpty()) << what;
    };
    expectEmptiedBy("a change of the text",
                    [&] { form->rtbJournalText1->setPlainText(QStringLiteral("cat")); });
    expectEmptiedBy("a mouse press", [&] {
        QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
    });
    expectEmptiedBy("a mouse move", [&] {
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
    });
    expectEmptiedBy("a mouse release", [&] {
        QMouseEvent release(QEvent::MouseButtonRelease, at, view->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &release);
    });
    expectEmptiedBy("a click", [&] { form->rtbJournalText1_Click(); });
}

} // namespace
