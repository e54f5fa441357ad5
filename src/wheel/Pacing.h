#pragma once
// The pace of the colour wheel. Drawn as fast as a modern machine allows, the rings'
// colours would strobe and a whole core would burn; instead each circle is due a fixed
// period after the one before, and the picture reaches the screen once per refresh.

#include <algorithm>
#include <chrono>
#include <optional>

using PaceClock = std::chrono::steady_clock;

// The schedule of the circles: each is due one period after the one before. A caller
// running late catches up without waiting; one that has fallen further behind than
// maxLag (a modal box, a stopped animation) starts a fresh schedule instead of
// rushing through the backlog.
class CirclePacer {
public:
    CirclePacer(PaceClock::duration period, PaceClock::duration maxLag) : period_(period), maxLag_(maxLag) {}

    // Called after each circle: when the next one is due.
    PaceClock::time_point nextDue(PaceClock::time_point now)
    {
        if (!started_ || now - due_ > maxLag_) {
            started_ = true;
            due_ = now;
        }
        due_ += period_;
        return due_;
    }

    // The next call starts a fresh schedule.
    void restart() { started_ = false; }

private:
    PaceClock::duration period_;
    PaceClock::duration maxLag_;
    PaceClock::time_point due_{};
    bool started_ = false;
};

// Lets the picture through to the screen at most once per interval.
class PresentGate {
public:
    explicit PresentGate(PaceClock::duration interval) : interval_(interval) {}

    void setInterval(PaceClock::duration interval) { interval_ = interval; }
    PaceClock::duration interval() const { return interval_; }

    // The first moment at which it opens again.
    PaceClock::time_point nextOpening() const { return opened_ ? last_ + interval_ : PaceClock::time_point::min(); }

    // True when a present may go out now; it then counts as done.
    bool open(PaceClock::time_point now)
    {
        if (opened_ && now - last_ < interval_)
            return false;
        // Keeps to the refresh grid while on time, so the average rate is the refresh rate.
        last_ = opened_ && now - last_ < 2 * interval_ ? last_ + interval_ : now;
        opened_ = true;
        return true;
    }

private:
    PaceClock::duration interval_;
    PaceClock::time_point last_{};
    bool opened_ = false;
};

// The colour wheel's drawing in batches, one per display frame. Waking the thread for
// every circle would cost more than drawing it; so while the next circle is already due
// the drawing goes straight on, and once it is ahead of the circles' schedule the
// picture goes to the screen and the thread sleeps until the next frame, when the
// circles that fell due meanwhile are drawn. The circles keep their own schedule, so the
// average pace is theirs whatever the frame rate.
class WheelSchedule {
public:
    WheelSchedule(PaceClock::duration circlePeriod, PaceClock::duration maxLag, PaceClock::duration longestFrame)
        : circles_(circlePeriod, maxLag), frames_(longestFrame), longestFrame_(longestFrame)
    {
    }

    // Frames follow the screen's refresh, but never further apart than the longest frame.
    void setRefreshInterval(PaceClock::duration interval)
    {
        frames_.setInterval(std::min(interval, longestFrame_));
    }

    struct AfterCircle {
        // The picture goes to the screen now.
        bool present = false;
        // The thread sleeps until then before the next circle; none while it is due.
        std::optional<PaceClock::time_point> sleepUntil;
    };

    // Called after each circle.
    AfterCircle afterCircle(PaceClock::time_point now)
    {
        const PaceClock::time_point due = circles_.nextDue(now);
        AfterCircle step;
        if (due > now) {
            step.present = frames_.open(now);
            step.sleepUntil = std::max(due, frames_.nextOpening());
            return step;
        }
        // A batch normally ends, and shows, soon after its frame begins; one that runs on
        // (the drawing has fallen behind) shows on the same grid, as late in the frame as
        // keeps the picture within the longest frame.
        step.present = now >= frames_.nextOpening() + (longestFrame_ - frames_.interval()) && frames_.open(now);
        return step;
    }

    // The drawing was held (its window out of sight): no circles are owed for the time.
    void restart() { circles_.restart(); }

private:
    CirclePacer circles_;
    PresentGate frames_;
    PaceClock::duration longestFrame_;
};
