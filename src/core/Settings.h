#pragma once

// The per-user settings store, kept under the executable's base name in the default per-user
// location (so XDG_CONFIG_HOME moves it).

#include "core/Result.h"

#include <QString>
#include <QVariant>

class Settings {
public:
    explicit Settings(const QString& executablePath);

    // A store that cannot be read answers with an empty text.
    QString text(const QString& key) const;
    Status setText(const QString& key, const QString& value);

    QVariant value(const QString& key) const;
    Status setValue(const QString& key, const QVariant& value);

private:
    QString name_;
};
