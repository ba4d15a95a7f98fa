// The software-update reminder: at most every fifteen days, counted either way from the stored
// date, and never lost to an unreadable value.

#include "TestSupport.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "shell/modRegistry.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QStandardPaths>

namespace {

const QDate kToday(2026, 12, 6);

class Reminder : public testsupport::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        modRegistry::testing::SetToday(kToday);
        // Each test starts as a first start would.
        QFile::remove(settingsFile());
    }
    static QString settingsFile() {
        return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
               QStringLiteral("/test_reminder.conf");
    }
    static QString lastUpdate() { return modRegistry::GetSetting(QStringLiteral("LastUpdate")); }
    static void storeLastUpdate(const QString& value) {
        ASSERT_TRUE(modRegistry::SaveSetting(QStringLiteral("LastUpdate"), value));
    }
    // Starts the program and tells whether the question came.
    bool startAsks(MsgBox::Answer answer = MsgBox::Answer::No) {
        MsgBox::SetNextAnswer(answer);
        frmMain* w = StartMain();
        EXPECT_NE(w, nullptr);
        if (w != nullptr) {
            EXPECT_EQ(w->PanelInFront(), w->Frame1);
        }
        const bool asked = MsgBox::PendingAnswers() == 0;
        if (!asked)
            MsgBox::Reset();
        const QList<MsgBox::Shown> shown = MsgBox::TakeShown();
        if (asked) {
            EXPECT_EQ(shown.size(), 1);
            EXPECT_EQ(shown.value(0).text, QStringLiteral("Do You Wish To Update The Software ?"));
            EXPECT_EQ(shown.value(0).icon, MsgBox::Icon::Exclamation);
            EXPECT_EQ(shown.value(0).buttons, MsgBox::Buttons::YesNo);
            EXPECT_EQ(shown.value(0).defaultAnswer, MsgBox::Answer::Yes);
        }
        return asked;
    }
    int downloadPages() const { return int(urls.urls.count(modRegistry::DownloadPageUrl())); }
};

TEST_F(Reminder, TheFirstStartAsksNothingAndRemembersToday) {
    EXPECT_FALSE(startAsks());
    EXPECT_EQ(lastUpdate(), QStringLiteral("2026-12-06"));
}

TEST_F(Reminder, FourteenDaysAfterTheLastReminderAsksNothing) {
    storeLastUpdate(kToday.addDays(-14).toString(Qt::ISODate));
    EXPECT_FALSE(startAsks());
    EXPECT_EQ(lastUpdate(), QStringLiteral("2026-11-22"));
}

TEST_F(Reminder, FifteenDaysAfterAsksAndEitherAnswerRemembersToday) {
    storeLastUpdate(kToday.addDays(-15).toString(Qt::ISODate));
    EXPECT_TRUE(startAsks(MsgBox::Answer::No));
    EXPECT_EQ(lastUpdate(), QStringLiteral("2026-12-06"));
    EXPECT_EQ(downloadPages(), 0);

    modMain::UnloadAllForms();
    storeLastUpdate(kToday.addDays(-30).toString(Qt::ISODate));
    EXPECT_TRUE(startAsks(MsgBox::Answer::Yes));
    EXPECT_EQ(lastUpdate(), QStringLiteral("2026-12-06"));
    EXPECT_EQ(downloadPages(), 1);
}

TEST_F(Reminder, ADateInTheFutureCountsItsDistanceToo) {
    storeLastUpdate(kToday.addDays(20).toString(Qt::ISODate));
    EXPECT_TRUE(startAsks());
    EXPECT_EQ(lastUpdate(), QStringLiteral("2026-12-06"));
}

TEST_F(Reminder, AValueThatIsNoDateCountsAsLongPast) {
    storeLastUpdate(QStringLiteral("sometime in spring"));
    EXPECT_TRUE(startAsks());
    EXPECT_EQ(lastUpdate(), QStringLiteral("2026-12-06"));

    // Edited by hand, with a comma: still a value, still no date.
    modMain::UnloadAllForms();
    QFile conf(settingsFile());
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
    conf.write("[General]\nLastUpdate=2020-01-01, x\n");
    conf.close();
    EXPECT_TRUE(startAsks());
    EXPECT_EQ(lastUpdate(), QStringLiteral("2026-12-06"));
}

TEST_F(Reminder, AnUnreadableStoreCountsAsEmpty) {
    // A folder where the settings file should be: nothing can be read or written there.
    ASSERT_TRUE(QDir().mkpath(settingsFile()));
    EXPECT_FALSE(startAsks());
    QDir(settingsFile()).removeRecursively();
}

} // namespace
