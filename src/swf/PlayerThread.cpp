#include "swf/PlayerThread.h"

#include "swf/DrawingPool.h"
#include "swf/FrameClock.h"
#include "swf/MoviePlayer.h"
#include "swf/PixelCopy.h"

#include <QElapsedTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace swf {

namespace {

// A player further behind than this restarts its clock instead of running every missed
// frame, so that a long stall cannot turn into a burst of catching up.
constexpr double kMostSecondsBehind = 2.0;

// Frames are opaque, so the renderer's premultiplied pixels are the same bytes as plain
// 32-bit RGB ones, the form the owner's screen takes them in.
constexpr QImage::Format kPictureFormat = QImage::Format_RGB32;

// A movie at rest, whose thread sleeps: the frames falling due meanwhile are counted by its
// clock from the one it came to rest on.
struct Rest {
    FrameClock clock;
    QElapsedTimer elapsed;
    qint64 from = 0;
    // Where a command that woke the thread stopped the count.
    std::optional<qint64> until;

    qint64 counted() const { return until.value_or(clock.dueFrame(elapsed.elapsed())) - from; }
};

} // namespace

struct PlayerThread::Shared {
    // A command that wakes a resting thread ends the count, so that the frames the owner
    // reads now are those the thread will have counted when it wakes.
    void endRest()
    {
        if (rest && !rest->until)
            rest->until = rest->clock.dueFrame(rest->elapsed.elapsed());
    }

    // Takes the frame as the picture and adds the pixels it changed to what the owner has
    // yet to take and to show; false when there were none. The frame is shared, not copied:
    // the renderer draws the next one into other memory while the owner reads this one.
    bool handOver(const QImage& frame, const QRegion& changed)
    {
        const bool resized = picture.size() != frame.size();
        picture = frame;
        if (resized) {
            pending = unshown = QRegion(frame.rect());
            return true;
        }
        bool any = false;
        for (const QRect& rect : changed) {
            const QRect inside = rect & frame.rect();
            if (inside.isEmpty())
                continue;
            // Built a rectangle at a time, the regions share nothing with the renderer's.
            addTo(pending, inside);
            addTo(unshown, inside);
            any = true;
        }
        return any;
    }

    // An owner that shows frames without taking them may not take them for long: what it has
    // yet to take is kept to a few rectangles.
    static void addTo(QRegion& region, const QRect& rect)
    {
        constexpr int kMostRectangles = 16;
        region += rect;
        if (region.rectCount() > kMostRectangles)
            region = region.boundingRect();
    }

    // Tells the owner there is news, letting `mutex` (held by `held`) go meanwhile: the
    // owner's thread, woken at once, would otherwise find it held and sleep again until
    // the player's thread reaches its wait, a second wake-up every frame.
    void tell(std::unique_lock<std::mutex>& held)
    {
        held.unlock();
        {
            const std::lock_guard lock(newsMutex);
            if (news)
                news();
        }
        held.lock();
    }

    mutable std::mutex mutex;
    std::condition_variable_any wake;
    // Tells the owner that a file has been read.
    std::condition_variable read;
    // From the owner.
    std::optional<QString> pendingLoad;
    bool playing = false;
    QSize size;
    std::optional<QColor> background;
    bool pictureChanged = false;
    FrameMemory frameMemory;
    bool frameMemoryChanged = false;
    std::function<void()> beforeDrawing;
    ChangeReport changeReport;
    DirectShow directShow;
    // From the player's thread.
    Shown shown;
    // The last frame handed over, in device pixels, and its part the owner has yet to take.
    QImage picture;
    // Changed since the owner last took the picture, and since it last showed it.
    QRegion pending;
    QRegion unshown;
    std::optional<Rest> rest;
    // Guards news alone, so that the owner can let it go while the player's thread tells.
    std::mutex newsMutex;
    std::function<void()> news;
};

PlayerThread::PlayerThread(std::function<void()> news) : shared_(std::make_shared<Shared>())
{
    {
        const std::lock_guard lock(shared_->newsMutex);
        shared_->news = std::move(news);
    }
    startOnDrawingPool([shared = shared_, stop = stop_.get_token()] { run(stop, shared); });
}

