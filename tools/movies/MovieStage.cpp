#include "movies/MovieStage.h"

#include "swfwriter/ShapeBuilder.h"

#include <cmath>
#include <numbers>

namespace movies {

using namespace swf::write;

MovieHeader movieHeader()
{
    return {8, {0, kStageWidth, 0, kStageHeight}, kFrameRate, Compression::Zlib};
}

Rgba fromHsv(double hue, double saturation, double value, std::uint8_t alpha)
{
    const double h = (hue - std::floor(hue)) * 6.0;
    const double c = value * saturation;
    const double x = c * (1.0 - std::abs(std::fmod(h, 2.0) - 1.0));
    const double m = value - c;
    double r = 0;
    double g = 0;
    double b = 0;
    switch (static_cast<int>(h) % 6) {
    case 0: r = c; g = x; break;
    case 1: r = x; g = c; break;
    case 2: g = c; b = x; break;
    case 3: g = x; b = c; break;
    case 4: r = x; b = c; break;
    default: r = c; b = x; break;
    }
    const auto channel = [m](double v) { return static_cast<std::uint8_t>(std::lround((v + m) * 255.0)); };
    return {channel(r), channel(g), channel(b), alpha};
}

CxForm multiplyBy(Rgba colour, double opacity)
{
    // 256 leaves a channel as it is; 255 in the colour must mean exactly that.
    const auto term = [](double v) { return static_cast<std::int16_t>(std::lround(v * 256.0 / 255.0)); };
    CxForm t;
    t.redMult = term(colour.r);
    t.greenMult = term(colour.g);
    t.blueMult = term(colour.b);
    t.alphaMult = static_cast<std::int16_t>(std::lround(opacity * 256.0));
    return t;
}

Matrix verticalGradient(const Rect& box)
{
    // A gradient runs along its own x axis. Turned a quarter about the centre, a box as
    // wide as `box` is high runs it from top to bottom.
    const std::int32_t cx = (box.xMin + box.xMax) / 2;
    const std::int32_t cy = (box.yMin + box.yMax) / 2;
    const std::int32_t halfWidth = (box.xMax - box.xMin) / 2;
    const std::int32_t halfHeight = (box.yMax - box.yMin) / 2;
    return Matrix::gradientBox({cx - halfHeight, cx + halfHeight, cy - halfWidth, cy + halfWidth},
                               std::numbers::pi / 2);
}

Shape backdrop(Rgba top, Rgba bottom)
{
    FillGradient gradient;
    gradient.stops = {{0, top}, {255, bottom}};
    ShapeBuilder builder;
    const std::uint32_t fill =
        builder.addFill(Fill::linear(verticalGradient({0, kStageWidth, 0, kStageHeight}), gradient));
    builder.polygon({{0, 0}, {kStageWidth, 0}, {kStageWidth, kStageHeight}, {0, kStageHeight}}, fill);
    return builder.shape();
}

} // namespace movies
