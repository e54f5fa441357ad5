#pragma once
// The renderer's parameters as the colour-wheel window sets them when it loads. The
// offline recordings of the wheel start from the same table.

#include "app/WheelState.h"

#include <cstdint>

namespace loadTime {

constexpr std::int16_t MaxRadius = 1000;
constexpr float RadiusStep = 5.0f;
constexpr std::int16_t ColorSteps = 1;
constexpr std::int16_t LineWidth = 2;

struct Channel {
    std::int16_t baseStep;
    std::int16_t minLevel;
    std::int16_t maxLevel;
};
constexpr Channel Red{1, 5, 255};
constexpr Channel Green{1, 2, 254};
constexpr Channel Blue{1, 3, 252};

// The channels' steps and bounds; the sliders' values are left alone.
inline void applyChannels(WheelState& state)
{
    const auto apply = [](ColorChannel& channel, const Channel& bounds) {
        channel.BaseStep = bounds.baseStep;
        channel.MinLevel = bounds.minLevel;
        channel.MaxLevel = bounds.maxLevel;
    };
    apply(state.Red, Red);
    apply(state.Green, Green);
    apply(state.Blue, Blue);
}

} // namespace loadTime
