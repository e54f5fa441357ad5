#pragma once
// The part of the colour wheel's pace that a recording of it may swap: when each circle
// falls, and after which circles the picture goes to the screen. The screen shows, at
// each refresh, the last picture sent to it, as a window's does.

#include "wheel/modHypno.h"

#include <chrono>

namespace flash {

// Time on the recording's own clock, from the start of the recording.
using VirtualTime = std::chrono::nanoseconds;

class WheelSchedule {
public:
    virtual ~WheelSchedule() = default;
    // Called before each pass, with the renderer's state as the pass finds it.
    virtual void passBegins(const modHypno::WheelState&, bool /*inward*/) {}
    // When the next circle falls, called right after the circle that fell at `now`, with
    // the renderer's state as that circle left it.
    virtual VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState& state) = 0;
    // Whether the picture as drawn so far goes to the screen, asked right after the
    // circle at `now` once the next circle's time is known; `nextRefresh` is when the
    // screen next shows what it was sent.
    virtual bool presents(VirtualTime now, VirtualTime nextRefresh, const modHypno::WheelState& state) = 0;
};

// The pace of the window without its photosensitivity guard: a circle every period
// whatever the settings, and every refresh showing the circles that fell before it.
class SteadySchedule final : public WheelSchedule {
public:
    explicit SteadySchedule(VirtualTime circlePeriod) : period_(circlePeriod) {}

    VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState&) override { return now + period_; }
    // The last circle before a refresh sends the picture; sending it after every circle
    // would show the same.
    bool presents(VirtualTime now, VirtualTime nextRefresh, const modHypno::WheelState&) override
    {
        return now + period_ >= nextRefresh;
    }

private:
    VirtualTime period_;
};

} // namespace flash
