#include "movie/TextBlink.h"

#include <array>
#include <cmath>

namespace {

// The sixteen colours of the text-mode palette, by index.
constexpr std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(0, 0, 128),     qRgb(0, 128, 0),   qRgb(0, 128, 128),
    qRgb(128, 0, 0),     qRgb(128, 0, 128),   qRgb(128, 128, 0), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(0, 0, 255),     qRgb(0, 255, 0),   qRgb(0, 255, 255),
    qRgb(255, 0, 0),     qRgb(255, 0, 255),   qRgb(255, 255, 0), qRgb(255, 255, 255),
};
// Black would vanish on the strip, so its draws go to light grey.
constexpr std::size_t kInsteadOfBlack = 7;

} // namespace

QColor blinkColour(float random)
{
    auto index = static_cast<std::size_t>(std::floor(random * 16.0f));
    // A source straying outside [0, 1) must not read past the table.
    if (index >= kPalette.size())
        index = kPalette.size() - 1;
    if (index == 0)
        index = kInsteadOfBlack;
    return QColor::fromRgb(kPalette[index]);
}

BlinkTick blinkStep(float random, std::int16_t& phase, CycleHolder& holder)
{
    BlinkTick tick{blinkColour(random), std::nullopt};
    if (holder.Max == static_cast<float>(phase)) {
        tick.visible = false;
        phase = 0;
        return tick;
    }
    ++phase;
    holder.Value = static_cast<float>(phase);
    if (phase == 1)
        tick.visible = true;
    return tick;
}
