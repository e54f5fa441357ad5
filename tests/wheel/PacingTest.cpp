// The pace of the drawing, on a clock the test moves by hand.

#include "wheel/Pacing.h"

#include <gtest/gtest.h>

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

} // namespace
