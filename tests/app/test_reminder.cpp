// The software-update reminder as the program runs it: the rule itself is the core's, tested
// there; here, what a start asks, opens and stores.

#include "TestSupport.h"

#include <QSettings>

namespace {

using namespace testsupport;

class Reminder : public ProgramFixture {};

TEST_F(Reminder, AStartAsksWhenTheRuleSaysSoAndRemembersToday) {
    SetToday(QDate(2026, 12, 6));
    const auto stored = [] {
        return QSettings(SettingsFile(), QSettings::IniFormat).value("LastUpdate").toString();
    };
    const QString asked = "Exclamation: Do You Wish To Update The Software ? [Yes No; Yes]";
    // Each start: the date stored before it, the answer, what it shows and opens.
    const std::tuple<QString, std::optional<Reply>, QStringList> starts[] = {
        {"", std::nullopt, {}}, // a first start only remembers its date
        {"2026-11-22", std::nullopt, {}},
        {"2026-11-21", Reply::No, {asked}},
        {"2026-11-06", Reply::Yes, {asked, "download"}}};
    for (const auto& [before, reply, shown] : starts) {
        QFile::remove(SettingsFile());
        if (!before.isEmpty())
            QSettings(SettingsFile(), QSettings::IniFormat).setValue("LastUpdate", before);
        if (reply)
            Answer({*reply});
        ASSERT_NE(StartProgram(), nullptr);
        EXPECT_EQ(PanelInFront(), "Frame1");
        EXPECT_EQ(Shown() + OpenedPages(), shown) << before.toStdString();
        EXPECT_EQ(stored(), shown.isEmpty() && !before.isEmpty() ? before : "2026-12-06");
        CloseAll();
        OpenedPages();
    }
}

} // namespace
