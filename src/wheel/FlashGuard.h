#pragma once
// The colour wheel's photosensitivity guard. People stare at the wheel for minutes, and
// some of them have photosensitive epilepsy they do not know about, so no setting may
// make the picture flash: no more than three flashes in any one second over a quarter of
// a 341 x 256 px field (a 10 degree field of view at a usual distance from the screen).
//
// What flashes: a pixel is painted by every circle whose pen covers it, 15 x Width /
// RadiusStep consecutive circles of a pass (its run), and each circle's colour lies Color
// Multiplier colour steps after the one before. A screen update that falls inside a run
// shows the pixel up to the run's length of colour steps on from the update before; red
// runs through its cycle in 100 steps, so jumps of tens of steps strobe.
//
// The rule, decided afresh after every circle from the sliders as they are then and the
// running pass's own spacing and size (a pass keeps both to its end):
// - A short pass (at most 5,000 circles, half a second) drawn with a pen of 4 px or more
//   whose runs move a pixel more than a tenth of a colour cycle keeps its pace, but
//   reaches the screen only when it is complete. Between two pictures every pixel then
//   moves one colour step per pass, whatever the Color Multiplier. The picture may then
//   wait up to a pass, longer than the usual longest frame, for the sake of this rule.
// - A long pass whose pen ring at the rim covers more than 8% of a field slows down until
//   no colour channel of a pixel runs through more than 1.5 of its cycles a second.
// - Everything else, the load-time values above all, keeps the usual pace: a circle
//   every period and the picture on the screen every refresh.
// The circles and their colours never change; only when they fall and when the picture
// goes to the screen. The bounds come from recordings of the whole range of settings
// (bench/flash_sweep): each keeps every setting it leaves alone under a third of the
// limit, and brings the settings it changes to two flashes a second or less.

#include "app/WheelState.h"

#include <chrono>

class FlashGuard {
public:
    using Duration = std::chrono::steady_clock::duration;

    struct Pace {
        // From one circle to the next.
        Duration circlePeriod;
        // The picture goes to the screen only after a pass's last circle.
        bool wholePasses = false;
        friend bool operator==(const Pace&, const Pace&) = default;
    };

    // `usualPeriod` is the pace of every setting that cannot flash.
    explicit FlashGuard(Duration usualPeriod) : usualPeriod_(usualPeriod) {}

    // A pass begins with the spacing and the largest radius in `state`, which it keeps to
    // its end whatever the sliders do meanwhile.
    void passBegins(const WheelState& state, bool inward);

    // The pace after the circle just drawn; until a pass has begun, that of a pass with
    // the sliders' values.
    Pace pace(const WheelState& state) const;

    // Whether the circle just drawn is the running pass's last.
    bool lastCircleOfPass(const WheelState& state) const;

private:
    struct Pass {
        float spacing = 0.0f;
        float largestRadius = 0.0f;
        bool inward = false;
    };
    Pass passOf(const WheelState& state) const;

    Duration usualPeriod_;
    Pass pass_;
    bool passBegun_ = false;
};
