// The dictionary panel as a user drives it: the keyword list with its fill, search and picked
// keyword, and adding, editing and deleting keywords. The locale is fixed so that the list's
// order does not depend on the machine. The dictionary has keywords equal but for case, stored
// out of their listed order, and one beyond ASCII.

#include "TestSupport.h"

namespace {

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

// What the list holds, the core's tests show; here, its order in the user's locale, the row a
// pick shows, and a refresh.
TEST_F(DictionaryPanel, FillsSortedByTheLocaleAndShowsThePickedRow) {
    EXPECT_EQ(entries(), QStringList({"Apple", "Ärger", "Bat", "cat", "Dog", "dog", "Water"}));
    // Either entry of a keyword stored twice shows its last row.
    pick("dog");
    EXPECT_EQ(shown(), "Dog=second");

    // A refresh drops rows gone from the table, selects nothing and keeps the boxes as they were.
    // Swedish puts Ä after Z.
    keyword->setText("typed");
    Exec(KeywordsFile(), "DELETE FROM tblKeywords WHERE Keyword = 'Bat'");
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    button("cmdRefresh")->click();
    EXPECT_EQ(entries(), QStringList({"Apple", "cat", "Dog", "dog", "Water", "Ärger"}));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(shown(), "typed=second");
}

TEST_F(DictionaryPanel, SearchFollowsTheTextAsTyped) {
    auto* search = Find<QLineEdit>(w, "txtSearch");
    pick("Apple");
    search->setText("AT");
    EXPECT_EQ(entries(), QStringList({"Bat", "cat", "Water"}));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_EQ(shown(), "Apple=fruit");
    search->setText("  äR  ");
    EXPECT_EQ(entries(), QStringList{"Ärger"});
    // A keyword added meanwhile shows on the next search from the button.
    Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES ('Lärm', 'noise')");
    button("cmdSearch")->click();
    EXPECT_EQ(entries(), QStringList({"Ärger", "Lärm"}));
}

TEST_F(DictionaryPanel, AMissingOrUnreadableDictionaryLeavesTheListEmptyAndSaysNothing) {
    pick("cat");
    ASSERT_TRUE(QFile::remove(KeywordsFile()));
    Find<QLineEdit>(w, "txtSearch")->setText("a");
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(shown(), "cat=c");
    // Put in its place as tools do: a new file under the old name.
    QFile garbage(KeywordsFile() + ".new");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a database at all");
    garbage.close();
    ASSERT_TRUE(garbage.rename(KeywordsFile()));
    button("cmdRefresh")->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(Shown(), QStringList{});
}

class LargeKeywordList : public DictionaryPanel {
protected:
    Dictionary InitialDictionary() const override {
        Dictionary many;
        for (int i = 0; i < 40000; ++i)
            many.push_back({"k" + QString::number(i), "meaning " + QString::number(i)});
        return many;
    }
};

// More rows than a 16-bit counter holds: the fill (which the search shares) and the pick see
// them all.
TEST_F(LargeKeywordList, EveryRowCountsPastSixteenBits) {
    EXPECT_EQ(list->count(), 40000);
    pick("k39999");
    EXPECT_EQ(shown(), "k39999=meaning 39999");
}

// Exactly one message was shown, and it says `part`.
::testing::AssertionResult saysOnly(const QStringList& shown, const QString& part) {
    if (shown.size() == 1 && shown[0].contains(part))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "shown: " << shown.join(" | ").toStdString();
}

TEST_F(DictionaryPanel, AddModeRefusesDuplicatesAndEmptyBoxesThenSavesTrimmed) {
    const QString before = rows();
    EXPECT_EQ(press("cmdAddKeyword"), QStringList{});
    EXPECT_EQ(addMode(), "&Save, list off, ''");

    type("apple", "another");
    EXPECT_EQ(press("cmdAddKeyword", {Reply::OK}),
              QStringList{"Critical: This Keyword Already Exists"});
    EXPECT_EQ(addMode(), "&Save, list off, 'apple'");

    meaning->setPlainText("   ");
    EXPECT_EQ(press("cmdAddKeyword", {Reply::OK}),
              QStringList{"Critical: Please Enter The Keyword And Its Corresponding Description"});
    EXPECT_EQ(addMode(), "&Save, list on, ''");
    EXPECT_EQ(rows(), before);

    // Still in add mode: the next click saves, trimmed of spaces only. A long meaning saves and
    // shows whole.
    const QString longMeaning(100000, QLatin1Char('m'));
    type("  pear  ", "  " + longMeaning + "\t ");
    EXPECT_EQ(press("cmdAddKeyword", {Reply::OK}),
              QStringList{"Information: Keyword Saved Successfully"});
    EXPECT_EQ(rows(), before + " pear=" + longMeaning + "\t");
    EXPECT_EQ(addMode(), "&Add, list on, ''");
    EXPECT_EQ(shown(), "=");
    EXPECT_EQ(entries().indexOf("pear"), 6);
    pick("pear");
    EXPECT_EQ(shown(), "pear=" + longMeaning + "\t");
}

TEST_F(DictionaryPanel, EditRewritesEveryRowOfThePickedKeywordAndNoOther) {
    Exec(KeywordsFile(), "INSERT INTO tblKeywords VALUES (' Dog ', 'imported')");
    button("cmdRefresh")->click();
    pick("dog");
    type("DOG ", " loyal ");
    EXPECT_EQ(press("cmdUpdateKeyword", {Reply::OK}),
              QStringList{"Information: Keyword Updates Successfully"});
    const QString edited = "Apple=fruit DOG=loyal cat=c DOG=loyal Bat=b Ärger=ä Water=w ";
    EXPECT_EQ(rows(), edited + " Dog =imported");
    EXPECT_EQ(shown(), "=");

    // " Dog " differs in its spaces: it is a keyword of its own. The description is stored as
    // typed: no-break spaces and line separators stay what they are.
    const QString exact = QString::fromUtf8("pale\u00a0light\u2028second line");
    pick(" Dog ");
    EXPECT_EQ(shown(), " Dog =imported");
    meaning->setPlainText(exact);
    press("cmdUpdateKeyword", {Reply::OK});
    EXPECT_EQ(rows(), edited + "Dog=" + exact);

    // Picked cat, then typed another keyword over it; or nothing picked, as in add mode:
    // nothing changes, and the typing stays.
    const QString before = rows();
    pick("cat");
    type("Bat", "night");
    EXPECT_EQ(press("cmdUpdateKeyword", {Reply::OK}),
              QStringList{"Critical: Please Select The Keyword From The Given List"});
    EXPECT_EQ(shown(), "Bat=night");
    press("cmdAddKeyword");
    type("Water", "rain");
    EXPECT_EQ(press("cmdUpdateKeyword", {Reply::OK}),
              QStringList{"Critical: Please Select The Keyword From The Given List"});
    EXPECT_EQ(rows(), before);
    press("cmdBack_1", {Reply::No});

    // A picked keyword that is gone meanwhile: nothing changes, and the user is told so.
    pick("Bat");
    Exec(KeywordsFile(), "DELETE FROM tblKeywords WHERE Keyword = 'Bat'");
    type("Bat", "horn");
    EXPECT_TRUE(saysOnly(press("cmdUpdateKeyword", {Reply::OK}), "Not Found"));
    EXPECT_EQ(shown(), "Bat=horn");
    EXPECT_FALSE(rows().contains("horn"));
}

TEST_F(DictionaryPanel, DeleteAsksPerRowAndGoesByTheListSelection) {
    const QString question = "Exclamation: Are You Sure To Delete The Keyword ? [Yes No; No]";
    pick("dog");
    EXPECT_EQ(press("cmdDeleteKeyword", {Reply::No, Reply::Yes, Reply::OK}),
              QStringList({question, question, "Critical: Keyword Deleted Successfully"}));
    EXPECT_EQ(rows(), "Apple=fruit dog=first cat=c Bat=b Ärger=ä Water=w");

    pick("cat");
    keyword->setText("Bat");
    press("cmdDeleteKeyword", {Reply::Yes, Reply::OK});
    const QString left = rows();
    EXPECT_EQ(left, "Apple=fruit dog=first Bat=b Ärger=ä Water=w");
    EXPECT_EQ(entries().size(), 5);

    // Nothing selected (the refresh cleared it): nothing asked, nothing deleted.
    EXPECT_EQ(press("cmdDeleteKeyword"), QStringList{});
    EXPECT_EQ(rows(), left);
}

TEST_F(DictionaryPanel, BackButtonsAskAboutAPendingAddAndStay) {
    const QString question = "Critical: Do You Want To Save Keyword [Yes No; Yes]";
    for (const auto& [back, target] :
         {std::pair("cmdBack_1", "Frame1"), std::pair("cmdBackToDream_3", "Frame2")}) {
        SCOPED_TRACE(back);
        button("cmdDreamDictionary")->click();
        press("cmdAddKeyword");
        type("heron", "patience");
        EXPECT_EQ(press(back, {Reply::No}), QStringList{question});
        EXPECT_EQ(PanelInFront(), "Frame4");
        EXPECT_EQ(addMode(), "&Add, list on, 'heron'");
        EXPECT_EQ(shown(), "heron=patience");
        EXPECT_EQ(press(back), QStringList{});
        EXPECT_EQ(PanelInFront(), target);
    }

    button("cmdDreamDictionary")->click();
    press("cmdAddKeyword");
    type("heron", "patience");
    EXPECT_EQ(press("cmdBack_2", {Reply::Yes, Reply::OK}),
              QStringList({question, "Information: Keyword Saved Successfully"}));
    EXPECT_EQ(PanelInFront(), "Frame4");
    EXPECT_TRUE(rows().endsWith(" heron=patience"));
}

// A disk that fills up while the program runs; a file read-only from the start shows the
// same way, as the journal's tests show.
TEST_F(DictionaryPanel, AFailedWriteIsReportedAndKeepsWhatWasTyped) {
    const QString before = rows();
    SimulateFault(Fault::DiskFull);
    press("cmdAddKeyword");
    type("owl", "wisdom");
    EXPECT_TRUE(saysOnly(press("cmdAddKeyword", {Reply::OK}), "Keyword \"owl\" Was Not Saved"));
    EXPECT_EQ(addMode(), "&Save, list off, 'owl'");
    EXPECT_EQ(shown(), "owl=wisdom");
    press("cmdBack_1", {Reply::No});

    pick("cat");
    type("cat", "changed");
    EXPECT_TRUE(saysOnly(press("cmdUpdateKeyword", {Reply::OK}), "Were Not Saved"));
    EXPECT_EQ(shown(), "cat=changed");

    pick("Bat");
    const QStringList shownOnDelete = press("cmdDeleteKeyword", {Reply::Yes, Reply::OK});
    EXPECT_TRUE(saysOnly(shownOnDelete.mid(1), "Keyword \"Bat\" Was Not Deleted"));
    SimulateFault(Fault::None);
    EXPECT_EQ(rows(), before);
}

} // namespace
