// SPDX-License-Identifier: MIT
// Writing a stored sequence out: numbered pictures, or one AVI file, oldest frame first.
#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <atomic>
#include <functional>
#include <vector>

// Runs on the recording thread; `progress` is called after each frame with (done, count), and
// a set `cancel` stops before the next frame (an AVI file is then closed with what it has).
class SequenceExport {
    Q_DECLARE_TR_FUNCTIONS(SequenceExport)

public:
    using Progress = std::function<void(int done, int count)>;

    struct PictureResult {
        int saved = 0;
        QString error;  // empty when every picture was written
    };
    struct AviResult {
        int written = 0;
        int refused = 0;  // frames of another size than the first
        QString error;
    };

    // File name of picture k: folder/k.bmp, .jpg or .png for type 0, 1, 2; no extension
    // (and so no format Qt could guess) for any other type.
    static QString pictureName(const QString& folder, int k, int type);
    // Colour frames as 24-bit RGB pictures, grey frames as 8-bit grey, at `quality`.
    static PictureResult writePictures(const QString& folder, const std::vector<QImage>& frames,
                                       int type, int quality, const Progress& progress,
                                       const std::atomic<bool>& cancel);
    static AviResult writeAvi(const QString& path, const std::vector<QImage>& frames, int fps,
                              const Progress& progress, const std::atomic<bool>& cancel);
};
