#include "platform/FormTimer.h"

#include <QElapsedTimer>

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
    if (!enabled_ || held_)
        timer_.stop();
    // A running timer keeps its rhythm when enabled again; one stopped for a running
    // handler starts when the handler returns, as its ticks would be dropped till then.
    else if (!timer_.isActive() && !inHandler_)
        timer_.start();
}

void FormTimer::tick()
{
    if (inHandler_)
        return;
    inHandler_ = true;
    QElapsedTimer ran;
    ran.start();
    // The handler may unload the window that owns this timer; the window's destruction
    // is deferred by the runtime, so this object outlives the call.
    handler_();
    inHandler_ = false;
    follow();
    // Ticks fell due while the handler ran, and Qt counts the interval afresh from each
    // of them that it dropped: left to Qt, the thread would sleep through most of an
    // interval before the next tick.
    if (timer_.isActive() && ran.nsecsElapsed() >= static_cast<qint64>(timer_.interval()) * 1'000'000)
        QMetaObject::invokeMethod(this, &FormTimer::tickNow, Qt::QueuedConnection);
}

void FormTimer::tickNow()
{
    if (!timer_.isActive() || inHandler_)
        return;
    // Qt keeps a timer whose own tick is running from waking the loops that the handler
    // yields to; this tick is not the timer's, so the timer stops for it instead.
    timer_.stop();
    tick();
}

} // namespace platform
