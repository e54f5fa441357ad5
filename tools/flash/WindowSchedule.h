#pragma once
// The colour-wheel window's own pace, photosensitivity guard and all, on a recording's
// clock: the recording then shows what the window's users see.

#include "flash/WheelRecorder.h"
#include "flash/WheelSchedule.h"
#include "wheel/Pacing.h"

namespace flash {

class WindowSchedule final : public WheelSchedule {
public:
    WindowSchedule() : schedule_(wheelPace::CirclePeriod, wheelPace::MaxLag, wheelPace::LongestFrame)
    {
        schedule_.setRefreshInterval(std::chrono::duration_cast<PaceClock::duration>(
            std::chrono::duration<double>(1.0 / WheelRecorder::kRefreshesPerSecond)));
    }

    void passBegins(const modHypno::WheelState& state, bool inward) override { schedule_.passBegins(state, inward); }

    VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState& state) override
    {
        const ::WheelSchedule::AfterCircle step =
            schedule_.afterCircle(PaceClock::time_point(std::chrono::duration_cast<PaceClock::duration>(now)), state);
        present_ = step.present;
        // Drawing takes no time on this clock: a circle already due follows at once.
        return step.sleepUntil ? std::chrono::duration_cast<VirtualTime>(step.sleepUntil->time_since_epoch()) : now;
    }

    bool presents(VirtualTime, VirtualTime, const modHypno::WheelState&) override { return present_; }

private:
    ::WheelSchedule schedule_;
    bool present_ = false;
};

} // namespace flash
