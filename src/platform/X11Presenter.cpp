#include "platform/X11Presenter.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QTransform>
#include <QWidget>

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace platform {

namespace {

// A colour-wheel frame is at most a few hundred kilobytes; with room for it in the
// send buffer the flush never waits for the server to read (Linux doubles the figure).
constexpr int WantedSendBuffer = 1 << 20;
// A PutImage request before its pixels.
constexpr std::uint32_t PutImageHeader = 24;
// Frames put from where they lie that may wait at once for the server to read them; past
// these the server is behind, and the next goes through the presenter's own memory.
constexpr std::size_t MostFramesReading = 3;

void widenSendBuffer(xcb_connection_t* connection)
{
    const int descriptor = xcb_get_file_descriptor(connection);
    int size = 0;
    socklen_t length = sizeof size;
    if (getsockopt(descriptor, SOL_SOCKET, SO_SNDBUF, &size, &length) == 0 && size < WantedSendBuffer) {
        const int wanted = WantedSendBuffer;
        // Refused or capped by the system's limit, the flush waits now and then; no harm.
        setsockopt(descriptor, SOL_SOCKET, SO_SNDBUF, &wanted, sizeof wanted);
    }
}

// The window's depth when its pixels are 32 bits of 8-bit red, green and blue in this
// machine's byte order: the picture's own layout, sent as it is.
std::optional<std::uint8_t> depthTakingThePicturesPixels(xcb_connection_t* connection, xcb_window_t window)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const bool littleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if (setup->image_byte_order != (littleEndian ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST))
        return std::nullopt;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    std::optional<std::uint8_t> depth;
    if (geometry && attributes) {
        bool formatFits = false;
        for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem; xcb_format_next(&format))
            if (format.data->depth == geometry->depth)
                formatFits = format.data->bits_per_pixel == 32 && format.data->scanline_pad == 32;
        bool visualFits = false;
        for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen))
                for (auto allowed = xcb_screen_allowed_depths_iterator(screen.data); allowed.rem; xcb_depth_next(&allowed))
                for (auto visual = xcb_depth_visuals_iterator(allowed.data); visual.rem; xcb_visualtype_next(&visual))
                    if (visual.data->visual_id == attributes->visual)
                        visualFits = visual.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                                     visual.data->red_mask == 0xff0000u && visual.data->green_mask == 0xff00u &&
                                     visual.data->blue_mask == 0xffu;
        if (formatFits && visualFits && (geometry->depth == 24 || geometry->depth == 32))
            depth = geometry->depth;
    }
    std::free(geometry);
    std::free(attributes);
    return depth;
}

// An opaque premultiplied picture is the same bytes as a 32-bit RGB one: either is sent as
// it is.
bool sentAsItIs(const QImage& picture)
{
    return picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32_Premultiplied;
}

struct SharedBeside {
    xcb_connection_t* connection;
    std::unique_ptr<SharedImageMemory> memory;
};

// A connection of its own to the toolkit's server, with memory shared with it; nothing
// when the server shares none with this process.
std::optional<SharedBeside> sharedMemoryBeside(xcb_connection_t* toolkits)
{
    xcb_connection_t* own = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(own)) {
        // The display the environment names is, as a rule, the one the toolkit opened: the
        // same roots and maker tell.
        const xcb_setup_t* ours = xcb_get_setup(own);
        const xcb_setup_t* theirs = xcb_get_setup(toolkits);
        const auto root = [](const xcb_setup_t* setup) { return xcb_setup_roots_iterator(setup).data->root; };
        const bool sameServer = ours->release_number == theirs->release_number && ours->roots_len == theirs->roots_len &&
                                root(ours) == root(theirs) && xcb_setup_vendor_length(ours) == xcb_setup_vendor_length(theirs) &&
                                std::memcmp(xcb_setup_vendor(ours), xcb_setup_vendor(theirs),
                                            static_cast<std::size_t>(xcb_setup_vendor_length(ours))) == 0;
        if (sameServer)
            if (auto memory = SharedImageMemory::make(own))
                return SharedBeside{own, std::move(memory)};
    }
    xcb_disconnect(own);
    return std::nullopt;
}

} // namespace

