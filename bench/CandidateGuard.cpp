#include "CandidateGuard.h"

#include "flash/WheelRecorder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kFieldPixels = 341.0 * 256.0;
constexpr double kRefreshNanoseconds = 1e9 / flash::WheelRecorder::kRefreshesPerSecond;

double circlesPerPass(const modHypno::WheelState& state)
{
    return std::floor((state.MaxRadius - 1) / state.RadiusStep) + 1;
}

// How far one circle's colour lies from the one before, in cycles of the channel that
// moves furthest. A channel bounces between its bounds, so a multiplier that is nearly a
// whole number of its cycles moves it little.
double cyclesPerCircle(int colorSteps)
{
    double most = 0.0;
    for (const int stepsPerCycle : {100, 252, 166}) {
        const int along = colorSteps % stepsPerCycle;
        most = std::max(most, static_cast<double>(std::min(along, stepsPerCycle - along)) / stepsPerCycle);
    }
    return most;
}

bool lastCircleOfPass(const modHypno::WheelState& state)
{
    return state.WheelDirection == 0 ? state.Radius + state.RadiusStep > static_cast<float>(state.MaxRadius)
                                     : state.Radius + (-state.RadiusStep) < 1.0f;
}

} // namespace

CandidateGuard::CandidateGuard(flash::VirtualTime circlePeriod, const Bounds& bounds)
    : period_(circlePeriod), bounds_(bounds)
{
}

CandidateGuard::Mode CandidateGuard::modeFor(const modHypno::WheelState& state) const
{
    const double passCircles = circlesPerPass(state);
    if (passCircles <= bounds_.wholePassCircles) {
        const double run = std::min(passCircles, kTwipsPerPixel * state.LineWidth / state.RadiusStep);
        return run * cyclesPerCircle(state.ColorSteps) > bounds_.runCycles ? Mode::WholePasses : Mode::Steady;
    }
    const double rim = state.MaxRadius / kTwipsPerPixel;
    const double halfPen = state.LineWidth / 2.0;
    const double inner = std::max(0.0, rim - halfPen);
    const double ring = std::numbers::pi * ((rim + halfPen) * (rim + halfPen) - inner * inner);
    return ring > bounds_.ringShare * kFieldPixels ? Mode::Slowed : Mode::Steady;
}

flash::VirtualTime CandidateGuard::gapFor(const modHypno::WheelState& state) const
{
    if (modeFor(state) != Mode::Slowed)
        return period_;
    const double cyclesPerRefresh = bounds_.cyclesPerSecond / flash::WheelRecorder::kRefreshesPerSecond;
    const double circlesPerRefresh = cyclesPerRefresh / cyclesPerCircle(state.ColorSteps);
    const auto gap = flash::VirtualTime(std::llround(kRefreshNanoseconds / circlesPerRefresh));
    return std::max(period_, gap);
}

flash::VirtualTime CandidateGuard::nextCircle(flash::VirtualTime now, const modHypno::WheelState& state)
{
    return now + gapFor(state);
}

bool CandidateGuard::presents(flash::VirtualTime now, flash::VirtualTime nextRefresh,
                              const modHypno::WheelState& state)
{
    const flash::VirtualTime gap = gapFor(state);
    if (modeFor(state) != Mode::WholePasses)
        return now + gap >= nextRefresh;
    // The last whole pass before the refresh is the one it shows.
    const auto nextPassEnd = now + gap * static_cast<long long>(circlesPerPass(state));
    return lastCircleOfPass(state) && nextPassEnd >= nextRefresh;
}
