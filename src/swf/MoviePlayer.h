#pragma once
// One playing movie without a window: the loaded movie, its running timeline and the count
// of frames run, drawn on request. The player widget runs one on its player thread.

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

namespace swf {

class MoviePlayer {
public:
    // Replaces what played. A missing, unreadable or corrupt file leaves the player empty, and
    // so does a movie refused for asking more than its budgets allow, which is said on stderr.
    void load(const QString& path);
    void clear();
    // Where the frames of this movie and those loaded later are drawn.
    void setFrameMemory(FrameMemory memory);

    bool hasMovie() const { return root_ != nullptr; }
    const Movie* movie() const { return movie_.get(); }
    // 1-based frame of the main timeline shown; 0 without a movie.
    int currentFrame() const { return root_ ? root_->currentFrame() : 0; }
    qint64 framesAdvanced() const { return advanced_; }

    // Runs the movie's next frame; returns whether the picture may have changed, which it
    // has not when every timeline rests.
    bool advance();

    // The movie's own background, or white when it sets none or nothing is loaded.
    QColor movieBackground() const;
    // The stage shown with showAll placement in an image of size device pixels, the border
    // in the background colour; without a movie only the background.
    QImage render(const QSize& size, const QColor& background) const;
    // The device pixels in which the last image rendered may differ from the one before.
    QRegion changed() const;

private:
    std::shared_ptr<const Movie> movie_;
    std::unique_ptr<TimelinePlayer> root_;
    // Kept with the movie: it draws every frame into the same memory.
    std::unique_ptr<Renderer> renderer_;
    FrameMemory frameMemory_;
    qint64 advanced_ = 0;
    mutable QRegion changed_;
};

} // namespace swf
