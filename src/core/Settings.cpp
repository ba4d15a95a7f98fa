#include "core/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

Settings::Settings(const QString& executablePath)
    : name_(QFileInfo(executablePath).completeBaseName()) {}

QString Settings::text(const QString& key) const {
    const QVariant stored = value(key);
    // A stored text with a comma reads back as a list; it is still the text that was stored.
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList().join(QLatin1String(", "));
    return stored.toString();
}

Status Settings::setText(const QString& key, const QString& value) {
    return setValue(key, value);
}

QVariant Settings::value(const QString& key) const {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, name_);
    if (settings.status() != QSettings::NoError)
        return QVariant();
    return settings.value(key);
}

Status Settings::setValue(const QString& key, const QVariant& value) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, name_);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return Error(QCoreApplication::translate("Settings", "%1: the settings cannot be written.")
                         .arg(settings.fileName()));
    return Status();
}
