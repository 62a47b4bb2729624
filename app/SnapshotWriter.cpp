// SPDX-License-Identifier: MIT
// Writes snapshots and timed shots: file names from the clock, folder, format and quality.
#include "SnapshotWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <algorithm>

#include "AppSettings.h"

namespace {

constexpr const char* kSnapshotStamp = "yyyyMMddhhmmsszzz";
constexpr const char* kTimedShotStamp = "yyyyMMddhhmmss";
constexpr const char* kDayStamp = "yyyyMMdd";

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The folder must exist and be a folder; the writer's own message for these cases names
// neither the folder nor the cause.
QString folderProblem(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("the folder %1 does not exist").arg(folder);
    if (!info.isDir())
        return QStringLiteral("%1 is a file, not a folder").arg(folder);
    return {};
}

}  // namespace

SnapshotWriter::SnapshotWriter(AppSettings& settings, Clock clock)
    : settings_(settings), clock_(std::move(clock)) {}

QString SnapshotWriter::extension(int type) {
    switch (type) {
        case 0:
            return QStringLiteral(".bmp");
        case 1:
            return QStringLiteral(".jpg");
        case 2:
            return QStringLiteral(".png");
        default:
            return {};
    }
}

QString SnapshotWriter::snapshotName(const QString& folder, const QDateTime& time, int type) {
    return joined(folder, time.toString(QLatin1String(kSnapshotStamp)) + extension(type));
}

QString SnapshotWriter::timedShotName(const QString& folder, const QDateTime& time, int type) {
    const QString day = joined(folder, time.toString(QLatin1String(kDayStamp)));
    return joined(day, time.toString(QLatin1String(kTimedShotStamp)) + extension(type));
}

int SnapshotWriter::encoderQuality(int setting) {
    return std::clamp(setting, 1, 100);
}

QString SnapshotWriter::write(const QImage& image, const QString& fileName, int quality) {
    if (image.isNull())
        return QStringLiteral("there is no picture");
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix.isEmpty() || !QImageWriter::supportedImageFormats().contains(suffix.toLatin1()))
        return QStringLiteral("\"File/Type\" names no picture format (0 BMP, 1 JPEG, 2 PNG)");
    const QString folder = QFileInfo(fileName).path();
    if (QString problem = folderProblem(folder); !problem.isEmpty())
        return problem;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, suffix.toLatin1());
    writer.setQuality(encoderQuality(quality));
    if (!writer.write(image)) {
        file.cancelWriting();
        return writer.errorString();
    }
    // The commit is where a full disk shows: the last buffered bytes fail to reach the file.
    if (!file.commit())
        return file.errorString();
    return {};
}

SnapshotWriter::Result SnapshotWriter::saveSnapshot(const QImage& image) {
    const QString folder = settings_.filePath();
    Result result;
    if (folder.isEmpty()) {
        result.status = Status::NoFolder;
        return result;
    }
    result.fileName = snapshotName(folder, clock_(), settings_.fileType());
    result.error = write(image, result.fileName, settings_.fileQuality());
    result.status = result.error.isEmpty() ? Status::Saved : Status::Failed;
    return result;
}

SnapshotWriter::Result SnapshotWriter::saveTimedShot(const QImage& image) {
    const QString folder = settings_.filePath();
    Result result;
    if (folder.isEmpty()) {
        result.status = Status::NoFolder;
        return result;
    }
    const QDateTime now = clock_();
    result.fileName = timedShotName(folder, now, settings_.fileType());
    const QString day = now.toString(QLatin1String(kDayStamp));
    // Only the day folder is made: a mistyped target folder is reported, not created.
    if (QString problem = folderProblem(folder); !problem.isEmpty()) {
        result.status = Status::Failed;
        result.error = problem;
        return result;
    }
    if (!QDir(folder).exists(day) && !QDir(folder).mkdir(day)) {
        result.status = Status::Failed;
        result.error = QStringLiteral("the day folder %1 could not be created")
                           .arg(QFileInfo(result.fileName).path());
        return result;
    }
    result.error = write(image, result.fileName, settings_.fileQuality());
    result.status = result.error.isEmpty() ? Status::Saved : Status::Failed;
    return result;
}
