// SPDX-License-Identifier: MIT
// The schedule of timed shots: marks on the clock every so many minutes or seconds.
#include "ShotScheduler.h"

#include <algorithm>

namespace {
constexpr qint64 kSecondsPerDay = 24 * 60 * 60;
}

ShotScheduler::ShotScheduler(Clock clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ShotScheduler::tick);
}

int ShotScheduler::tickPeriodMs() const {
    return unit_ == kMinutes ? kMinuteTickMs : kSecondTickMs;
}

void ShotScheduler::create(int time, int unit, double scale) {
    scale_ = scale;
    time_ = std::max(time, 1);
    unit_ = unit == kMinutes ? kMinutes : kSeconds;
    // The period follows the unit even while on, so switching from minutes to seconds takes
    // effect at once instead of ticking once a minute.
    timer_.setInterval(tickPeriodMs());
    if (!enabled_) {
        enabled_ = true;
        timer_.start();
    }
}

void ShotScheduler::shutdown() {
    timer_.stop();
    enabled_ = false;
}

void ShotScheduler::videoStarted() {
    if (enabled_)
        timer_.start(tickPeriodMs());
}

void ShotScheduler::videoPaused() {
    timer_.stop();
}

int ShotScheduler::markOf(const QTime& time, int unit) {
    const int minutes = time.hour() * 60 + time.minute();
    return unit == kMinutes ? minutes : minutes * 60 + time.second();
}

bool ShotScheduler::tick() {
    const QDateTime now = clock_();
    const int t = markOf(now.time(), unit_);
    if (t % time_ != 0)
        return false;
    const qint64 mark = now.date().toJulianDay() * kSecondsPerDay + t;
    if (mark == lastShotMark_)
        return false;
    lastShotMark_ = mark;
    emit shotDue(scale_);
    return true;
}
