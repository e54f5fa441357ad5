#pragma once
// The event loop of Qt's user-interface thread. Asking it for pending events costs a
// poll of the kernel each time; a drawing that asks after every one of thousands of
// steps a second would spend more on asking than on drawing. Where Qt runs its loop on
// GLib's (the default on Linux, under X11 and Wayland alike), this asks the loop's own
// event sources first, as the loop itself does before it polls, and lets the loop run
// only when one of them has something or when a descriptor needs the kernel's answer.

#include "platform/Services.h"

#include <optional>

namespace platform {

class QtEventLoop final : public EventLoop {
public:
    // Deadlines are read on this clock.
    explicit QtEventLoop(const MonotonicClock& clock) : clock_(clock) {}
    void handlePending() override;
    void waitUntil(std::optional<MonotonicClock::time_point> deadline) override;

private:
    // False only when the loop's sources are known to have nothing for it.
    bool mayHavePending();

    const MonotonicClock& clock_;
    // Known once the application has made its dispatcher.
    std::optional<bool> onGlib_;
};

} // namespace platform
