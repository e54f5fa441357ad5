#pragma once
// The pace of the colour wheel. Drawn as fast as a modern machine allows, the rings'
// colours would strobe and a whole core would burn; instead each circle is due a fixed
// period after the one before, and the picture reaches the screen once per refresh.

#include <chrono>

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
