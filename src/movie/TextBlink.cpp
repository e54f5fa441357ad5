#include "movie/TextBlink.h"

#include <array>

namespace {

// The sixteen colours of the text-mode palette, by index.
constexpr std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(0, 0, 128),     qRgb(0, 128, 0),   qRgb(0, 128, 128),
    qRgb(128, 0, 0),     qRgb(128, 0, 128),   qRgb(128, 128, 0), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(0, 0, 255),     qRgb(0, 255, 0),   qRgb(0, 255, 255),
    qRgb(255, 0, 0),     qRgb(255, 0, 255),   qRgb(255, 255, 0), qRgb(255, 255, 255),
};
// Black is never drawn: its draws go to light grey.
constexpr std::size_t kInsteadOfBlack = 7;

std::size_t paletteIndex(float random)
{
    const float scaled = random * 16.0f;
    // A source straying outside [0, 1) must not read past the table (nor convert a
    // negative or undefined value to an index).
    if (!(scaled >= 0.0f))
        return 0;
    if (scaled >= 16.0f)
        return kPalette.size() - 1;
    return static_cast<std::size_t>(scaled); // the floor, as the value is not negative
}

} // namespace

QColor blinkColour(float random)
{
    const std::size_t index = paletteIndex(random);
    return QColor::fromRgb(kPalette[index == 0 ? kInsteadOfBlack : index]);
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
