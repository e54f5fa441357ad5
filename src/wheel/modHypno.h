#pragma once
// The colour-wheel renderer: concentric circle outlines whose colours cycle through
// red, green and blue, one pass at a time, outward or inward. A pass yields to the
// user interface after every circle; the handlers that run then change the shared
// WheelState, and the rules below decide when each change takes effect.

#include "app/WheelState.h"

#include <cstdint>
#include <functional>

namespace modHypno {

// The record the passes work on lives with the run; the renderer knows it by these names.
using ::ColorChannel;
using ::WheelState;

// The factor applied to a channel's Step in one colour step.
constexpr std::int16_t RedStride = 5;
constexpr std::int16_t GreenStride = 2;
constexpr std::int16_t BlueStride = 3;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Where the wheel is drawn. Positions and radii are in the surface's logical units
// (twips for the colour-wheel window); the pen width is in pixels.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    // The outline of a whole circle, drawn with the current pen width.
    virtual void Circle(float x, float y, float radius, Rgb colour) = 0;
    // Clears the whole surface to black.
    virtual void Cls() = 0;
    virtual void setDrawWidth(int pixels) = 0;
    virtual int DrawWidth() const = 0;
};

// Runs after every circle and handles whatever the user did meanwhile.
using YieldHook = std::function<void()>;

// One colour step of the three channels.
void AdvanceColor(WheelState& state);
// One pass from radius 1 up to MaxRadius.
void DrawOutwardPass(WheelState& state, DrawingSurface& viewObject, const YieldHook& yield);
// One pass from MaxRadius down to radius 1.
void DrawInwardPass(WheelState& state, DrawingSurface& viewObject, const YieldHook& yield);

// Rounds to the nearest integer, halves to the even neighbour.
std::int32_t roundHalfEven(double value);

} // namespace modHypno
