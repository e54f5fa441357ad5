#pragma once
// Frame timing without drift: frame n is due at start + n / rate, computed from the start
// every time rather than by adding up intervals, so late ticks never push later frames back.

#include <QtGlobal>

namespace swf {

class FrameClock {
public:
    // Frame `frame` (0 = the first) is due at nowMs; rate in frames per second.
    void restart(double rate, qint64 frame, qint64 nowMs);
    // The last frame due at nowMs.
    qint64 dueFrame(qint64 nowMs) const;
    // Milliseconds from nowMs until frame is due (0 when it is due already).
    qint64 msUntil(qint64 frame, qint64 nowMs) const;
    double rate() const { return rate_; }

private:
    double rate_ = 12.0;
    qint64 baseFrame_ = 0;
    qint64 baseMs_ = 0;
};

} // namespace swf