std::unique_ptr<X11Presenter> X11Presenter::make(QWidget& widget, xcb_connection_t* connection)
{
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    if (auto shared = sharedMemoryBeside(connection)) {
        xcb_connection_t* own = shared->connection;
        const std::uint32_t maxRequestBytes = xcb_get_maximum_request_length(own) * 4u;
        if (maxRequestBytes > PutImageHeader) {
            widenSendBuffer(own);
            return std::unique_ptr<X11Presenter>(
                new X11Presenter(widget, connection, own, maxRequestBytes, std::move(shared->memory)));
        }
        shared->memory.reset();
        xcb_disconnect(own);
    }
    const std::uint32_t maxRequestBytes = xcb_get_maximum_request_length(connection) * 4u;
    if (maxRequestBytes <= PutImageHeader)
        return nullptr;
    widenSendBuffer(connection);
    return std::unique_ptr<X11Presenter>(new X11Presenter(widget, connection, connection, maxRequestBytes, nullptr));
}

X11Presenter::X11Presenter(QWidget& widget, xcb_connection_t* toolkits, xcb_connection_t* connection,
                           std::uint32_t maxRequestBytes, std::unique_ptr<SharedImageMemory> shared)
    : widget_(widget), toolkits_(toolkits), connection_(connection), shared_(std::move(shared)),
      maxRequestBytes_(maxRequestBytes)
{
    if (shared_) {
        frames_ = SharedFrames::make(connection_);
        widget_.installEventFilter(this);
        watchLineage();
        // Run out of events, the widget's thread has seen every change to the place.
        if (auto* dispatcher = QAbstractEventDispatcher::instance(thread()))
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &X11Presenter::findPlace);
    }
}

DirectPresenter::FrameMemory X11Presenter::frameMemory()
{
    if (!frames_)
        return {};
    return [frames = frames_](const QSize& size, QImage::Format format) { return frames->frame(size, format); };
}

void X11Presenter::finish()
{
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

X11Presenter::~X11Presenter()
{
    if (shared_) {
        // The connection is the presenter's own, and goes with it.
        if (gc_)
            xcb_free_gc(connection_, gc_);
        reading_.clear();
        frames_->disconnect();
        shared_.reset();
        xcb_disconnect(connection_);
        return;
    }
    // The connection goes with the application; a presenter outliving it leaves the
    // server to free the context with the connection.
    if (gc_ && QGuiApplication::instance())
        xcb_free_gc(connection_, gc_);
}

bool X11Presenter::follow(QWindow* window)
{
    const auto drawable = static_cast<std::uint32_t>(window->winId());
    if (window == window_ && drawable == drawable_)
        return gc_ != 0;
    if (window_)
        window_->removeEventFilter(this);
    if (gc_)
        xcb_free_gc(connection_, gc_);
    gc_ = 0;
    window_ = window;
    drawable_ = drawable;
    clip_ = QRegion();
    window->installEventFilter(this);
    const std::optional<std::uint8_t> depth = depthTakingThePicturesPixels(connection_, drawable_);
    if (!depth)
        return false;
    depth_ = *depth;
    gc_ = xcb_generate_id(connection_);
    const std::array<std::uint32_t, 1> noExposures{0};
    xcb_create_gc(connection_, gc_, drawable_, XCB_GC_GRAPHICS_EXPOSURES, noExposures.data());
    return true;
}

QRegion X11Presenter::visibleArea() const
{
    QRegion area = widget_.visibleRegion();
    // A popup child (a menu, a tooltip) is a window of its own, placed in screen
    // coordinates: the server keeps it above the picture, and its geometry says nothing
    // of where it lies on the widget.
    for (const QObject* child : widget_.children())
        if (const auto* childWidget = qobject_cast<const QWidget*>(child);
            childWidget && childWidget->isVisible() && !childWidget->isWindow())
            area -= childWidget->geometry();
    return area;
}

void X11Presenter::setClip(const QRegion& deviceRegion)
{
    if (deviceRegion == clip_)
        return;
    clip_ = deviceRegion;
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect& rect : deviceRegion)
        rectangles.push_back({static_cast<std::int16_t>(rect.x()), static_cast<std::int16_t>(rect.y()),
                              static_cast<std::uint16_t>(rect.width()), static_cast<std::uint16_t>(rect.height())});
    xcb_set_clip_rectangles(connection_, XCB_CLIP_ORDERING_UNSORTED, gc_, 0, 0,
                            static_cast<std::uint32_t>(rectangles.size()), rectangles.data());
}

