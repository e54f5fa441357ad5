#include "platform/QtEventLoop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>

#include <glib.h>

#include <algorithm>
#include <array>

namespace platform {

namespace {

// GLib's loop always watches one descriptor, its own wake-up, which Qt signals together
// with a counter that Qt's posted-event source reads in its prepare step; any further
// descriptor (a socket notifier on this thread) can only be answered by the kernel.
constexpr int OwnWakeUpDescriptors = 1;

bool loopRunsOnGlib()
{
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && dispatcher->inherits("QEventDispatcherGlib");
}

// The steps of one iteration of GLib's loop without its poll: every source says whether
// it is ready (Qt's posted events and wake-ups, due timers, X11 or Wayland input already
// read by Qt's reader thread), and the descriptors are counted. Nothing is dispatched.
bool glibSourcesReady()
{
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context))
        return true;
    gint priority = 0;
    const bool ready = g_main_context_prepare(context, &priority);
    std::array<GPollFD, 16> descriptors{};
    gint timeout = 0;
    const gint count = g_main_context_query(context, priority, &timeout, descriptors.data(),
                                            static_cast<gint>(descriptors.size()));
    const gint listed = std::min(count, static_cast<gint>(descriptors.size()));
    for (gint i = 0; i < listed; ++i)
        descriptors[static_cast<std::size_t>(i)].revents = 0;
    g_main_context_check(context, priority, descriptors.data(), listed);
    g_main_context_release(context);
    return ready || count > OwnWakeUpDescriptors;
}

} // namespace

bool QtEventLoop::mayHavePending()
{
    if (!onGlib_)
        onGlib_ = loopRunsOnGlib();
    return !*onGlib_ || glibSourcesReady();
}

void QtEventLoop::handlePending()
{
    if (mayHavePending())
        QCoreApplication::processEvents();
}

void QtEventLoop::waitUntil(std::optional<MonotonicClock::time_point> deadline)
{
    QTimer alarm;
    if (deadline) {
        const auto left = *deadline - clock_.now();
        if (left <= left.zero()) {
            handlePending();
            return;
        }
        // Qt's timers count whole milliseconds; rounding up never wakes before the deadline.
        alarm.setTimerType(Qt::PreciseTimer);
        alarm.setSingleShot(true);
        alarm.start(std::chrono::ceil<std::chrono::milliseconds>(left));
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace platform
