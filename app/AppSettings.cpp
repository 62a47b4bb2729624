// SPDX-License-Identifier: MIT
// The application settings file "./setting.ini": typed access to the keys the shell reads.
#include "AppSettings.h"

AppSettings::AppSettings() : AppSettings(QString::fromLatin1(kFileName)) {}

AppSettings::AppSettings(const QString& fileName) : settings_(fileName, QSettings::IniFormat) {}

int AppSettings::intValue(const char* key, int fallback) const {
    bool ok = false;
    const int value = settings_.value(QLatin1String(key), fallback).toInt(&ok);
    // A hand-edited file with text where a number belongs falls back to the default rather
    // than to 0, which would silently switch features off.
    return ok ? value : fallback;
}

int AppSettings::language(const QLocale& system) const {
    return intValue("Language/Lang", system.language() == QLocale::Chinese ? 0 : 1);
}

void AppSettings::setLanguage(int lang) {
    settings_.setValue("Language/Lang", lang);
}

bool AppSettings::measurementEnabled() const {
    return intValue("Feature/Measurement", 1) > 0;
}

bool AppSettings::aviCaptureEnabled() const {
    return intValue("Feature/AviCapture", 1) > 0;
}

bool AppSettings::managementEnabled() const {
    return intValue("Feature/Management", 0) > 0;
}

QString AppSettings::filePath() const {
    return settings_.value("File/Path", QStringLiteral(".")).toString();
}

int AppSettings::fileType() const {
    return intValue("File/Type", 1);
}

int AppSettings::fileQuality() const {
    return intValue("File/Quality", 75);
}

int AppSettings::backlog() const {
    return intValue("File/Backlog", 2);
}

bool AppSettings::instantFps() const {
    return intValue("File/InstantFPS", 0) != 0;
}
