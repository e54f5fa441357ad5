#include "platform/QtIdleInhibitor.h"

#include "platform/X11SaverSuspension.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QVariantMap>

#include <cstdio>

namespace platform {

namespace {
// Longer than any live service needs, short enough that a hung one is given up before
// the user wonders.
constexpr int CallTimeoutMs = 1000;

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString PortalInhibit = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString PortalRequest = QStringLiteral("org.freedesktop.portal.Request");
constexpr uint PortalIdleFlag = 8;

const QString SaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString SaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");

// The portal names a request's object after the caller and the token it chose, so the
// object of a request whose answer never came can still be closed.
QString portalRequestPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

// Without an address or the usual socket there is no session bus to ask. Asking anyway
// would have the bus library start one of its own, on this thread, for nobody.
bool sessionBusConfigured()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(QDir(runtime).filePath(QStringLiteral("bus"))).exists();
}
} // namespace

QtIdleInhibitor::QtIdleInhibitor(QString applicationName) : applicationName_(std::move(applicationName)) {}

QtIdleInhibitor::~QtIdleInhibitor() = default;

void QtIdleInhibitor::hold(const QString& reason)
{
    wanted_ = true;
    reason_ = reason;
    if (!x11Looked_) {
        x11Looked_ = true;
        x11_ = X11SaverSuspension::make();
    }
    if (x11_)
        x11_->suspend(true);
    if (!question_ && std::holds_alternative<std::monostate>(held_))
        ask(first_);
}

void QtIdleInhibitor::release()
{
    wanted_ = false;
    if (x11_)
        x11_->suspend(false);
    sendRelease();
}

void QtIdleInhibitor::releaseAtEnd()
{
    wanted_ = false;
    // What a request still on its way takes is let go as soon as it is answered.
    if (question_)
        question_->waitForFinished();
    release();
    for (QDBusPendingCall& call : releases_)
        call.waitForFinished();
    releases_.clear();
}

void QtIdleInhibitor::ask(Way way)
{
    if (way == Way::None || !sessionBusConfigured() || !QDBusConnection::sessionBus().isConnected()) {
        first_ = Way::None;
        sayNoServiceOnce();
        return;
    }
    QDBusMessage message;
    if (way == Way::Portal) {
        portalToken_ = QStringLiteral("somnara%1").arg(++tokens_);
        message = QDBusMessage::createMethodCall(PortalService, PortalPath, PortalInhibit, QStringLiteral("Inhibit"));
        message << QString() << PortalIdleFlag
                << QVariantMap{{QStringLiteral("reason"), reason_}, {QStringLiteral("handle_token"), portalToken_}};
    } else {
        message = QDBusMessage::createMethodCall(SaverService, SaverPath, SaverService, QStringLiteral("Inhibit"));
        message << applicationName_ << reason_;
    }
    question_ = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, CallTimeoutMs), this);
    connect(question_, &QDBusPendingCallWatcher::finished, this, [this, way](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        question_ = nullptr;
        answered(way, *call);
    });
}

void QtIdleInhibitor::answered(Way way, QDBusPendingCallWatcher& call)
{
    if (call.isError()) {
        // A portal that answers late may still carry the request out.
        const QDBusError::ErrorType error = call.error().type();
        if (way == Way::Portal && (error == QDBusError::NoReply || error == QDBusError::Timeout))
            closePortalRequest(portalRequestPath(QDBusConnection::sessionBus(), portalToken_));
        const Way next = way == Way::Portal ? Way::ScreenSaver : Way::None;
        if (wanted_)
            ask(next);
        else
            first_ = next;
        return;
    }
    first_ = way;
    if (way == Way::Portal)
        held_ = QDBusPendingReply<QDBusObjectPath>(call).value();
    else
        held_ = QDBusPendingReply<uint>(call).value();
    // Let go at once of what was asked for before a release came.
    if (!wanted_)
        sendRelease();
}

void QtIdleInhibitor::sendRelease()
{
    if (const auto* portal = std::get_if<Portal>(&held_)) {
        closePortalRequest(portal->path());
    } else if (const auto* cookie = std::get_if<ScreenSaverCookie>(&held_)) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(SaverService, SaverPath, SaverService, QStringLiteral("UnInhibit"));
        message << *cookie;
        sendAndKeep(message);
    }
    held_ = std::monostate{};
}

void QtIdleInhibitor::closePortalRequest(const QString& handle)
{
    sendAndKeep(QDBusMessage::createMethodCall(PortalService, handle, PortalRequest, QStringLiteral("Close")));
}

void QtIdleInhibitor::sendAndKeep(const QDBusMessage& message)
{
    std::erase_if(releases_, [](const QDBusPendingCall& call) { return call.isFinished(); });
    releases_.push_back(QDBusConnection::sessionBus().asyncCall(message, CallTimeoutMs));
}

void QtIdleInhibitor::sayNoServiceOnce()
{
    if (toldNoService_)
        return;
    toldNoService_ = true;
    std::fputs("somnara: no desktop service keeps the screen awake; the screen may blank during a session\n",
               stderr);
}

} // namespace platform
