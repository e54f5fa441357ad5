#include "flash/WheelRecorder.h"

#include "platform/Twips.h"
#include "wheel/LoadTimeValues.h"
#include "wheel/WheelPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace flash {

namespace {

std::int16_t sliderValue(int value, int low, int high)
{
    return static_cast<std::int16_t>(std::clamp(value, low, high));
}

VirtualTime refreshTime(int refresh)
{
    return VirtualTime(refresh * std::int64_t{1'000'000'000} / WheelRecorder::kRefreshesPerSecond);
}

} // namespace

const QSize WheelRecorder::kPictureSize(platform::twipsToPixels(11910), platform::twipsToPixels(5400));

WheelRecorder::WheelRecorder(const WheelSettings& settings, WheelSchedule& schedule)
    : settings_(settings), schedule_(schedule)
{
}

RecordingSummary WheelRecorder::record(double seconds, const std::function<void(const ScreenFrame&)>& frame)
{
    // The sliders keep their values in these ranges, so every pass ends.
    modHypno::WheelState state;
    state.WheelDirection = settings_.inward ? 1 : 0;
    state.MaxRadius = sliderValue(settings_.size, 1, 2200);
    state.RadiusStep = static_cast<float>(sliderValue(settings_.density, 1, 1000) / 100.0);
    state.LineWidth = sliderValue(settings_.width, 1, 50);
    state.ColorSteps = sliderValue(settings_.colorMultiplier, 1, 1000);
    loadTime::applyChannels(state);

    WheelPicture picture(kPictureSize, 1.0);
    picture.setDrawWidth(state.LineWidth);

    RecordingSummary summary;
    const int lastRefresh = static_cast<int>(std::floor(std::max(0.0, seconds) * kRefreshesPerSecond + 1e-6));
    // What was last sent to the screen. It shares the picture's pixels until the next
    // circle, which copies them only when something was sent since the last one.
    QImage screen = picture.image();
    long long circlesShown = 0;
    int refresh = 0;
    // Shows the refreshes due by `until`; true once the last one is shown.
    const auto showRefreshesUntil = [&](VirtualTime until) {
        for (; refresh <= lastRefresh && refreshTime(refresh) <= until; ++refresh) {
            frame({screen, std::chrono::duration<double>(refreshTime(refresh)).count(), circlesShown});
            ++summary.frames;
        }
        return refresh > lastRefresh;
    };

    VirtualTime now{0};
    // A refresh that falls together with a circle shows the picture from before it.
    bool complete = showRefreshesUntil(now);
    const modHypno::YieldHook yield = [&] {
        ++summary.circles;
        const VirtualTime next = schedule_.nextCircle(now, state);
        if (schedule_.presents(now, refreshTime(refresh), state)) {
            screen = picture.image();
            circlesShown = summary.circles;
        }
        now = next;
        complete = showRefreshesUntil(now);
        // The renderer's own way out: the pass ends before its next circle.
        if (complete)
            state.StopRequested = true;
    };
    while (!complete) {
        schedule_.passBegins(state, settings_.inward);
        if (settings_.inward)
            modHypno::DrawInwardPass(state, picture, yield);
        else
            modHypno::DrawOutwardPass(state, picture, yield);
        // A stop requested after a pass's last circle is left pending: that pass ended.
        if (!complete || state.StopRequested)
            ++summary.passesCompleted;
    }
    return summary;
}

} // namespace flash
