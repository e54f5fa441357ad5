#pragma once
// The X server's own screen saver and display power management, suspended through the
// MIT-SCREEN-SAVER extension on the program's own connection to the server. The server
// resumes both by itself when that connection closes, however the process ends.

#include <memory>

struct xcb_connection_t;

namespace platform {

class X11SaverSuspension {
public:
    // Null outside an X11 session, or when the server cannot suspend its saver.
    static std::unique_ptr<X11SaverSuspension> make();
    static std::unique_ptr<X11SaverSuspension> make(xcb_connection_t* connection);

    // The server counts each client's suspensions; this keeps ours at one at most.
    void suspend(bool suspended);
    bool suspended() const { return suspended_; }

private:
    explicit X11SaverSuspension(xcb_connection_t* connection) : connection_(connection) {}

    xcb_connection_t* connection_;
    bool suspended_ = false;
};

} // namespace platform
