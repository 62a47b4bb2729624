// SPDX-License-Identifier: MIT
// Writes snapshots and timed shots: file names from the clock, folder, format and quality.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

#include "Clock.h"

class AppSettings;

// Reads "File/Path", "File/Type" and "File/Quality" afresh for every picture, so a change in
// the settings dialog applies to the next one. A picture is written to a temporary file and
// renamed into place only when every byte reached the disk: a full disk or a vanished folder
// never leaves a truncated picture under the final name.
class SnapshotWriter {
public:
    enum class Status {
        Saved,
        NoFolder,  // "File/Path" is empty: the operator must choose a folder
        Failed,    // see Result::error
    };
    struct Result {
        Status status = Status::Failed;
        QString fileName;  // the name the picture was (or would have been) written to
        QString error;     // why it was not written, for the message log
    };

    static constexpr int kDefaultQuality = 75;

    SnapshotWriter(AppSettings& settings, Clock clock = systemNow);

    // A snapshot: folder/yyyyMMddhhmmsszzz.ext.
    Result saveSnapshot(const QImage& image);
    // A timed shot: folder/yyyyMMdd/yyyyMMddhhmmss.ext; the day folder is created when missing.
    Result saveTimedShot(const QImage& image);

    // ".bmp", ".jpg" or ".png" for the types 0, 1, 2; any other type has no extension.
    static QString extension(int type);
    static QString snapshotName(const QString& folder, const QDateTime& time, int type);
    static QString timedShotName(const QString& folder, const QDateTime& time, int type);
    // The quality handed to the encoder: the setting, kept within 1..100.
    static int encoderQuality(int setting);
    // Writes `image` in the format named by the file's extension; empty on success, else why not.
    static QString write(const QImage& image, const QString& fileName, int quality);

private:
    AppSettings& settings_;
    Clock clock_;
};
