#include "platform/FormTimer.h"

namespace platform {

FormTimer::FormTimer(QObject* parent, int intervalMs, std::function<void()> handler)
    : QObject(parent), handler_(std::move(handler))
{
    timer_.setInterval(intervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FormTimer::tick);
}

void FormTimer::setEnabled(bool enabled)
{
    enabled_ = enabled;
    follow();
}

void FormTimer::setHeld(bool held)
{
    held_ = held;
    follow();
}

void FormTimer::follow()
{
    // A running timer keeps its rhythm when enabled again.
    if (enabled_ && !held_ && !timer_.isActive())
        timer_.start();
    else if (!enabled_ || held_)
        timer_.stop();
}

void FormTimer::tick()
{
    if (inHandler_)
        return;
    inHandler_ = true;
    // The handler may unload the window that owns this timer; the window's destruction
    // is deferred by the runtime, so this object outlives the call.
    handler_();
    inHandler_ = false;
}

} // namespace platform
