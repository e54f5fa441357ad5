// A window's timer held while its window is out of sight: it wakes nobody, and it
// remembers whether it is enabled. A handler that runs past its interval gets the next
// tick at once. A tick allowed to come early comes as the thread is about to sleep.

#include "platform/FormTimer.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(FormTimer, HeldItDoesNotRunAndKeepsItsSwitch)
{
    int ticks = 0;
    platform::FormTimer timer(nullptr, 1, [&] { ++ticks; });
    timer.setEnabled(true);
    ASSERT_TRUE(timer.isTicking());

    timer.setHeld(true);
    EXPECT_FALSE(timer.isTicking());
    EXPECT_TRUE(timer.isEnabled());
    timer.setHeld(false);
    EXPECT_TRUE(timer.isTicking());

    // Switched off while held, it stays off when let go; switched on while held, it
    // waits to be let go.
    timer.setHeld(true);
    timer.setEnabled(false);
    timer.setHeld(false);
    EXPECT_FALSE(timer.isTicking());
    EXPECT_FALSE(timer.isEnabled());
    timer.setHeld(true);
    timer.setEnabled(true);
    EXPECT_FALSE(timer.isTicking());
    timer.setHeld(false);
    EXPECT_TRUE(timer.isTicking());

    timer.tick();
    EXPECT_EQ(ticks, 1);
}

TEST(FormTimer, AfterAHandlerThatRanPastTheIntervalTheNextTickComesAtOnce)
{
    int ticks = 0;
    platform::FormTimer timer(nullptr, 1, [&] {
        if (++ticks == 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
    });
    timer.setEnabled(true);
    timer.tick();
    QCoreApplication::sendPostedEvents(&timer);
    EXPECT_EQ(ticks, 2);

    // Not while it is held, nor after a quick handler (no handler takes an hour).
    timer.tick();
    timer.setHeld(true);
    QCoreApplication::sendPostedEvents(&timer);
    EXPECT_EQ(ticks, 3);
    platform::FormTimer hourly(nullptr, 3'600'000, [&] { ++ticks; });
    hourly.setEnabled(true);
    hourly.tick();
    QCoreApplication::sendPostedEvents(&hourly);
    EXPECT_EQ(ticks, 4);
}

// The thread is about to sleep: whatever that posts runs before it does.
void aboutToSleep(QObject& timer)
{
    emit QAbstractEventDispatcher::instance()->aboutToBlock();
    QCoreApplication::sendPostedEvents(&timer);
}

TEST(FormTimer, ATickAllowedToComeEarlyComesWhenTheThreadIsAboutToSleepWithinReach)
{
    using std::chrono::milliseconds;
    int near = 0;
    int far = 0;
    int strict = 0;
    // Due within the allowance at once, due long after it, and not allowed at all.
    platform::FormTimer nearTimer(nullptr, 20, [&] { ++near; });
    platform::FormTimer farTimer(nullptr, 3'600'000, [&] { ++far; });
    platform::FormTimer strictTimer(nullptr, 20, [&] { ++strict; });
    nearTimer.setMayComeEarly(milliseconds(25));
    farTimer.setMayComeEarly(milliseconds(25));
    for (platform::FormTimer* timer : {&nearTimer, &farTimer, &strictTimer})
        timer->setEnabled(true);

    aboutToSleep(nearTimer);
    aboutToSleep(farTimer);
    aboutToSleep(strictTimer);
    EXPECT_EQ(near, 1);
    EXPECT_EQ(far, 0);
    EXPECT_EQ(strict, 0);
    // The interval starts afresh from the early tick.
    EXPECT_TRUE(nearTimer.isTicking());

    // A tick of its own before the early one is handled makes the early one void; and
    // a timer held meanwhile neither ticks nor loses its allowance.
    emit QAbstractEventDispatcher::instance()->aboutToBlock();
    nearTimer.tick();
    QCoreApplication::sendPostedEvents(&nearTimer);
    EXPECT_EQ(near, 2);
    emit QAbstractEventDispatcher::instance()->aboutToBlock();
    nearTimer.setHeld(true);
    QCoreApplication::sendPostedEvents(&nearTimer);
    EXPECT_EQ(near, 2);
    nearTimer.setHeld(false);
    aboutToSleep(nearTimer);
    EXPECT_EQ(near, 3);
}

} // namespace
