#pragma once

// The dictionary panel of the running window, in front, driven as a user would drive it. The
// locale is fixed so that the list's order does not depend on the machine. The dictionary has
// keywords equal but for case, stored out of their listed order, and one beyond ASCII.

#include "TestSupport.h"
#include "app/frmMain.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>

class DictionaryPanel : public testsupport::ProgramFixture {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ProgramFixture::SetUp();
        w = StartMain();
        ASSERT_NE(w, nullptr);
        w->BringToFront(w->Frame4);
        testsupport::TakeMessageTexts();
    }
    testsupport::Dictionary InitialDictionary() const override {
        return {{"Apple", "fruit"}, {"dog", "first"}, {"cat", "c"},  {"Dog", "second"},
                {"Bat", "b"},       {"Ärger", "ä"},   {"Water", "w"}};
    }

    QStringList entries() const {
        QStringList texts;
        for (int i = 0; i < w->lstKeywords->count(); ++i)
            texts << w->lstKeywords->item(i)->text();
        return texts;
    }
    // Every row as "keyword=description", in table order, one space between rows.
    QString rows() const {
        QStringList out;
        for (const auto& row : testsupport::Query(
                 KeywordsFile(), "SELECT Keyword, Description FROM tblKeywords ORDER BY rowid"))
            out << row[0].toString() + "=" + row[1].toString();
        return out.join(' ');
    }
    // The two boxes as "keyword=description".
    QString shown() const { return w->txtKeyword->text() + "=" + w->txtKeywordDesc->toPlainText(); }
    // The add mode as the user sees it: the button's caption, the list, the keyword box.
    QString addMode() const {
        return QString("%1, list %2, '%3'")
            .arg(w->cmdAddKeyword->text(), w->lstKeywords->isEnabled() ? "on" : "off",
                 w->txtKeyword->text());
    }

    // Selects the entry with exactly this text, as a click would.
    void pick(const QString& text) {
        const auto found = w->lstKeywords->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        w->lstKeywords->setCurrentItem(found.first());
    }
    void type(const QString& keyword, const QString& description) {
        w->txtKeyword->setText(keyword);
        w->txtKeywordDesc->setPlainText(description);
    }
    // Clicks `button`, answering its message boxes in turn, and gives the texts they showed.
    QStringList press(QPushButton* button, std::initializer_list<MsgBox::Answer> answers) {
        for (const MsgBox::Answer answer : answers)
            MsgBox::SetNextAnswer(answer);
        button->click();
        EXPECT_EQ(MsgBox::PendingAnswers(), 0) << "fewer messages than answers";
        return testsupport::TakeMessageTexts();
    }

    frmMain* w = nullptr;
};
