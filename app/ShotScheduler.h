// SPDX-License-Identifier: MIT
// The schedule of timed shots: marks on the clock every so many minutes or seconds.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include "Clock.h"

// A shot is due whenever the time since midnight, counted in the chosen unit, is a multiple of
// the interval (every 15 minutes: :00, :15, :30 and :45). Each mark is shot once however many
// ticks fall into it. The timer ticks several times per unit, so a tick that comes late never
// skips a mark; the extra ticks find the mark taken and do nothing.
//
// Midnight is a multiple of every interval, so an interval of a day or more (1440 minutes,
// 86400 seconds) shoots once a day, at midnight. The last mark remembers its day for the same
// reason: midnight of the next day is a new mark, not the old one again.
//
// Runs while timed shots are on and the video runs: a pause stops the timer and the next start
// resumes it.
class ShotScheduler : public QObject {
    Q_OBJECT

public:
    enum Unit { kMinutes = 0, kSeconds = 1 };
    static constexpr int kMinuteTickMs = 1000;
    static constexpr int kSecondTickMs = 100;

    explicit ShotScheduler(Clock clock = systemNow, QObject* parent = nullptr);

    // Switches timed shots on (or, when on, changes them): every `time` units (values below 1
    // count as 1; unit 0 minutes, anything else seconds), pictures scaled by `scale`.
    void create(int time, int unit, double scale);
    void shutdown();
    // The video started or paused: the timer follows while timed shots are on.
    void videoStarted();
    void videoPaused();

    bool isEnabled() const { return enabled_; }
    bool isTicking() const { return timer_.isActive(); }
    int interval() const { return time_; }
    int unit() const { return unit_; }
    double scale() const { return scale_; }
    int tickPeriodMs() const;

    // The position of `time` since midnight in the unit: minutes or seconds.
    static int markOf(const QTime& time, int unit);

public slots:
    // One look at the clock; emits shotDue and returns true when a new mark has come.
    bool tick();

signals:
    void shotDue(double scale);

private:
    QTimer timer_;
    Clock clock_;
    bool enabled_ = false;
    int time_ = 1;
    int unit_ = kMinutes;
    double scale_ = 1.0;
    qint64 lastShotMark_ = -1;  // day number and mark of the last shot; -1 before the first
};
