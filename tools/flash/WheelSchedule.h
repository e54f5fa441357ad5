#pragma once
// The part of the colour wheel's pace that a recording of it may swap: when each circle
// falls, and which screen refreshes take the picture as drawn so far.

#include "wheel/modHypno.h"

#include <chrono>

namespace flash {

// Time on the recording's own clock, from the start of the recording.
using VirtualTime = std::chrono::nanoseconds;

class WheelSchedule {
public:
    virtual ~WheelSchedule() = default;
    // When the next circle falls, called right after the circle that fell at `now`, with
    // the renderer's state as that circle left it.
    virtual VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState& state) = 0;
    // Whether the refresh at `now` shows the picture as drawn so far; if not, the screen
    // keeps what it showed before.
    virtual bool presents(VirtualTime now, const modHypno::WheelState& state) = 0;
};

// The pace of today's window: a circle every period whatever the settings, and the
// picture on the screen at every refresh.
class SteadySchedule final : public WheelSchedule {
public:
    explicit SteadySchedule(VirtualTime circlePeriod) : period_(circlePeriod) {}

    VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState&) override { return now + period_; }
    bool presents(VirtualTime, const modHypno::WheelState&) override { return true; }

private:
    VirtualTime period_;
};

} // namespace flash