PlayerThread::~PlayerThread()
{
    {
        const std::lock_guard lock(shared_->newsMutex);
        shared_->news = nullptr;
    }
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->beforeDrawing = nullptr;
        shared_->directShow = nullptr;
    }
    stop_.request_stop();
}

void PlayerThread::load(const QString& path)
{
    const std::lock_guard lock(shared_->mutex);
    // The player's thread gets text of its own, shared with none of the caller's strings:
    // Qt counts the holders of shared text partly in code ThreadSanitizer cannot see, and
    // whichever thread let go last would seem to free it under the other.
    shared_->pendingLoad = QString(path.constData(), path.size());
    shared_->rest.reset();
    // What is on show stays until the new movie has a frame to replace it.
    shared_->shown.current = false;
    shared_->shown.loading = true;
    shared_->shown.currentFrame = 0;
    shared_->shown.framesAdvanced = 0;
    shared_->wake.notify_all();
}

void PlayerThread::setPlaying(bool playing)
{
    const std::lock_guard lock(shared_->mutex);
    if (!playing)
        shared_->endRest();
    shared_->playing = playing;
    shared_->wake.notify_all();
}

void PlayerThread::setPicture(const QSize& size, const std::optional<QColor>& background)
{
    const std::lock_guard lock(shared_->mutex);
    if (shared_->size == size && shared_->background == background)
        return;
    shared_->size = size;
    shared_->background = background;
    shared_->pictureChanged = true;
    shared_->endRest();
    shared_->wake.notify_all();
}

void PlayerThread::setFrameMemory(FrameMemory memory)
{
    const std::lock_guard lock(shared_->mutex);
    shared_->frameMemory = std::move(memory);
    shared_->frameMemoryChanged = true;
}

void PlayerThread::setBeforeDrawing(std::function<void()> hook)
{
    const std::lock_guard lock(shared_->mutex);
    shared_->beforeDrawing = std::move(hook);
}

void PlayerThread::setChangeReport(ChangeReport report)
{
    const std::lock_guard lock(shared_->mutex);
    shared_->changeReport = std::move(report);
}

void PlayerThread::setDirectShow(DirectShow show)
{
    const std::lock_guard lock(shared_->mutex);
    shared_->directShow = std::move(show);
}

PlayerThread::Shown PlayerThread::shown() const
{
    const std::lock_guard lock(shared_->mutex);
    Shown shown = shared_->shown;
    if (shared_->rest)
        shown.framesAdvanced += shared_->rest->counted();
    return shown;
}

QRegion PlayerThread::takePicture(QImage& picture) const
{
    const std::lock_guard lock(shared_->mutex);
    const QImage& shared = shared_->picture;
    if (shared.isNull())
        return {};
    QRegion taken;
    if (picture.size() != shared.size()) {
        picture = QImage(shared.size(), kPictureFormat);
        taken = QRegion(shared.rect());
    } else {
        for (const QRect& rect : shared_->pending)
            taken += rect;
    }
    for (const QRect& rect : taken)
        copyPixels(shared, picture, rect);
    shared_->pending = QRegion();
    return taken;
}

QRegion PlayerThread::showChanges(const Show& show) const
{
    const std::lock_guard lock(shared_->mutex);
    const QImage& shared = shared_->picture;
    if (shared.isNull() || shared_->unshown.isEmpty())
        return {};
    show(shared, shared_->unshown);
    return std::exchange(shared_->unshown, QRegion());
}

bool PlayerThread::waitUntilRead(std::chrono::milliseconds most) const
{
    std::unique_lock lock(shared_->mutex);
    return shared_->read.wait_for(lock, most, [this] { return !shared_->shown.loading; });
}

