#include "swf/FrameClock.h"

#include <algorithm>
#include <cmath>

namespace swf {

void FrameClock::restart(double rate, qint64 frame, qint64 nowMs)
{
    rate_ = rate > 0.0 ? rate : 12.0;
    baseFrame_ = frame;
    baseMs_ = nowMs;
}

qint64 FrameClock::dueFrame(qint64 nowMs) const
{
    if (nowMs <= baseMs_)
        return baseFrame_;
    return baseFrame_ + static_cast<qint64>(std::floor(double(nowMs - baseMs_) * rate_ / 1000.0));
}

qint64 FrameClock::msUntil(qint64 frame, qint64 nowMs) const
{
    const double due = double(baseMs_) + double(frame - baseFrame_) * 1000.0 / rate_;
    return std::max<qint64>(0, static_cast<qint64>(std::ceil(due)) - nowMs);
}

} // namespace swf
