#pragma once
// A window's timer: an interval, an on/off switch and a handler. A tick that falls due
// while the handler is still running (it may yield to the event loop) is dropped, so
// the handler never runs inside itself, and the next tick comes as soon as the handler
// returns. A window out of sight may hold its timer, which then wakes nobody, without
// forgetting whether it is enabled. A timer that refreshes what is shown may let its
// tick come a little early, to share a wake-up with other work.

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace platform {

class FormTimer final : public QObject {
    Q_OBJECT
public:
    FormTimer(QObject* parent, int intervalMs, std::function<void()> handler);

    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    void setHeld(bool held);
    // True while ticks are being delivered: enabled and not held.
    bool isTicking() const { return timer_.isActive(); }
    int interval() const { return timer_.interval(); }
    bool isRunningHandler() const { return inHandler_; }

    // When the thread is about to sleep and this tick is due within `early`, it comes
    // now rather than wake the thread on its own. A drawing that wakes the thread every
    // frame then carries the tick, and an idle thread sleeps until it is due.
    void setMayComeEarly(std::chrono::milliseconds early);

    // Runs the handler as a tick would (tests, and ticks delivered by hand).
    void tick();

private:
    void follow();
    // The tick that comes at once after a handler that ran past the interval, or early.
    void tickNow();
    void threadAboutToSleep();

    QTimer timer_;
    bool enabled_ = false;
    bool held_ = false;
    std::function<void()> handler_;
    bool inHandler_ = false;
    std::chrono::milliseconds early_{0};
    // A tick is posted to come early or at once; a tick that comes first makes it void.
    bool tickPosted_ = false;
};

} // namespace platform
