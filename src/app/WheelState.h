#pragma once
// The colour-wheel renderer's one program-wide record. The renderer reads and writes it
// during a pass; the wheel's window sets its parameters at load and the frame's settings
// panel changes them, so it lives with the run rather than with any one window.

#include <cstdint>

struct ColorChannel {
    std::int16_t Level = 0;
    // +BaseStep while rising, -BaseStep while falling.
    std::int16_t Step = 0;
    std::int16_t BaseStep = 0;
    std::int16_t MinLevel = 0;
    std::int16_t MaxLevel = 0;
    // Level and Step at the first circle of the pass, put back when the pass completes.
    std::int16_t SavedLevel = 0;
    std::int16_t SavedStep = 0;
};

// Everything starts at zero until the colour-wheel window loads.
struct WheelState {
    float Radius = 0.0f;
    std::int16_t MaxRadius = 0;
    float RadiusStep = 0.0f;
    std::int16_t ColorSteps = 0;
    std::int16_t LineWidth = 0;
    // 0: outward passes; 1: inward passes.
    std::int16_t WheelDirection = 0;
    // Ends the running pass before its next circle; pending until a pass sees it.
    bool StopRequested = false;
    // While false, the next pass restarts the colour sequence and measures the centre.
    bool CenterReady = false;
    std::int32_t CenterX = 0;
    std::int32_t CenterY = 0;
    ColorChannel Red;
    ColorChannel Green;
    ColorChannel Blue;
};
