// The Help menu's web pages and the software-update reminder of the main window.

#include "app/MsgBox.h"
#include "app/frmMain.h"
#include "shell/modRegistry.h"

#include <QGroupBox>

namespace {

const char kLastUpdate[] = "LastUpdate";
// How often, in days, the program offers to look for a newer version.
const qint64 kReminderDays = 15;

} // namespace

void frmMain::mnuOnline_Click() {
    modRegistry::OpenOnlineHelp();
}

void frmMain::mnuVisit_Click() {
    modRegistry::OpenHomePage();
}

void frmMain::mnuUpdate_Click() {
    modRegistry::OpenDownloadPage();
}

void frmMain::CheckUpdateReminder() {
    const QString stored = modRegistry::GetSetting(QLatin1String(kLastUpdate));
    const QDate today = modRegistry::Today();
    if (stored.isEmpty()) {
        modRegistry::SaveSetting(QLatin1String(kLastUpdate), today.toString(Qt::ISODate));
        BringToFront(Frame1);
        return;
    }
    QDate last = QDate::fromString(stored, Qt::ISODate);
    // A value that is no date counts as long past, so the question comes and a good date is
    // written over it.
    if (!last.isValid())
        last = QDate(1899, 12, 30);
    if (qAbs(last.daysTo(today)) >= kReminderDays) {
        if (MsgBox::Show(QStringLiteral("Do You Wish To Update The Software ?"),
                         MsgBox::Icon::Exclamation, MsgBox::Buttons::YesNo,
                         MsgBox::Answer::Yes) == MsgBox::Answer::Yes)
            modRegistry::OpenDownloadPage();
        modRegistry::SaveSetting(QLatin1String(kLastUpdate), today.toString(Qt::ISODate));
    }
    BringToFront(Frame1);
}
