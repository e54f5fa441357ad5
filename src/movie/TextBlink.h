#pragma once
// The blinking of the user's text in the movie window: a random palette colour on every
// tick, and a cycle of ticks in which the text is shown, shown again, then hidden.
// Plain logic; the window applies the result to the frame's label.

#include <QColor>

#include <cstdint>
#include <optional>

// The blink cycle's limit and a copy of its phase. Nobody ever sees it, so it is plain
// data rather than a hidden control.
struct CycleHolder {
    float Min = 0.0f;
    float Max = 2.0f;
    float Value = 0.0f;
};

// What one tick does to the label.
struct BlinkTick {
    QColor colour;
    // Set on the ticks that show or hide the text; the others leave it as it is.
    std::optional<bool> visible;
};

// The text colour for a random single in [0, 1): palette entry floor(r * 16), light grey
// in place of black.
QColor blinkColour(float random);

// One tick: the colour, then the cycle. `phase` counts the ticks of the cycle and
// outlives the window, so a reopened window carries on where the last one stopped.
BlinkTick blinkStep(float random, std::int16_t& phase, CycleHolder& holder);
