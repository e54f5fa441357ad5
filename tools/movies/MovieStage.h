#pragma once
// What the program's three movies share: the stage of the movie window's player, the
// frame rate, the file settings, and colour helpers.

#include "swfwriter/MovieBuilder.h"

namespace movies {

constexpr std::int32_t kStageWidth = 11895; // twips, the player's size in the window
constexpr std::int32_t kStageHeight = 5535;
constexpr double kFrameRate = 30.0;

// Version 8 with zlib compression: every feature used here is older than that.
swf::write::MovieHeader movieHeader();

// Hue, saturation and value in 0..1; the hue wraps.
swf::write::Rgba fromHsv(double hue, double saturation, double value, std::uint8_t alpha = 255);

// A transform that multiplies a white-based shape by the colour, keeping its shading.
swf::write::CxForm multiplyBy(swf::write::Rgba colour, double opacity = 1.0);

// A linear gradient that runs from the top of `box` to its bottom.
swf::write::Matrix verticalGradient(const swf::write::Rect& box);

// The stage-filling backdrop, a gradient from `top` to `bottom`, as a shape.
swf::write::Shape backdrop(swf::write::Rgba top, swf::write::Rgba bottom);

} // namespace movies
