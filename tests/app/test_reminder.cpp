// The software-update reminder: at most every fifteen days, counted either way from the stored
// date, and never lost to an unreadable value.

#include "TestSupport.h"

#include <QSettings>

namespace {

using namespace testsupport;

class Reminder : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        SetToday(QDate(2026, 12, 6));
        QFile::remove(SettingsFile()); // as a first start
    }
    static void store(const QByteArray& lastUpdate) {
        QFile file(SettingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                    file.write("[General]\nLastUpdate=" + lastUpdate));
    }
    static QString stored() {
        return QSettings(SettingsFile(), QSettings::IniFormat).value("LastUpdate").toString();
    }
    // Starts the program, answering the question with `reply` if one is given, and gives what
    // was shown and the pages opened.
    QStringList start(std::optional<Reply> reply = std::nullopt) {
        CloseAll();
        OpenedPages();
        if (reply)
            Answer({*reply});
        EXPECT_NE(StartProgram(), nullptr);
        EXPECT_EQ(PanelInFront(), "Frame1");
        return Shown() + OpenedPages();
    }
};

const QString kAsked = "Exclamation: Do You Wish To Update The Software ? [Yes No; Yes]";

TEST_F(Reminder, AsksFifteenDaysOrMoreEitherWayFromTheStoredDateAndThenRemembersToday) {
    EXPECT_EQ(start(), QStringList{}) << "a first start asks nothing";
    EXPECT_EQ(stored(), "2026-12-06");
    const std::pair<const char*, bool> cases[] = {{"2026-11-22", false},
                                                  {"2026-11-21", true},
                                                  {"2026-12-26", true},
                                                  {"sometime in spring", true},
                                                  {"2020-01-01, x", true}};
    for (const auto& [lastUpdate, asks] : cases) {
        store(lastUpdate);
        EXPECT_EQ(start(asks ? std::optional(Reply::No) : std::nullopt),
                  asks ? QStringList{kAsked} : QStringList{})
            << lastUpdate;
        EXPECT_EQ(stored(), asks ? "2026-12-06" : lastUpdate) << lastUpdate;
    }
    store("2026-11-06");
    EXPECT_EQ(start(Reply::Yes), QStringList({kAsked, "download"}));
    EXPECT_EQ(stored(), "2026-12-06");
}

TEST_F(Reminder, AnUnreadableStoreCountsAsEmpty) {
    // A folder where the settings file should be: nothing can be read or written there.
    ASSERT_TRUE(QDir().mkpath(SettingsFile()));
    EXPECT_EQ(start(), QStringList{});
    QDir(SettingsFile()).removeRecursively();
}

} // namespace
