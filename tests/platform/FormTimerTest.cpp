// A window's timer held while its window is out of sight: it wakes nobody, and it
// remembers whether it is enabled. A handler that runs past its interval gets the next
// tick at once.

#include "platform/FormTimer.h"

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

} // namespace
