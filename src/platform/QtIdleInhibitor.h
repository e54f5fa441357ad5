#pragma once
// The desktop's idle inhibition over the session bus: the desktop portal first, which
// answers in Wayland sessions and sandboxes, else org.freedesktop.ScreenSaver; in an
// X11 session the X server's own saver is suspended as well. Every call to the bus is
// asynchronous and given up after a second, so a desktop service that hangs never
// holds up the windows. The bus lets go of whatever a vanished client held, so a crash
// leaves nothing behind.

#include "platform/Services.h"

#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>

#include <memory>
#include <variant>
#include <vector>

class QDBusPendingCallWatcher;

namespace platform {

class X11SaverSuspension;

class QtIdleInhibitor final : public QObject, public IdleInhibitor {
public:
    // `applicationName` is how org.freedesktop.ScreenSaver lists the program.
    explicit QtIdleInhibitor(QString applicationName);
    ~QtIdleInhibitor() override;

    void hold(const QString& reason) override;
    void release() override;
    // Releases what is held, and what a request on its way takes, and waits until the
    // services have the releases: the process ends right after. A second for the
    // request and one for the releases at most, when a service hangs.
    void releaseAtEnd();

private:
    enum class Way { Portal, ScreenSaver, None };
    using Portal = QDBusObjectPath;
    using ScreenSaverCookie = uint;

    void ask(Way way);
    void answered(Way way, QDBusPendingCallWatcher& call);
    void sendRelease();
    void closePortalRequest(const QString& handle);
    void sendAndKeep(const QDBusMessage& message);
    void sayNoServiceOnce();

    QString applicationName_;
    QString reason_;
    bool wanted_ = false;
    // The request on its way, if any: one at a time.
    QDBusPendingCallWatcher* question_ = nullptr;
    // The way to ask first: the one that answered last, or None once none did.
    Way first_ = Way::Portal;
    QString portalToken_;
    int tokens_ = 0;
    std::variant<std::monostate, Portal, ScreenSaverCookie> held_;
    std::vector<QDBusPendingCall> releases_;
    bool toldNoService_ = false;
    bool x11Looked_ = false;
    std::unique_ptr<X11SaverSuspension> x11_;
};

} // namespace platform
