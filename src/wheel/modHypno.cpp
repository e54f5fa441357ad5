#include "wheel/modHypno.h"

#include <cmath>

namespace modHypno {

namespace {

void stepChannel(ColorChannel& channel, std::int16_t stride)
{
    channel.Level = static_cast<std::int16_t>(channel.Level + channel.Step * stride);
    if (channel.Level >= channel.MaxLevel) {
        channel.Level = channel.MaxLevel;
        channel.Step = static_cast<std::int16_t>(-channel.BaseStep);
    }
    // Tested independently of the bound above, as a level may sit on both at once.
    if (channel.Level <= channel.MinLevel) {
        channel.Level = channel.MinLevel;
        channel.Step = channel.BaseStep;
    }
}

void forEachChannel(WheelState& state, void (*action)(ColorChannel&))
{
    action(state.Red);
    action(state.Green);
    action(state.Blue);
}

void beginPass(WheelState& state, const DrawingSurface& viewObject)
{
    if (state.CenterReady)
        return;
    forEachChannel(state, [](ColorChannel& channel) {
        channel.Level = 0;
        channel.Step = channel.BaseStep;
    });
    state.CenterX = roundHalfEven(viewObject.ScaleWidth() / 2.0);
    state.CenterY = roundHalfEven(viewObject.ScaleHeight() / 2.0);
    state.CenterReady = true;
}

void saveColors(WheelState& state)
{
    forEachChannel(state, [](ColorChannel& channel) {
        channel.SavedLevel = channel.Level;
        channel.SavedStep = channel.Step;
    });
}

// A completed pass leaves the colours one step after where the pass began.
void finishPass(WheelState& state)
{
    forEachChannel(state, [](ColorChannel& channel) {
        channel.Level = channel.SavedLevel;
        channel.Step = channel.SavedStep;
    });
    AdvanceColor(state);
}

// Consumes a stop request; true when the pass must end.
bool takeStopRequest(WheelState& state)
{
    if (!state.StopRequested)
        return false;
    state.StopRequested = false;
    return true;
}

void drawCircle(WheelState& state, DrawingSurface& viewObject, const YieldHook& yield)
{
    const std::int16_t steps = state.ColorSteps;
    for (std::int16_t i = 0; i < steps; ++i)
        AdvanceColor(state);
    viewObject.Circle(static_cast<float>(state.CenterX), static_cast<float>(state.CenterY), state.Radius,
                      Rgb{static_cast<std::uint8_t>(state.Red.Level), static_cast<std::uint8_t>(state.Green.Level),
                          static_cast<std::uint8_t>(state.Blue.Level)});
    yield();
}

} // namespace

std::int32_t roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = fraction < 0.5 ? floor : floor + 1.0;
    if (fraction == 0.5 && std::fmod(floor, 2.0) == 0.0)
        rounded = floor;
    return static_cast<std::int32_t>(rounded);
}

void AdvanceColor(WheelState& state)
{
    stepChannel(state.Red, RedStride);
    stepChannel(state.Green, GreenStride);
    stepChannel(state.Blue, BlueStride);
}

void DrawOutwardPass(WheelState& state, DrawingSurface& viewObject, const YieldHook& yield)
{
    beginPass(state, viewObject);
    // The end and the step are fixed for the whole pass.
    const float end = static_cast<float>(state.MaxRadius);
    const float step = state.RadiusStep;
    for (state.Radius = 1.0f; state.Radius <= end; state.Radius = state.Radius + step) {
        if (takeStopRequest(state))
            return;
        if (state.Radius == 1.0f)
            saveColors(state);
        drawCircle(state, viewObject, yield);
    }
    finishPass(state);
}

void DrawInwardPass(WheelState& state, DrawingSurface& viewObject, const YieldHook& yield)
{
    beginPass(state, viewObject);
    const float step = -state.RadiusStep;
    for (state.Radius = static_cast<float>(state.MaxRadius); state.Radius >= 1.0f;
         state.Radius = state.Radius + step) {
        if (takeStopRequest(state))
            return;
        // MaxRadius is read afresh: a Size change landing on the radius just reached
        // makes that circle the saved one.
        if (state.Radius == static_cast<float>(state.MaxRadius))
            saveColors(state);
        drawCircle(state, viewObject, yield);
    }
    finishPass(state);
}

} // namespace modHypno
