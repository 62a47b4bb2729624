// SPDX-License-Identifier: MIT
// The camera parameter file: a camera's set-up saved as INI text and loaded into any camera.
#pragma once

#include <QString>
#include <functional>

#include "ApiReport.h"
#include "CameraParameters.h"

class QSettings;

// Saving reads the camera with the getters and writes every key; loading checks the magic,
// stores the application keys, hands an enabled region of interest to the caller (which
// applies it as its ROI "Apply" does) and applies the rest with the setters. API failures go
// to the report callback and the work goes on; only the file itself can stop it.
class ParameterFile {
public:
    static constexpr const char* kMagic = "vtcam";
    static constexpr const char* kDefaultName = "vtcam.txt";
    static constexpr const char* kFilter = "*.txt";
    // A parameter file is about a kilobyte; anything far larger is not one, and reading it
    // whole would only hold the caller up.
    static constexpr qint64 kMaxFileSize = 64 * 1024;

    enum class LoadResult {
        Applied,           // the magic matched; the values went to the camera
        NotParameterFile,  // no magic, a wrong one, far too large or typed: nothing applied
        Unreadable,        // the file could not be opened: nothing applied
    };

    using RoiApply = std::function<void(int x, int y, int width, int height)>;

    ParameterFile(int camera, ApiReport report);

    // False when the file could not be written; errorString() then says why.
    bool save(const QString& path);
    LoadResult load(const QString& path, const RoiApply& applyRoi);
    QString errorString() const { return error_; }

    // The file side alone, for tests and tools that have no camera.
    static void write(QSettings& file, const CameraParameters& values);
    static CameraParameters read(const QSettings& file);
    static bool hasMagic(const QSettings& file);

private:
    int camera_;
    ApiReport report_;
    QString error_;
};
