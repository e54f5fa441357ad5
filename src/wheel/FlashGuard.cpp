#include "wheel/FlashGuard.h"

#include "platform/Twips.h"
#include "wheel/modHypno.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double ShortPassCircles = 5000;
// Thinner pens change too little of any 8 x 8 px patch at once: their worst setting flashes
// over under a third of what the rule allows.
constexpr int NarrowestFlashingPen = 4;
constexpr double RunCyclesShownEveryRefresh = 0.1;
constexpr double FieldPixels = 341.0 * 256.0;
constexpr double RingShareAtUsualPace = 0.08;
constexpr double CyclesPerSecond = 1.5;

// Colour steps from a channel's lowest level to its highest and back.
int stepsPerCycle(const ColorChannel& channel, std::int16_t stride)
{
    const int step = std::max(1, std::abs(channel.BaseStep * stride));
    const int oneWay = std::max(1, (channel.MaxLevel - channel.MinLevel + step - 1) / step);
    return 2 * oneWay;
}

// How far one circle's colour lies from the one before, in cycles of the channel that
// moves furthest. A channel bounces between its bounds, so a multiplier that is nearly a
// whole number of its cycles moves it little.
double cyclesPerCircle(const WheelState& state)
{
    double most = 0.0;
    const auto consider = [&](const ColorChannel& channel, std::int16_t stride) {
        const int cycle = stepsPerCycle(channel, stride);
        const int along = std::max(0, static_cast<int>(state.ColorSteps)) % cycle;
        most = std::max(most, static_cast<double>(std::min(along, cycle - along)) / cycle);
    };
    consider(state.Red, modHypno::RedStride);
    consider(state.Green, modHypno::GreenStride);
    consider(state.Blue, modHypno::BlueStride);
    return most;
}

} // namespace

void FlashGuard::passBegins(const WheelState& state, bool inward)
{
    pass_ = {state.RadiusStep, static_cast<float>(state.MaxRadius), inward};
    passBegun_ = true;
}

FlashGuard::Pass FlashGuard::passOf(const WheelState& state) const
{
    return passBegun_ ? pass_ : Pass{state.RadiusStep, static_cast<float>(state.MaxRadius), state.WheelDirection == 1};
}

FlashGuard::Pace FlashGuard::pace(const WheelState& state) const
{
    const Pass pass = passOf(state);
    if (pass.spacing <= 0.0f)
        return {usualPeriod_, false};
    const double circles = std::floor((pass.largestRadius - 1.0) / pass.spacing) + 1.0;
    const double colourPerCircle = cyclesPerCircle(state);
    if (circles <= ShortPassCircles) {
        const double run = std::min(circles, double{platform::kTwipsPerPixel} * state.LineWidth / pass.spacing);
        return {usualPeriod_,
                state.LineWidth >= NarrowestFlashingPen && run * colourPerCircle > RunCyclesShownEveryRefresh};
    }
    const double rim = pass.largestRadius / platform::kTwipsPerPixel;
    const double halfPen = state.LineWidth / 2.0;
    const double inner = std::max(0.0, rim - halfPen);
    const double ring = std::numbers::pi * ((rim + halfPen) * (rim + halfPen) - inner * inner);
    if (ring <= RingShareAtUsualPace * FieldPixels)
        return {usualPeriod_, false};
    const auto slowed = std::chrono::duration_cast<Duration>(std::chrono::duration<double>(colourPerCircle / CyclesPerSecond));
    return {std::max(usualPeriod_, slowed), false};
}

bool FlashGuard::lastCircleOfPass(const WheelState& state) const
{
    // The renderer's own test for the next radius, in its own precision.
    const Pass pass = passOf(state);
    return pass.inward ? state.Radius + (-pass.spacing) < 1.0f : state.Radius + pass.spacing > pass.largestRadius;
}
