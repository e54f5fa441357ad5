#include "platform/X11SaverSuspension.h"

#include <QGuiApplication>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {

std::unique_ptr<X11SaverSuspension> X11SaverSuspension::make()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? make(x11->connection()) : nullptr;
}

std::unique_ptr<X11SaverSuspension> X11SaverSuspension::make(xcb_connection_t* connection)
{
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_screensaver_id);
    if (!extension || !extension->present)
        return nullptr;
    // Suspending came with version 1.1 of the extension; an older server would answer the
    // request with an error.
    xcb_screensaver_query_version_reply_t* version = xcb_screensaver_query_version_reply(
        connection, xcb_screensaver_query_version(connection, 1, 1), nullptr);
    const bool canSuspend =
        version && (version->server_major_version > 1 ||
                    (version->server_major_version == 1 && version->server_minor_version >= 1));
    std::free(version);
    if (!canSuspend)
        return nullptr;
    return std::unique_ptr<X11SaverSuspension>(new X11SaverSuspension(connection));
}

void X11SaverSuspension::suspend(bool suspended)
{
    if (suspended == suspended_ || xcb_connection_has_error(connection_))
        return;
    xcb_screensaver_suspend(connection_, suspended ? 1 : 0);
    // Sent now rather than at the event loop's next turn: the release at the process's
    // end has no next turn.
    xcb_flush(connection_);
    suspended_ = suspended;
}

} // namespace platform