void X11Presenter::waitForToolkitsPainting()
{
    if (std::exchange(toolkitPainted_, false))
        std::free(xcb_get_input_focus_reply(toolkits_, xcb_get_input_focus(toolkits_), nullptr));
}

bool X11Presenter::catchUp()
{
    // Errors of requests about a window already gone come as events; nobody else reads
    // this connection's.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
        std::free(event);
    if (xcb_connection_has_error(connection_))
        return false;
    letGoOfRead();
    return true;
}

void X11Presenter::watchLineage()
{
    std::vector<QPointer<QWidget>> lineage;
    for (QWidget* parent = widget_.parentWidget(); parent; parent = parent->parentWidget())
        lineage.emplace_back(parent);
    if (lineage == lineage_)
        return;
    for (const QPointer<QWidget>& parent : lineage_)
        if (parent)
            parent->removeEventFilter(this);
    lineage_ = std::move(lineage);
    for (const QPointer<QWidget>& parent : lineage_)
        parent->installEventFilter(this);
}

void X11Presenter::findPlace()
{
    const std::lock_guard lock(mutex_);
    if (place_ || !frames_)
        return;
    watchLineage();
    QWindow* window = widget_.window()->windowHandle();
    if (!widget_.isVisible() || !window || !window->isExposed() || !follow(window))
        return;
    const qreal dpr = window->devicePixelRatio();
    // As present() finds them, for the whole widget.
    const QPoint origin = widget_.mapTo(widget_.window(), QPoint(0, 0));
    place_ = Place{QTransform::fromScale(dpr, dpr).map(visibleArea().translated(origin)), origin * dpr,
                   (QSizeF(widget_.size()) * dpr).toSize()};
}

bool X11Presenter::presentOffThread(const QImage& picture, const QRegion& changed)
{
    const std::lock_guard lock(mutex_);
    if (!place_ || !sentAsItIs(picture) || picture.size() != place_->pictureSize || !catchUp())
        return false;
    const QRegion clip = changed.translated(place_->origin) & place_->visible;
    const QRect source = clip.boundingRect().translated(-place_->origin) & picture.rect();
    if (source.isEmpty())
        return true;
    if (static_cast<std::uint32_t>(source.width()) * 4u > maxRequestBytes_ - PutImageHeader)
        return false;
    setClip(clip);
    waitForToolkitsPainting();
    return putInPlace(picture, source, place_->origin + source.topLeft());
}

