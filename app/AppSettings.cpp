// SPDX-License-Identifier: MIT
// The application settings file "./setting.ini": typed access to the keys the shell reads.
#include "AppSettings.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

#include "GuiLog.h"
#include "IniTextCheck.h"

namespace {

// The frames-in-waiting range the settings dialog offers; anything else read from the file
// is brought into it, since a huge backlog lets an unpaced camera fill all memory and a
// negative one shows no frame at all.
constexpr int kBacklogMin = 1;
constexpr int kBacklogMax = 30;
constexpr int kQualityMin = 1;
constexpr int kQualityMax = 100;

// Far beyond any settings file this program writes; Qt would read a larger one whole.
constexpr qint64 kMaxSettingsBytes = 1 << 20;

void warnUnusable(const QString& fileName, const char* why) {
    qCWarning(guiLog).noquote() << QStringLiteral(
                                       "%1 %2; settings are neither read from it nor saved: "
                                       "remove or rename it to keep settings")
                                       .arg(fileName, QLatin1String(why));
}

// A FIFO or device at the settings path would block the start in open() or feed it endless
// bytes, and typed values would have Qt build whatever objects they name: only a regular
// file of plain values (or nothing yet) is read and written.
QString usableSettingsFile(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists())
        return fileName;
    if (!info.isFile()) {
        warnUnusable(fileName, "is not a regular file");
        return QString();
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fileName;  // Qt reports it unreadable in its status, as for any file
    if (file.size() > kMaxSettingsBytes) {
        warnUnusable(fileName, "is larger than any settings file (1 MB)");
        return QString();
    }
    if (IniTextCheck::holdsTypedValues(file.read(kMaxSettingsBytes))) {
        warnUnusable(fileName, "holds typed values this program never writes");
        return QString();
    }
    return fileName;
}

}  // namespace

AppSettings::AppSettings() : AppSettings(QString::fromLatin1(kFileName)) {}

AppSettings::AppSettings(const QString& fileName)
    : settings_(usableSettingsFile(fileName), QSettings::IniFormat), requestedFile_(fileName) {}

int AppSettings::intValue(const char* key, int fallback) const {
    bool ok = false;
    const qlonglong value = settings_.value(QLatin1String(key), fallback).toLongLong(&ok);
    // A hand-edited file with text where a number belongs falls back to the default rather
    // than to 0, which would silently switch features off; a number beyond int stays on its
    // side of zero instead of wrapping.
    if (!ok)
        return fallback;
    return static_cast<int>(std::clamp<qlonglong>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

int AppSettings::clampedValue(const char* key, int fallback, int low, int high) const {
    return std::clamp(intValue(key, fallback), low, high);
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
    return clampedValue("File/Quality", 75, kQualityMin, kQualityMax);
}

int AppSettings::backlog() const {
    return clampedValue("File/Backlog", 2, kBacklogMin, kBacklogMax);
}

bool AppSettings::instantFps() const {
    return intValue("File/InstantFPS", 0) != 0;
}
