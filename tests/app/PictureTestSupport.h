// SPDX-License-Identifier: MIT
// Helpers of the picture tests: a settable clock, desktop calls and a test picture.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include "Clock.h"
#include "DesktopActions.h"
#include "RecordingPrompts.h"

// A clock that says what the test sets; UTC keeps a day of ticks free of time-zone lookups.
struct TestClock {
    QDateTime now{QDate(2017, 5, 5), QTime(14, 3, 7, 45), Qt::UTC};
    // The clock to hand over: it reads this object, so later settings of `now` apply.
    Clock clock() {
        return [this] { return now; };
    }
};

class RecordingDesktop final : public DesktopActions {
public:
    RecordingDesktop() { DesktopActions::setInstance(this); }
    ~RecordingDesktop() override { DesktopActions::setInstance(nullptr); }

    bool openFile(const QString& fileName) override {
        calls << "open " + fileName;
        return true;
    }
    bool showInFolder(const QString& fileName) override {
        calls << "show " + fileName;
        return true;
    }
    QStringList calls;
};

// A colour test picture: left half red, right half blue.
inline QImage halfRedHalfBlue(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return image;
}