void PlayerThread::run(const std::stop_token& stop, const std::shared_ptr<Shared>& shared)
{
    MoviePlayer player;
    FrameClock clock;
    QElapsedTimer elapsed;
    elapsed.start();
    qint64 clockFrame = 0;
    bool clockRunning = false;
    bool redraw = false;
    // Whether the last frame run left the movie as it was: every frame after would too.
    bool resting = false;
    qint64 framesRested = 0;
    const auto hasFrames = [&player] { return player.hasMovie() && !player.movie()->timeline.frames.empty(); };
    const auto runFrame = [&] {
        resting = !player.advance();
        redraw = !resting || redraw;
    };
    std::unique_lock lock(shared->mutex);
    while (!stop.stop_requested()) {
        if (shared->rest) {
            const qint64 counted = shared->rest->counted();
            shared->rest.reset();
            clockFrame += counted;
            framesRested += counted;
            shared->shown.framesAdvanced += counted;
        }
        if (shared->pendingLoad) {
            const QString path = *std::exchange(shared->pendingLoad, std::nullopt);
            lock.unlock();
            player.load(path);
            lock.lock();
            // A later file asked for meanwhile replaces this one at once.
            if (shared->pendingLoad)
                continue;
            shared->shown.loading = false;
            shared->shown.currentFrame = player.currentFrame();
            shared->shown.movieBackground =
                player.movie() != nullptr ? std::optional(player.movie()->background) : std::nullopt;
            shared->read.notify_all();
            // The owner may paint the new movie's colour while its first frame is drawn.
            shared->tell(lock);
            clockRunning = false;
            redraw = true;
            resting = false;
            framesRested = 0;
        }
        if (!shared->playing || !hasFrames()) {
            clockRunning = false;
        } else if (!clockRunning) {
            clock.restart(player.movie()->frameRate, 0, elapsed.elapsed());
            clockFrame = 0;
            clockRunning = true;
        } else if (!resting) {
            const qint64 now = elapsed.elapsed();
            const qint64 due = clock.dueFrame(now);
            if (double(due - clockFrame) > kMostSecondsBehind * clock.rate()) {
                runFrame();
                clockFrame = 0;
                clock.restart(clock.rate(), 0, now);
            } else {
                // Every due frame runs, as the display list depends on each, but only
                // the last is drawn.
                for (; clockFrame < due && !resting; ++clockFrame)
                    runFrame();
                // Frames due after the movie came to rest would leave it as it is.
                framesRested += due - clockFrame;
                clockFrame = due;
            }
            shared->shown.currentFrame = player.currentFrame();
            shared->shown.framesAdvanced = player.framesAdvanced() + framesRested;
        }
        // Both operands run: a change of picture asked for while the file was read is
        // drawn by the same frame, not by a second one.
        redraw = std::exchange(shared->pictureChanged, false) || redraw;
        if (std::exchange(shared->frameMemoryChanged, false))
            player.setFrameMemory(shared->frameMemory);
        if (redraw && !shared->size.isEmpty()) {
            const QSize size = shared->size;
            const QColor background = shared->background.value_or(player.movieBackground());
            const std::function<void()> beforeDrawing = shared->beforeDrawing;
            const ChangeReport changeReport = shared->changeReport;
            lock.unlock();
            if (beforeDrawing)
                beforeDrawing();
            // Held only until it is handed over: the renderer draws the next frame into
            // the same memory when nothing else holds it.
            const QImage image = player.render(size, background);
            const QRegion changed = changeReport ? changeReport(image, player.changed()) : player.changed();
            lock.lock();
            redraw = false;
            // A frame of what played before a new file was asked for is not shown.
            if (shared->pendingLoad)
                continue;
            // A frame that changed nothing is not news, unless it is the new movie's first.
            const bool wasCurrent = std::exchange(shared->shown.current, true);
            if (shared->handOver(image, changed) || !wasCurrent) {
                ++shared->shown.framesDrawn;
                if (wasCurrent && shared->directShow && shared->directShow(shared->picture, shared->unshown))
                    shared->unshown = QRegion();
                else
                    shared->tell(lock);
            }
            // Commands may have come while drawing.
            continue;
        }
        const auto toldOtherwise = [&] {
            return shared->pendingLoad || shared->pictureChanged || !shared->playing;
        };
        if (clockRunning && !resting) {
            const auto wait = std::chrono::milliseconds(clock.msUntil(clockFrame + 1, elapsed.elapsed()));
            shared->wake.wait_for(lock, stop, wait, toldOtherwise);
        } else if (clockRunning) {
            shared->rest = Rest{clock, elapsed, clockFrame, std::nullopt};
            shared->wake.wait(lock, stop, toldOtherwise);
        } else {
            shared->wake.wait(lock, stop, [&] {
                return shared->pendingLoad || shared->pictureChanged || (shared->playing && hasFrames());
            });
        }
    }
}

} // namespace swf
