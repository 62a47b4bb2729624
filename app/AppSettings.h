// SPDX-License-Identifier: MIT
// The application settings file "./setting.ini": typed access to the keys the shell reads.
#pragma once

#include <QLocale>
#include <QSettings>
#include <QString>

// One INI file relative to the working directory, shared by the main window, the dialogs and
// the threads that need a key. Typed getters carry each key's default so that no caller
// repeats it; everything else reaches the file through qsettings().
class AppSettings {
public:
    static constexpr const char* kFileName = "./setting.ini";

    AppSettings();
    // Every number below is brought into its key's range: backlog and quality are clamped,
    // text where a number belongs gives the default. The picture type and the folder come as
    // stored, since the writers report an unknown type or an empty folder to the user.
    explicit AppSettings(const QString& fileName);

    QSettings& qsettings() { return settings_; }
    // The path asked for, also when it could not be used (see the constructor).
    QString fileName() const { return requestedFile_; }
    // False when the path names something other than a regular file: then nothing is read
    // from it or written to it, and every key has its default.
    bool fileUsable() const { return !settings_.fileName().isEmpty(); }

    // "Language/Lang": 0 loads the Chinese translation, anything else the English one. With no
    // value stored, 0 on a Chinese system locale and 1 on any other.
    int language(const QLocale& system = QLocale::system()) const;
    void setLanguage(int lang);

    // Feature switches: "Feature/Measurement", "Feature/AviCapture", "Feature/Management".
    bool measurementEnabled() const;
    bool aviCaptureEnabled() const;
    bool managementEnabled() const;

    // Where snapshots, raw frames and videos go, and how pictures are written.
    QString filePath() const;
    int fileType() const;
    int fileQuality() const;
    // Frames allowed to wait between capture and processing, and the instant-rate option.
    int backlog() const;
    bool instantFps() const;

    void sync() { settings_.sync(); }

private:
    int intValue(const char* key, int fallback) const;
    int clampedValue(const char* key, int fallback, int low, int high) const;

    QSettings settings_;
    QString requestedFile_;
};
