#pragma once

// Pages of the product's web site, opened in the user's browser, and the one setting the program
// keeps: the date of the last software-update reminder.

#include <QDate>
#include <QString>
#include <QUrl>

#include <optional>

namespace modRegistry {

void OpenOnlineHelp();
void OpenHomePage();
void OpenDownloadPage();
void OpenThankYouPage();

// The four addresses, kept here and nowhere else.
QUrl OnlineHelpUrl();
QUrl HomePageUrl();
QUrl DownloadPageUrl();
QUrl ThankYouPageUrl();

// The per-user settings store, under the executable's base name. A store that cannot be read
// answers with an empty text.
QString GetSetting(const QString& key);
bool SaveSetting(const QString& key, const QString& value);

// Today's date; tests replace the clock.
QDate Today();

namespace testing {
void SetToday(const std::optional<QDate>& today);
} // namespace testing

} // namespace modRegistry
