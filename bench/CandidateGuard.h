#pragma once
// A rule proposed for the colour wheel's photosensitivity guard, written as a schedule so
// that the flash sweep can measure it before the program has one. A pixel is painted by
// the run of circles whose pen covers it, 15 x Width / RadiusStep of them; a refresh that
// falls inside that run shows a colour up to the run's length in colour steps away.
// - On a short pass whose runs move a pixel's colour far, the circle rate stays today's,
//   but the picture goes to the screen only when a pass is complete, so every pixel moves
//   one colour step between two pictures, whatever the Color Multiplier.
// - On a long pass with a pen whose ring at the rim covers much of a field, the circles
//   slow down until no colour channel of a pixel runs through more than a set number of
//   its cycles (bright, dark, bright) a second.
// - Everything else keeps today's pace.

#include "flash/WheelSchedule.h"

class CandidateGuard final : public flash::WheelSchedule {
public:
    struct Bounds {
        // The longest pass that reaches the screen only whole.
        double wholePassCircles = 5000;
        // How far, in colour cycles of the channel that moves furthest, one pixel's run
        // of circles may move it before a short pass is shown only whole.
        double runCycles = 0.1;
        // The pen's ring at the rim, as a share of a 341 x 256 field, up to which a long
        // pass keeps today's pace.
        double ringShare = 0.08;
        // Colour cycles a second of any channel of any pixel on a long pass.
        double cyclesPerSecond = 1.5;
    };

    CandidateGuard(flash::VirtualTime circlePeriod, const Bounds& bounds);

    flash::VirtualTime nextCircle(flash::VirtualTime now, const modHypno::WheelState& state) override;
    bool presents(flash::VirtualTime now, flash::VirtualTime nextRefresh, const modHypno::WheelState& state) override;

private:
    enum class Mode { Steady, WholePasses, Slowed };
    Mode modeFor(const modHypno::WheelState& state) const;
    flash::VirtualTime gapFor(const modHypno::WheelState& state) const;

    flash::VirtualTime period_;
    Bounds bounds_;
};
