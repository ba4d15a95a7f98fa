#pragma once

// The software-update reminder: at most every fifteen days the program asks whether to look for
// a newer version. A pure rule over the stored date and today, so it is tested without a clock.

#include <QDate>
#include <QString>

struct ReminderDecision {
    // Ask "Do You Wish To Update The Software ?".
    bool ask = false;
    // Store today's date as the date of the last reminder.
    bool storeToday = false;
};

// `stored` is the setting as kept (an ISO date, or empty before the first start).
ReminderDecision decideUpdateReminder(const QString& stored, const QDate& today);
