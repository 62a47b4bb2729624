// SPDX-License-Identifier: MIT
// Helpers of the recording tests: pattern images and waiting for the thread's signals.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <functional>
#include <utility>
#include <vector>

#include "AviThread.h"
#include "TestFrames.h"

namespace avitest {

// A 32-bit RGB (or 8-bit grey) image of the pattern of frame `k`, as the frame path makes them.
inline QImage patternImage(int width, int height, int k, bool grey = false) {
    QImage image(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (grey) {
                image.scanLine(y)[x] = greyAt(x, y, k);
            } else {
                const Rgb c = patternAt(x, y, k);
                image.setPixel(x, y, qRgb(c.r, c.g, c.b));
            }
        }
    }
    return image;
}

inline std::string expectedRgb(int width, int height, int k, bool grey = false) {
    return TestFrame::expected(width, height, grey ? PixelLayout::kGray8 : PixelLayout::kBgrx32, k);
}

// Collects the recording thread's signals on the test's own thread, as the window receives
// them. (A QSignalSpy would record them on the writer thread, racing the test that reads it.)
class ThreadEvents : public QObject {
public:
    explicit ThreadEvents(AviThread& thread) {
        connect(&thread, &AviThread::finished, this,
                [this](int total, int dropped) { finished.emplace_back(total, dropped); });
        connect(&thread, &AviThread::failed, this, [this](QString text) { failures << text; });
        connect(&thread, &AviThread::sequenceSaved, this,
                [this](int saved, QString error) { sequences.emplace_back(saved, error); });
        connect(&thread, &AviThread::progress, this, [this](int, int) { ++progressCount; });
    }

    // Runs the event loop until `done` holds or `ms` pass.
    static bool waitFor(const std::function<bool()>& done, int ms = 30000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        return done();
    }
    bool waitFinished(std::size_t n = 1) {
        return waitFor([&] { return finished.size() >= n; });
    }
    bool waitSequence() {
        return waitFor([&] { return !sequences.empty(); });
    }

    std::vector<std::pair<int, int>> finished;  // total, dropped
    QStringList failures;
    std::vector<std::pair<int, QString>> sequences;  // saved, error
    int progressCount = 0;
};

}  // namespace avitest
