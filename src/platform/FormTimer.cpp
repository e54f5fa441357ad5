#include "platform/FormTimer.h"

#include <QAbstractEventDispatcher>
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
    // A tick posted to come early or at once has come now.
    tickPosted_ = false;
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
    if (timer_.isActive() && ran.nsecsElapsed() >= static_cast<qint64>(timer_.interval()) * 1'000'000) {
        tickPosted_ = true;
        QMetaObject::invokeMethod(this, &FormTimer::tickNow, Qt::QueuedConnection);
    }
}

void FormTimer::setMayComeEarly(std::chrono::milliseconds early)
{
    const bool listening = early_ > early_.zero();
    early_ = early;
    if (listening || early_ <= early_.zero())
        return;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &FormTimer::threadAboutToSleep);
}

void FormTimer::threadAboutToSleep()
{
    if (tickPosted_ || inHandler_ || !timer_.isActive() || early_ <= early_.zero())
        return;
    const int left = timer_.remainingTime();
    if (left < 0 || std::chrono::milliseconds(left) > early_)
        return;
    // Posted, so the handler runs from the loop as any tick does, and the loop does
    // not sleep while it is pending.
    tickPosted_ = true;
    QMetaObject::invokeMethod(this, &FormTimer::tickNow, Qt::QueuedConnection);
}

void FormTimer::tickNow()
{
    if (!tickPosted_)
        return;
    tickPosted_ = false;
    if (!timer_.isActive() || inHandler_)
        return;
    // Qt keeps a timer whose own tick is running from waking the loops that the handler
    // yields to; this tick is not the timer's, so the timer stops for it instead.
    timer_.stop();
    tick();
}

} // namespace platform
