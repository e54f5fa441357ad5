#include "swf/PlayerThread.h"

#include "swf/DrawingPool.h"
#include "swf/FrameClock.h"
#include "swf/MoviePlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace swf {

namespace {

// A player further behind than this restarts its clock instead of running every missed
// frame, so that a long stall cannot turn into a burst of catching up.
constexpr double kMostSecondsBehind = 2.0;

} // namespace

struct PlayerThread::Shared {
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
    std::function<void()> news;
    std::function<void()> beforeDrawing;
    // From the player's thread.
    Shown shown;
};

PlayerThread::PlayerThread(std::function<void()> news) : shared_(std::make_shared<Shared>())
{
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->news = std::move(news);
    }
    startOnDrawingPool([shared = shared_, stop = stop_.get_token()] { run(stop, shared); });
}

PlayerThread::~PlayerThread()
{
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->news = nullptr;
        shared_->beforeDrawing = nullptr;
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
    shared_->wake.notify_all();
}

void PlayerThread::setBeforeDrawing(std::function<void()> hook)
{
    const std::lock_guard lock(shared_->mutex);
    shared_->beforeDrawing = std::move(hook);
}

PlayerThread::Shown PlayerThread::shown() const
{
    const std::lock_guard lock(shared_->mutex);
    return shared_->shown;
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
    const auto hasFrames = [&player] { return player.hasMovie() && !player.movie()->timeline.frames.empty(); };
    std::unique_lock lock(shared->mutex);
    while (!stop.stop_requested()) {
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
            if (shared->news)
                shared->news();
            clockRunning = false;
            redraw = true;
        }
        if (!shared->playing || !hasFrames()) {
            clockRunning = false;
        } else if (!clockRunning) {
            clock.restart(player.movie()->frameRate, 0, elapsed.elapsed());
            clockFrame = 0;
            clockRunning = true;
        } else {
            const qint64 now = elapsed.elapsed();
            const qint64 due = clock.dueFrame(now);
            // A movie that has stopped is not drawn again until it moves.
            if (double(due - clockFrame) > kMostSecondsBehind * clock.rate()) {
                redraw = player.advance() || redraw;
                clockFrame = 0;
                clock.restart(clock.rate(), 0, now);
            } else {
                // Every due frame runs, as the display list depends on each, but only
                // the last is drawn.
                for (; clockFrame < due; ++clockFrame)
                    redraw = player.advance() || redraw;
            }
            shared->shown.currentFrame = player.currentFrame();
            shared->shown.framesAdvanced = player.framesAdvanced();
        }
        // Both operands run: a change of picture asked for while the file was read is
        // drawn by the same frame, not by a second one.
        redraw = std::exchange(shared->pictureChanged, false) || redraw;
        if (redraw && !shared->size.isEmpty()) {
            const QSize size = shared->size;
            const QColor background = shared->background.value_or(player.movieBackground());
            const std::function<void()> beforeDrawing = shared->beforeDrawing;
            lock.unlock();
            if (beforeDrawing)
                beforeDrawing();
            const QImage image = player.render(size, background);
            lock.lock();
            redraw = false;
            // A frame of what played before a new file was asked for is not shown.
            if (shared->pendingLoad)
                continue;
            shared->shown.image = image;
            shared->shown.current = true;
            ++shared->shown.framesDrawn;
            if (shared->news)
                shared->news();
            // Commands may have come while drawing.
            continue;
        }
        if (clockRunning) {
            const auto wait = std::chrono::milliseconds(clock.msUntil(clockFrame + 1, elapsed.elapsed()));
            shared->wake.wait_for(lock, stop, wait, [&] {
                return shared->pendingLoad || shared->pictureChanged || !shared->playing;
            });
        } else {
            shared->wake.wait(lock, stop, [&] {
                return shared->pendingLoad || shared->pictureChanged || (shared->playing && hasFrames());
            });
        }
    }
}

} // namespace swf
