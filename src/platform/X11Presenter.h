#pragma once
// The X11 presenter: the changed rows go to the top-level window, clipped to the part of
// the widget that is neither hidden nor under a child of its own. Where the server shares
// memory with this process, they go through shared memory on a connection of the
// presenter's own, whose answers pacing that memory no other thread waits for; otherwise
// with a plain PutImage on the toolkit's connection. Nothing waits for the server: a frame
// that finds it still reading the last one goes the plain way, and the connection's send
// buffer holds a frame, so the thread sleeps only between frames. A frame drawn in the
// presenter's own shared memory (frameMemory()) goes out from where it lies, uncopied.
//
// The toolkit's copy of the window then lags behind the screen, which matters only
// when it shows that copy without repainting it: when the window is uncovered. So each
// exposure of the window marks the widget for a repaint from its picture. A widget laid
// over this one must be its child, or opaque, to be cut out of what is drawn.
//
// Frames in the presenter's own memory may also go out from another thread (a movie's
// player), so that the widget's thread sleeps while they play. That thread reads nothing of
// the widget: it uses the place the widget's thread last found, which any event of the
// widget, its parents or its window makes unknown until the widget's thread next runs out
// of events, and finds it again. Whatever the toolkit paints in the window comes with such
// an event, so no frame goes out by an outdated place over what it painted.

#include "platform/DirectPresenter.h"
#include "platform/SharedFrames.h"
#include "platform/SharedImageMemory.h"

#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWindow>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace platform {

class X11Presenter final : public QObject, public DirectPresenter {
public:
    // Null when the server's pixels are not the picture's 32-bit RGB in this machine's
    // byte order.
    static std::unique_ptr<X11Presenter> make(QWidget& widget, xcb_connection_t* connection);
    ~X11Presenter() override;

    bool present(const QImage& picture, const QRect& changed) override;
    bool presentOffThread(const QImage& picture, const QRegion& changed) override;
    FrameMemory frameMemory() override;
    // Whether frames go through memory shared with the server.
    bool sharesMemory() const { return shared_ != nullptr; }
    // Waits until the server has drawn all it was asked to, for whoever reads the window
    // back through another connection.
    void finish();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    X11Presenter(QWidget& widget, xcb_connection_t* toolkits, xcb_connection_t* connection,
                 std::uint32_t maxRequestBytes, std::unique_ptr<SharedImageMemory> shared);
    // The top-level window's drawable, with the graphics context made for it; false
    // when its pixels are laid out otherwise than the picture's.
    bool follow(QWindow* window);
    // The widget's visible part, less the children inside its window, in its own logical
    // pixels.
    QRegion visibleArea() const;
    void setClip(const QRegion& deviceRegion);
    // Puts source of a frame in the presenter's own memory, from there, and keeps the frame
    // until the server has read it; false when too many wait for that already.
    bool putInPlace(const QImage& picture, const QRect& source, const QPoint& target);
    // Lets go of the frames the server has read, after the connection's errors; false when
    // the connection has failed.
    bool catchUp();
    // After the toolkit painted the widget on its own connection, waits for the server to
    // have drawn that, or it could land over a newer frame.
    void waitForToolkitsPainting();
    void letGoOfRead();
    // Finds the widget's place for frames put from another thread, when unknown.
    void findPlace();
    // Watches the widget and its parents for whatever may move, cover or reveal it.
    void watchLineage();

    QWidget& widget_;
    xcb_connection_t* toolkits_;
    // The connection drawn on, the presenter's own when it has shared memory.
    xcb_connection_t* connection_;
    std::unique_ptr<SharedImageMemory> shared_;
    std::shared_ptr<SharedFrames> frames_;
    // Frames put from where they lie, with the request whose answer says the server read them.
    struct Reading {
        std::uint32_t answer;
        QImage frame;
    };
    std::deque<Reading> reading_;
    // The server serves two connections' requests in no set order: after the toolkit
    // painted the widget on its own, its drawing is waited for before a frame goes out on
    // the presenter's, or it could land over the newer frame.
    bool toolkitPainted_ = true;
    std::uint32_t maxRequestBytes_;
    QPointer<QWindow> window_;
    std::uint32_t drawable_ = 0;
    std::uint32_t gc_ = 0;
    std::uint8_t depth_ = 24;
    QRegion clip_;
    std::vector<std::uint8_t> rows_;
    // Where frames put from another thread go, as the widget's thread last found it.
    struct Place {
        // The device pixels of the window the widget shows.
        QRegion visible;
        // Where the picture's top left lies in the window, and its size, in device pixels.
        QPoint origin;
        QSize pictureSize;
    };
    std::optional<Place> place_;
    std::vector<QPointer<QWidget>> lineage_;
    // Guards the drawing state above against the two threads that present.
    std::mutex mutex_;
};

} // namespace platform
