#pragma once
// The format's basic structures as the writer takes them (colours, points, rectangles,
// matrices, colour transforms), each with its encoder. Like every writer type they mirror
// their structure field for field, so that a file read back can be compared with what was
// written. Coordinates are in twips (1/20 pixel).

#include "swfwriter/ByteWriter.h"

#include <cstdint>

namespace swf::write {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(const Rgba&) const = default;
};

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

// In the file's field order.
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;
    bool operator==(const Rect&) const = default;
};

// x' = scaleX * x + rotateSkew1 * y + translateX
// y' = rotateSkew0 * x + scaleY * y + translateY
// Scale and skew are stored as 16.16 fixed point, the translation in whole twips.
struct Matrix {
    double scaleX = 1.0;
    double scaleY = 1.0;
    double rotateSkew0 = 0.0;
    double rotateSkew1 = 0.0;
    std::int32_t translateX = 0;
    std::int32_t translateY = 0;
    bool operator==(const Matrix&) const = default;

    static Matrix translation(std::int32_t x, std::int32_t y);
    // Turns by `radians` (clockwise on screen, where y points down) about the origin,
    // scales evenly by `scale`, then moves the origin to (x, y).
    static Matrix rotation(double radians, std::int32_t x, std::int32_t y, double scale = 1.0);
    // Maps the format's gradient square (-16384..16384 twips on both axes) onto `box`,
    // then turns it by `radians` (clockwise on screen) about the box's centre. Unturned,
    // a linear gradient runs from the box's left edge to its right edge and a radial one
    // fills the ellipse inside the box.
    static Matrix gradientBox(const Rect& box, double radians = 0.0);
};

// CXFORMWITHALPHA: each channel becomes channel * mult / 256 + add. A transform that
// leaves a part unchanged (all multipliers 256, or all additions 0) omits that part.
struct CxForm {
    std::int16_t redMult = 256;
    std::int16_t greenMult = 256;
    std::int16_t blueMult = 256;
    std::int16_t alphaMult = 256;
    std::int16_t redAdd = 0;
    std::int16_t greenAdd = 0;
    std::int16_t blueAdd = 0;
    std::int16_t alphaAdd = 0;
    bool operator==(const CxForm&) const = default;

    // Multiplies alpha only (0..1), for fading a character in or out.
    static CxForm opacity(double alpha);
    // Replaces the colour channels by a flat colour, keeping the character's alpha.
    static CxForm tint(Rgba colour);
};

void writeRect(ByteWriter& out, const Rect& rect);
void writeMatrix(ByteWriter& out, const Matrix& matrix);
void writeCxForm(ByteWriter& out, const CxForm& transform);
void writeRgb(ByteWriter& out, Rgba color);
void writeRgba(ByteWriter& out, Rgba color);

} // namespace swf::write
