// The software-update reminder, as a rule over the stored date and today.

#include "core/UpdateReminder.h"

#include <gtest/gtest.h>

namespace {

TEST(UpdateReminder, AsksEveryFifteenDaysEitherWay) {
    const QDate today(2026, 12, 6);
    const struct {
        QString stored;
        bool ask;
        bool store;
    } cases[] = {
        {QString(), false, true}, // the first start only remembers its date
        {today.addDays(-14).toString(Qt::ISODate), false, false},
        {today.addDays(-15).toString(Qt::ISODate), true, true},
        {today.addDays(20).toString(Qt::ISODate), true, true}, // a clock set back
        {QStringLiteral("not a date"), true, true},            // counts as long past
    };
    for (const auto& rule : cases) {
        const ReminderDecision decision = decideUpdateReminder(rule.stored, today);
        EXPECT_EQ(decision.ask, rule.ask) << rule.stored.toStdString();
        EXPECT_EQ(decision.storeToday, rule.store) << rule.stored.toStdString();
    }
}

} // namespace
