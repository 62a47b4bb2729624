// SPDX-License-Identifier: MIT
// Tests of the timed-shot schedule against a clock that walks whole days in milliseconds.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <random>
#include <vector>

#include "PictureTestSupport.h"
#include "ShotScheduler.h"

namespace {

struct Walk {
    std::vector<QDateTime> shots;  // the clock at each shot
    int ticks = 0;
};

// Ticks the scheduler over [from, from + ms) at its own period, each tick late by a random
// part of the period (a busy GUI thread), and records when it shot.
Walk walk(ShotScheduler& scheduler, TestClock& clock, const QDateTime& from, qint64 ms) {
    Walk result;
    std::mt19937 random(7);
    const int period = scheduler.tickPeriodMs();
    std::uniform_int_distribution<int> late(0, period * 9 / 10);
    QObject::connect(&scheduler, &ShotScheduler::shotDue,
                     [&] { result.shots.push_back(clock.now); });
    for (qint64 t = 0; t < ms; t += period) {
        clock.now = from.addMSecs(t + late(random));
        scheduler.tick();
        ++result.ticks;
    }
    QObject::disconnect(&scheduler, &ShotScheduler::shotDue, nullptr, nullptr);
    return result;
}

const QDateTime kMidnight(QDate(2024, 2, 28), QTime(0, 0), Qt::UTC);
constexpr qint64 kDayMs = 24LL * 3600 * 1000;

TEST(ShotSchedulerTest, QuarterHoursOverADayEachOnceDespiteLateTicks) {
    TestClock clock;
    ShotScheduler scheduler(clock.clock());
    scheduler.create(15, ShotScheduler::kMinutes, 1.0);
    const Walk w = walk(scheduler, clock, kMidnight, kDayMs);
    ASSERT_EQ(w.shots.size(), 96u);
    for (std::size_t i = 0; i < w.shots.size(); ++i) {
        const QTime t = w.shots[i].time();
        EXPECT_EQ(t.hour() * 60 + t.minute(), int(i) * 15) << i;
        EXPECT_LT(t.second(), 2);  // at the first tick of the mark's minute
    }
}

TEST(ShotSchedulerTest, EverySecondOverADayEachOnce) {
    TestClock clock;
    ShotScheduler scheduler(clock.clock());
    scheduler.create(1, ShotScheduler::kSeconds, 1.0);
    const Walk w = walk(scheduler, clock, kMidnight, kDayMs);
    ASSERT_EQ(w.shots.size(), 86400u);
    for (std::size_t i = 0; i < w.shots.size(); ++i)
        ASSERT_EQ(ShotScheduler::markOf(w.shots[i].time(), ShotScheduler::kSeconds), int(i));
}

TEST(ShotSchedulerTest, IntervalOfADayOrMoreShootsOnceADayAtMidnight) {
    for (int minutes : {1440, 2000, 100000}) {
        TestClock clock;
        ShotScheduler scheduler(clock.clock());
        scheduler.create(minutes, ShotScheduler::kMinutes, 1.0);
        // Start mid-day: the first shot is the next midnight, then one per day.
        const Walk w = walk(scheduler, clock, kMidnight.addSecs(5 * 3600), 3 * kDayMs);
        ASSERT_EQ(w.shots.size(), 3u) << minutes;
        for (int day = 0; day < 3; ++day) {
            EXPECT_EQ(w.shots[day].date(), kMidnight.date().addDays(day + 1));
            EXPECT_EQ(w.shots[day].time().hour() * 60 + w.shots[day].time().minute(), 0);
        }
    }
    // The same in seconds.
    TestClock clock;
    ShotScheduler scheduler(clock.clock());
    scheduler.create(86400, ShotScheduler::kSeconds, 1.0);
    EXPECT_EQ(walk(scheduler, clock, kMidnight, 2 * kDayMs).shots.size(), 2u);
}

TEST(ShotSchedulerTest, AMarkIsShotOnceHoweverOftenItIsLookedAt) {
    TestClock clock;
    clock.now = QDateTime(QDate(2024, 1, 1), QTime(10, 30, 0), Qt::UTC);
    ShotScheduler scheduler(clock.clock());
    scheduler.create(15, ShotScheduler::kMinutes, 0.5);
    QSignalSpy shots(&scheduler, &ShotScheduler::shotDue);
    EXPECT_TRUE(scheduler.tick());
    clock.now = clock.now.addSecs(59);
    EXPECT_FALSE(scheduler.tick());
    clock.now = clock.now.addSecs(1);  // 10:31, no mark
    EXPECT_FALSE(scheduler.tick());
    ASSERT_EQ(shots.size(), 1);
    EXPECT_DOUBLE_EQ(shots[0][0].toDouble(), 0.5);
    // The same clock time a day later is a new mark.
    clock.now = QDateTime(QDate(2024, 1, 2), QTime(10, 30, 0), Qt::UTC);
    EXPECT_TRUE(scheduler.tick());
}

TEST(ShotSchedulerTest, SwitchingAndTheVideoDriveTheTimer) {
    TestClock clock;
    ShotScheduler scheduler(clock.clock());
    scheduler.videoStarted();
    EXPECT_FALSE(scheduler.isTicking());  // off: the video alone starts nothing

    scheduler.create(0, ShotScheduler::kMinutes, 1.0);
    EXPECT_TRUE(scheduler.isEnabled());
    EXPECT_TRUE(scheduler.isTicking());
    EXPECT_EQ(scheduler.interval(), 1);  // below 1 counts as 1
    EXPECT_EQ(scheduler.tickPeriodMs(), ShotScheduler::kMinuteTickMs);

    // Changed while on: the new unit's period at once.
    scheduler.create(5, 7, 0.7);
    EXPECT_EQ(scheduler.unit(), ShotScheduler::kSeconds);
    EXPECT_EQ(scheduler.tickPeriodMs(), ShotScheduler::kSecondTickMs);
    EXPECT_DOUBLE_EQ(scheduler.scale(), 0.7);
    EXPECT_TRUE(scheduler.isTicking());

    scheduler.videoPaused();
    EXPECT_FALSE(scheduler.isTicking());
    EXPECT_TRUE(scheduler.isEnabled());
    scheduler.videoStarted();
    EXPECT_TRUE(scheduler.isTicking());

    scheduler.shutdown();
    EXPECT_FALSE(scheduler.isTicking());
    scheduler.videoStarted();
    EXPECT_FALSE(scheduler.isTicking());
}

}  // namespace
