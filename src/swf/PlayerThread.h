#pragma once
// Plays one movie on a thread of its own, taken from Qt's pool (DrawingPool.h): reads the
// file, runs the frames as they fall due at the movie's rate and draws each into an image,
// so that nothing a movie asks for can hold up the thread that answers the user. Its owner
// sends commands and takes the pixels that changed.
//
// Why it is safe: the movie, its running timeline and its renderer are made, used and
// destroyed on the player's thread alone; no other thread ever sees them. What the threads
// share, the commands, a picture and the counters, is guarded by one mutex, which the
// player's thread holds to take commands, to run the frames due (quick: drawing is the slow
// part) and to hand a frame over, never while it reads a file or draws. A frame crosses
// uncopied: the player's thread hands the renderer's frame over under the mutex, and the
// owner shows it, or copies what changed into a picture of its own, under the mutex too. The
// renderer draws the next frame into its other one, and draws into a frame only while no
// copy of it is held elsewhere; a presenter keeping one leaves that memory to it.
// The owner hears of a new frame by a call it gives, made under the mutex, so that no call
// comes after the owner withdrew it. An owner that can put frames on the screen from any
// thread may give a direct show instead, called under the mutex too: a frame it shows is
// not news, and the owner's thread sleeps through it.
//
// The thread sleeps from one frame to the next, and for good while nothing is to be done:
// while paused, and while the movie rests (no timeline plays and no action ran), since each
// frame would then leave it as it is. The frames that fall due meanwhile are counted by the
// clock rather than run.
//
// A new file does not blank what is on show: the last frame stays until the new movie's
// first frame replaces it, so changing movies never flashes the default white between them.
//
// Destruction does not wait for a frame being drawn or a file being read: the thread is
// told to stop and goes back to the pool once it has; the application waits for it at the
// latest when it ends, so that closing a movie never waits for it.

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>

#include "swf/FrameMemory.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace swf {

class PlayerThread {
public:
    // What the owner sees of the movie.
    struct Shown {
        // Whether the picture is of the file set last, read since it was set.
        bool current = false;
        // 1-based frame of the main timeline shown; 0 without a movie.
        int currentFrame = 0;
        qint64 framesAdvanced = 0;
        // From the call to load until the file is read, found unreadable or refused.
        bool loading = false;
        // The colour of the movie read last, known as soon as it is read.
        std::optional<QColor> movieBackground;
        // Frames handed over since the player started: it tells a new frame from other news.
        // A frame that changed no pixel is not handed over and not counted.
        qint64 framesDrawn = 0;
    };

    // `news` is called on the player's thread whenever there is something new to take: a
    // file read (or found unreadable), or a frame drawn.
    explicit PlayerThread(std::function<void()> news);
    ~PlayerThread();
    PlayerThread(const PlayerThread&) = delete;
    PlayerThread& operator=(const PlayerThread&) = delete;

    // Replaces what played: the file is read on the player's thread and its first frame
    // drawn at once; frames run from then on while playing.
    void load(const QString& path);
    // Time spent paused is not caught up.
    void setPlaying(bool playing);
    // The size frames are drawn at, in device pixels, and the colour around and behind the
    // movie (without one, the movie's own or white).
    void setPicture(const QSize& size, const std::optional<QColor>& background);
    // Where frames are drawn from the next one on; by default the heap.
    void setFrameMemory(FrameMemory memory);
    // For tests: called on the player's thread before each frame is drawn.
    void setBeforeDrawing(std::function<void()> hook);
    // For tests: stands in for the renderer's account of the device pixels a frame changed,
    // given the frame drawn and that account, on the player's thread.
    using ChangeReport = std::function<QRegion(const QImage& frame, const QRegion& changed)>;
    void setChangeReport(ChangeReport report);

    // Puts a frame's changed device pixels on the screen from the player's thread, so that
    // the owner's thread need not wake for them: given the frame handed over and the pixels
    // the owner has yet to show, under the thread's lock. True when it put them all; the
    // owner then hears nothing of that frame. Called for no movie's first frame, whose news
    // the owner hears in any case.
    using DirectShow = std::function<bool(const QImage& frame, const QRegion& changed)>;
    void setDirectShow(DirectShow show);

    Shown shown() const;
    // Brings `picture`, an image of the owner's own, up to date with the last frame handed
    // over: copies the device pixels changed since it last did, or the whole frame when the
    // size differs, and returns them; empty when nothing changed or no frame has been drawn.
    QRegion takePicture(QImage& picture) const;
    // Shows the device pixels changed since it last did, or the whole frame after a change
    // of size, through show, which is given the last frame handed over: opaque, its
    // premultiplied pixels the same bytes as 32-bit RGB ones. It reads the frame under the
    // thread's lock, so that no frame is handed over meanwhile; a copy it keeps leaves the
    // frame's memory to it, and the renderer draws into other memory.
    // Returns those pixels; empty when nothing changed or no frame has been drawn.
    using Show = std::function<void(const QImage& frame, const QRegion& changed)>;
    QRegion showChanges(const Show& show) const;
    // Waits, at most `most`, until the file set last has been read or found unreadable;
    // false if it still is not.
    bool waitUntilRead(std::chrono::milliseconds most) const;

private:
    struct Shared;
    static void run(const std::stop_token& stop, const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_;
    std::stop_source stop_;
};

} // namespace swf
