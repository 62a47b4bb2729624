// SPDX-License-Identifier: MIT
// Helpers of the picture tests: a settable clock, recorded prompts and desktop calls.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include "Clock.h"
#include "DesktopActions.h"
#include "UserPrompts.h"

// A clock that says what the test sets; UTC keeps a day of ticks free of time-zone lookups.
struct TestClock {
    QDateTime now{QDate(2017, 5, 5), QTime(14, 3, 7, 45), Qt::UTC};
    // The clock to hand over: it reads this object, so later settings of `now` apply.
    Clock clock() {
        return [this] { return now; };
    }
};

// Records every box and answers file choosers with a set name; installs itself while alive.
class RecordingPrompts final : public UserPrompts {
public:
    RecordingPrompts() { UserPrompts::setInstance(this); }
    ~RecordingPrompts() override { UserPrompts::setInstance(nullptr); }

    void notice(QWidget*, const QString& title, const QString& text) override {
        boxes << title + ": " + text;
    }
    void warning(QWidget*, const QString& title, const QString& text) override {
        boxes << title + ": " + text;
    }
    QMessageBox::StandardButton question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons,
                                         QMessageBox::StandardButton fallback) override {
        boxes << title + ": " + text;
        return fallback;
    }
    QString openFileName(QWidget*, const QString& caption, const QString&,
                         const QString& filter) override {
        choosers << caption + " | " + filter;
        return answer;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return answer;
    }
    QString existingDirectory(QWidget*, const QString&, const QString&) override { return answer; }

    QStringList boxes;
    QStringList choosers;
    QString answer;
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
