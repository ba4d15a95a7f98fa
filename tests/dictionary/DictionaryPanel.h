#pragma once

// The dictionary panel of the running window, in front, driven as a user would drive it. The
// locale is fixed so that the list's order does not depend on the machine. The dictionary has
// keywords equal but for case, stored out of their listed order, and one beyond ASCII.

#include "TestSupport.h"

using namespace testsupport;

class DictionaryPanel : public ProgramFixture {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ProgramFixture::SetUp();
        w = StartProgram();
        ASSERT_NE(w, nullptr);
        button("cmdDreamDictionary")->click();
        list = Find<QListWidget>(w, "lstKeywords");
        keyword = Find<QLineEdit>(w, "txtKeyword");
        meaning = Find<QPlainTextEdit>(w, "txtKeywordDesc");
    }
    Dictionary InitialDictionary() const override {
        return {{"Apple", "fruit"}, {"dog", "first"}, {"cat", "c"},  {"Dog", "second"},
                {"Bat", "b"},       {"Ärger", "ä"},   {"Water", "w"}};
    }

    QPushButton* button(const char* name) const { return Find<QPushButton>(w, name); }
    QStringList entries() const {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    // Every row as "keyword=description", in table order, one space between rows.
    QString rows() const {
        QStringList out;
        for (const auto& row : Query(KeywordsFile(), "SELECT Keyword, Description FROM "
                                                     "tblKeywords ORDER BY rowid"))
            out << row[0].toString() + "=" + row[1].toString();
        return out.join(' ');
    }
    // The two boxes as "keyword=description".
    QString shown() const { return keyword->text() + "=" + meaning->toPlainText(); }
    // The add mode as the user sees it: the button's caption, the list, the keyword box.
    QString addMode() const {
        return QString("%1, list %2, '%3'")
            .arg(button("cmdAddKeyword")->text(), list->isEnabled() ? "on" : "off",
                 keyword->text());
    }
    // Selects the entry with exactly this text, as a click would.
    void pick(const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        list->setCurrentItem(found.first());
    }
    void type(const QString& word, const QString& description) {
        keyword->setText(word);
        meaning->setPlainText(description);
    }
    // Clicks the button, answering its messages in turn, and gives what they showed.
    QStringList press(const char* name, std::initializer_list<Reply> replies = {}) {
        return Press(button(name), replies);
    }

    QWidget* w = nullptr;
    QListWidget* list = nullptr;
    QLineEdit* keyword = nullptr;
    QPlainTextEdit* meaning = nullptr;
};
