#include "shell/modRegistry.h"

#include "app/modMain.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QSettings>

namespace modRegistry {
namespace {

const char kSite[] = "https://oneirion.org";

std::optional<QDate> g_today;

QUrl page(const char* path) {
    return QUrl(QLatin1String(kSite) + QLatin1String(path));
}

void open(const QUrl& url) {
    // Fire and forget: a missing browser or a failing page is not the user's problem here.
    QDesktopServices::openUrl(url);
}

QString settingsName() {
    return QFileInfo(modMain::ExePath()).completeBaseName();
}

} // namespace

QUrl OnlineHelpUrl() {
    return page("/help/");
}

QUrl HomePageUrl() {
    return page("/");
}

QUrl DownloadPageUrl() {
    return page("/download/");
}

QUrl ThankYouPageUrl() {
    return page("/thank-you/");
}

void OpenOnlineHelp() {
    open(OnlineHelpUrl());
}

void OpenHomePage() {
    open(HomePageUrl());
}

void OpenDownloadPage() {
    open(DownloadPageUrl());
}

void OpenThankYouPage() {
    open(ThankYouPageUrl());
}

QString GetSetting(const QString& key) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, settingsName());
    if (settings.status() != QSettings::NoError)
        return QString();
    // A stored text with a comma reads back as a list; it is still the text that was stored.
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

bool SaveSetting(const QString& key, const QString& value) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, settingsName());
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QDate Today() {
    return g_today ? *g_today : QDate::currentDate();
}

namespace testing {

void SetToday(const std::optional<QDate>& today) {
    g_today = today;
}

} // namespace testing

} // namespace modRegistry
