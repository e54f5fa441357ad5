#pragma once
// A window's timer: an interval, an on/off switch and a handler. A tick that falls due
// while the handler is still running (it may yield to the event loop) is dropped, so
// the handler never runs inside itself, and the next tick comes as soon as the handler
// returns. A window out of sight may hold its timer, which then wakes nobody, without
// forgetting whether it is enabled.

#include <QObject>
#include <QTimer>

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

    // Runs the handler as a tick would (tests, and ticks delivered by hand).
    void tick();

private:
    void follow();
    // The tick that comes at once after a handler that ran past the interval.
    void tickNow();

    QTimer timer_;
    bool enabled_ = false;
    bool held_ = false;
    std::function<void()> handler_;
    bool inHandler_ = false;
};

} // namespace platform
