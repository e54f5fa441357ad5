#pragma once
// Timelines built tag by tag: a movie's root, or a sprite's, which defineSprite() turns
// into the tag that defines the sprite.

#include "swfwriter/Tags.h"

#include <cstdint>
#include <vector>

namespace swf::write {

// A list of control tags and the frames they make: the root of a movie, or a sprite.
class TimelineBuilder {
public:
    void add(Tag tag);
    void place(const PlaceObject& place) { add(placeObject2(place)); }
    void remove(std::uint16_t depth) { add(removeObject2(depth)); }
    void showFrame();

    std::uint16_t frameCount() const { return frames_; }
    const std::vector<Tag>& tags() const { return tags_; }
    // Every tag with its header, then the end tag.
    std::vector<std::uint8_t> encode() const;

private:
    std::vector<Tag> tags_;
    std::uint16_t frames_ = 0;
};

Tag defineSprite(std::uint16_t id, const TimelineBuilder& timeline);

} // namespace swf::write