bool X11Presenter::present(const QImage& picture, const QRect& changed)
{
    const std::lock_guard lock(mutex_);
    if (shared_ && !catchUp())
        return false;
    QWindow* window = widget_.window()->windowHandle();
    if (!widget_.isVisible() || !window || !window->isExposed() || !sentAsItIs(picture) || !follow(window))
        return false;
    const qreal dpr = window->devicePixelRatio();
    if (picture.size() != (QSizeF(widget_.size()) * dpr).toSize())
        return false;
    // The device pixels the toolkit paints for the widget, and where its picture starts:
    // at a fractional scale the toolkit rounds each edge and the widget's origin to the
    // nearest device pixel, so that a row or column an edge cuts belongs to one side only.
    // Rounding outward would write over the parent's last row above the widget and a
    // child's last column.
    const QPoint origin = widget_.mapTo(widget_.window(), QPoint(0, 0));
    const QRegion clip = QTransform::fromScale(dpr, dpr).map((visibleArea() & changed).translated(origin));
    const QPoint pictureOrigin = origin * dpr;
    const QRect source = clip.boundingRect().translated(-pictureOrigin) & picture.rect();
    if (source.isEmpty())
        return true;
    const std::uint32_t stride = static_cast<std::uint32_t>(source.width()) * 4u;
    if (stride > maxRequestBytes_ - PutImageHeader)
        return false;

    setClip(clip);
    const QPoint target = pictureOrigin + source.topLeft();

    if (shared_)
        waitForToolkitsPainting();
    if (frames_ && putInPlace(picture, source, target))
        return true;
    if (shared_ && source.height() <= UINT16_MAX && shared_->ready()) {
        const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(source.height());
        if (std::uint8_t* memory = shared_->reserve(bytes)) {
            for (int row = 0; row < source.height(); ++row)
                std::memcpy(memory + static_cast<std::size_t>(row) * stride,
                            picture.constScanLine(source.top() + row) + source.left() * 4, stride);
            shared_->put(drawable_, gc_, static_cast<std::uint16_t>(source.width()),
                         static_cast<std::uint16_t>(source.height()), static_cast<std::int16_t>(target.x()),
                         static_cast<std::int16_t>(target.y()), depth_);
            return true;
        }
    }

    const int rowsPerRequest = static_cast<int>((maxRequestBytes_ - PutImageHeader) / stride);
    for (int top = source.top(); top <= source.bottom(); top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, source.bottom() + 1 - top);
        rows_.resize(static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row)
            std::memcpy(rows_.data() + static_cast<std::size_t>(row) * stride,
                        picture.constScanLine(top + row) + source.left() * 4, stride);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable_, gc_, static_cast<std::uint16_t>(source.width()),
                      static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(target.x()),
                      static_cast<std::int16_t>(target.y() + top - source.top()), 0,
                      depth_,
                      static_cast<std::uint32_t>(rows_.size()), rows_.data());
    }
    xcb_flush(connection_);
    return true;
}

bool X11Presenter::putInPlace(const QImage& picture, const QRect& source, const QPoint& target)
{
    const std::optional<SharedFrames::Place> place = frames_->find(picture);
    // A frame put in several rectangles waits once.
    const bool again = !reading_.empty() && reading_.back().frame.constBits() == picture.constBits();
    if (!place || (!again && reading_.size() >= MostFramesReading))
        return false;
    // The frame's rows are packed: its width in pixels is its stride.
    xcb_shm_put_image(connection_, drawable_, gc_, static_cast<std::uint16_t>(picture.bytesPerLine() / 4),
                      static_cast<std::uint16_t>(picture.height()), static_cast<std::uint16_t>(source.x()),
                      static_cast<std::uint16_t>(source.y()), static_cast<std::uint16_t>(source.width()),
                      static_cast<std::uint16_t>(source.height()), static_cast<std::int16_t>(target.x()),
                      static_cast<std::int16_t>(target.y()), depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, place->segment,
                      place->offset);
    // Requests are served in order: the answer to this one comes after the frame is read.
    const std::uint32_t answer = xcb_get_input_focus(connection_).sequence;
    if (again)
        reading_.back().answer = answer;
    else
        reading_.push_back({answer, picture});
    xcb_flush(connection_);
    return true;
}

void X11Presenter::letGoOfRead()
{
    while (!reading_.empty()) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        // Reads what has come without waiting for more.
        if (!xcb_poll_for_reply(connection_, reading_.front().answer, &reply, &error))
            return;
        std::free(reply);
        std::free(error);
        reading_.pop_front();
    }
}

bool X11Presenter::eventFilter(QObject* watched, QEvent* event)
{
    {
        // Whatever happens to the widget, its parents or its window may move, cover or
        // reveal it, or paint over it: frames wait for the widget's thread to look again.
        const std::lock_guard lock(mutex_);
        place_.reset();
        if (watched == &widget_ && event->type() == QEvent::Paint)
            toolkitPainted_ = true;
    }
    // Uncovered, the window would show the toolkit's stale copy of the widget: the
    // widget repaints from its picture first.
    if (watched == window_ && event->type() == QEvent::Expose)
        widget_.update();
    return false;
}

} // namespace platform
