#pragma once
// The running state of a timeline: its display list and frame counter. Sprites placed on it
// get their own player, so every nested sprite keeps its own frame counter.

#include "swf/Movie.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace swf {

class TimelinePlayer;

struct DisplayObject {
    std::uint16_t characterId = 0;
    QTransform matrix;
    ColorTransform colour;
    std::uint16_t ratio = 0;
    std::uint16_t clipDepth = 0;
    bool visible = true;
    std::unique_ptr<TimelinePlayer> sprite;
    // A morph shape's outline at the ratio it was last drawn with.
    mutable std::optional<std::pair<std::uint16_t, ShapeGeometry>> morphCache;
};

class TimelinePlayer {
public:
    // Shows the first frame at once. ancestors are the sprites this one is nested in; a
    // sprite among them or nesting past the movie's limit is not instantiated.
    TimelinePlayer(const Movie& movie, const Timeline& timeline, std::vector<std::uint16_t> ancestors = {});
    ~TimelinePlayer();

    // Runs one frame: nested sprites step first, then this timeline's next frame; after the
    // last frame the timeline starts again.
    void advance();

    // 1-based number of the frame shown.
    int currentFrame() const { return frame_ + 1; }
    int frameCount() const { return static_cast<int>(timeline_.frames.size()); }
    const std::map<std::uint16_t, DisplayObject>& displayList() const { return list_; }

private:
    void runFrame(int index, bool rewinding);
    void apply(const PlaceCommand& command, std::map<std::uint16_t, DisplayObject>& previous);
    void attachSprite(DisplayObject& object);

    const Movie& movie_;
    const Timeline& timeline_;
    std::vector<std::uint16_t> ancestors_;
    int frame_ = 0;
    std::map<std::uint16_t, DisplayObject> list_;
};

} // namespace swf
