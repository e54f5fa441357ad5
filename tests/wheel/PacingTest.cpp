// The pace of the drawing, on a clock the test moves by hand.

#include "wheel/Pacing.h"

#include <gtest/gtest.h>

#include <vector>

using namespace std::chrono_literals;

namespace {

TEST(CirclePacer, EachCircleIsDueOnePeriodAfterThePrevious)
{
    CirclePacer pacer(100us, 5ms);
    PaceClock::time_point now{};
    const PaceClock::time_point first = pacer.nextDue(now);
    EXPECT_EQ(first - now, 100us);
    // Drawing took 30 µs: the wait is the rest of the period.
    now = first + 30us;
    EXPECT_EQ(pacer.nextDue(now) - now, 70us);
}

TEST(CirclePacer, ALateCallerCatchesUpWithoutWaitingAndKeepsTheAverageRate)
{
    CirclePacer pacer(100us, 5ms);
    PaceClock::time_point now{};
    PaceClock::time_point due = pacer.nextDue(now);
    const PaceClock::time_point start = now;
    // Every wake-up overshoots by 60 µs, and every eighth circle takes 400 µs to draw.
    for (int circle = 1; circle <= 10'000; ++circle) {
        now = std::max(now, due) + (now < due ? 60us : 0us) + (circle % 8 == 0 ? 400us : 20us);
        due = pacer.nextDue(now);
    }
    const double seconds = std::chrono::duration<double>(now - start).count();
    EXPECT_NEAR(10'000 / seconds, 10'000.0, 10'000 * 0.02);
}

TEST(CirclePacer, FarBehindItStartsAFreshScheduleInsteadOfRushing)
{
    CirclePacer pacer(100us, 5ms);
    PaceClock::time_point now{};
    pacer.nextDue(now);
    // A modal box held the drawing for two seconds.
    now += 2s;
    EXPECT_EQ(pacer.nextDue(now) - now, 100us);
    // Four milliseconds late is still caught up, at full speed.
    now += 4100us;
    EXPECT_LT(pacer.nextDue(now), now);
}

TEST(PresentGate, OpensAtMostOncePerIntervalAndOnTheGridWhileCalledOften)
{
    PresentGate gate(16ms);
    PaceClock::time_point now{};
    int opened = 0;
    // Called after every circle for a second.
    for (int i = 0; i < 10'000; ++i, now += 100us) {
        if (gate.open(now)) {
            ++opened;
            EXPECT_FALSE(gate.open(now + 15ms));
        }
    }
    EXPECT_GE(opened, 62);
    EXPECT_LE(opened, 63);
}

TEST(PresentGate, AfterALongPauseItOpensAtOnceAndRestartsTheGrid)
{
    PresentGate gate(20ms);
    PaceClock::time_point now{};
    EXPECT_TRUE(gate.open(now));
    now += 3s;
    EXPECT_TRUE(gate.open(now));
    EXPECT_FALSE(gate.open(now + 19ms));
    EXPECT_TRUE(gate.open(now + 20ms));
}

TEST(WheelSchedule, AheadOfTheCirclesItPresentsAndSleepsToTheNextFrame)
{
    WheelSchedule schedule(100us, 50ms, 20ms);
    schedule.setRefreshInterval(16ms);
    PaceClock::time_point now{};
    const WheelSchedule::AfterCircle first = schedule.afterCircle(now);
    EXPECT_TRUE(first.present);
    ASSERT_TRUE(first.sleepUntil);
    EXPECT_EQ(*first.sleepUntil - now, 16ms);

    // At the frame, the circles due by then follow one another without a sleep and
    // without a present, until the drawing is ahead again.
    now = *first.sleepUntil;
    int drawn = 0;
    WheelSchedule::AfterCircle step;
    do {
        step = schedule.afterCircle(now);
        ++drawn;
        EXPECT_EQ(step.present, !!step.sleepUntil) << "circle " << drawn;
    } while (!step.sleepUntil);
    EXPECT_EQ(drawn, 160);
    EXPECT_EQ(*step.sleepUntil - now, 16ms);
}

TEST(WheelSchedule, BehindItNeverSleepsAndPresentsOnTheRefreshGridWithinTheLongestFrame)
{
    // A screen of unknown refresh (taken as the longest frame) and one of 60-odd Hz.
    for (const PaceClock::duration refresh : {PaceClock::duration(40ms), PaceClock::duration(16ms)}) {
        WheelSchedule schedule(100us, 50ms, 20ms);
        schedule.setRefreshInterval(refresh);
        const PaceClock::duration frame = std::min(refresh, PaceClock::duration(20ms));
        PaceClock::time_point now{};
        std::vector<PaceClock::time_point> presents{now};
        schedule.afterCircle(now);
        // The first circle took a millisecond and each after it takes 110 µs: the drawing
        // is behind from the start and falls further behind.
        now += 1ms;
        for (int circle = 1; circle < 2000; ++circle, now += 110us) {
            const WheelSchedule::AfterCircle step = schedule.afterCircle(now);
            ASSERT_FALSE(step.sleepUntil) << "circle " << circle;
            if (step.present)
                presents.push_back(now);
        }
        ASSERT_GE(presents.size(), 2u);
        for (std::size_t i = 1; i < presents.size(); ++i) {
            // A present goes out between circles, so up to one circle's drawing late.
            EXPECT_LE(presents[i] - presents[i - 1], 20ms + 110us) << "present " << i;
            EXPECT_GE(presents[i] - presents[i - 1], frame - 110us) << "present " << i;
        }
        EXPECT_GE(now - presents.back(), 0ms);
        EXPECT_LT(now - presents.back(), 20ms);
    }
}

TEST(WheelSchedule, ARestartOwesNoCirclesForTheTimeHeld)
{
    WheelSchedule schedule(100us, 50ms, 20ms);
    PaceClock::time_point now{};
    schedule.afterCircle(now);
    now += 30ms;
    // Within the allowed lag: the 300 circles owed are drawn without a sleep...
    EXPECT_FALSE(schedule.afterCircle(now).sleepUntil);
    schedule.restart();
    // ...but after a restart the next circle is due a period on.
    EXPECT_TRUE(schedule.afterCircle(now).sleepUntil);
}

} // namespace
