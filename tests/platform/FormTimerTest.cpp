// A window's timer held while its window is out of sight: it wakes nobody, and it
// remembers whether it is enabled.

#include "platform/FormTimer.h"

#include <gtest/gtest.h>

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

} // namespace
