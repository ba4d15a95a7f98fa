#include "core/UpdateReminder.h"

namespace {

// How often, in days, the program offers to look for a newer version.
constexpr qint64 kReminderDays = 15;

} // namespace

ReminderDecision decideUpdateReminder(const QString& stored, const QDate& today) {
    // The first start only remembers its date.
    if (stored.isEmpty())
        return {false, true};
    QDate last = QDate::fromString(stored, Qt::ISODate);
    // A value that is no date counts as long past, so the question comes and a good date is
    // written over it.
    if (!last.isValid())
        last = QDate(1899, 12, 30);
    // A clock set back counts as much as one run forward.
    if (qAbs(last.daysTo(today)) >= kReminderDays)
        return {true, true};
    return {false, false};
}
