#pragma once
// The colour wheel as the screen would show it, without a window: the real renderer draws
// on the real backing picture, the schedule decides when each circle falls on a virtual
// clock, and the screen is read at every refresh. Runs as fast as the machine draws.

#include "flash/WheelSchedule.h"

#include <QImage>
#include <QSize>

#include <functional>

namespace flash {

// The settings panel's four sliders and the direction.
struct WheelSettings {
    // Size: the largest radius of a pass, in twips (1..2200).
    int size = 1000;
    // Density: the spacing of the rings in hundredths of a twip (1..1000).
    int density = 500;
    // Width: the pen width in pixels (1..50).
    int width = 2;
    // Color Multiplier: colour steps from one ring to the next (1..1000).
    int colorMultiplier = 1;
    bool inward = false;
};

struct ScreenFrame {
    const QImage& screen;
    double seconds;
    // Circles drawn since the recording began when the picture on the screen was sent.
    long long circlesShown;
};

struct RecordingSummary {
    int frames = 0;
    long long circles = 0;
    long long passesCompleted = 0;
};

class WheelRecorder {
public:
    // The colour-wheel window's picture: 11910 x 5400 twips, at 96 dots per inch.
    static const QSize kPictureSize;
    static constexpr int kRefreshesPerSecond = 60;

    WheelRecorder(const WheelSettings& settings, WheelSchedule& schedule);

    // Draws from a cleared picture and a fresh colour sequence, as after the window loads
    // or the Size slider moves, and hands `frame` every refresh from 0 to `seconds`
    // inclusive: the last picture the schedule sent before it.
    RecordingSummary record(double seconds, const std::function<void(const ScreenFrame&)>& frame);

private:
    WheelSettings settings_;
    WheelSchedule& schedule_;
};

} // namespace flash
