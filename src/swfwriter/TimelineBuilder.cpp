#include "swfwriter/TimelineBuilder.h"

#include <limits>

namespace swf::write {

void TimelineBuilder::add(Tag tag)
{
    if (tag.code == TagCode::ShowFrame) {
        require(frames_ < std::numeric_limits<std::uint16_t>::max(), "too many frames");
        ++frames_;
    }
    tags_.push_back(std::move(tag));
}

void TimelineBuilder::showFrame()
{
    add(write::showFrame());
}

std::vector<std::uint8_t> TimelineBuilder::encode() const
{
    ByteWriter out;
    for (const Tag& tag : tags_)
        out.bytes(encodeTag(tag));
    out.bytes(encodeTag(endTag()));
    return out.take();
}

Tag defineSprite(std::uint16_t id, const TimelineBuilder& timeline)
{
    ByteWriter out;
    out.u16(id);
    out.u16(timeline.frameCount());
    out.bytes(timeline.encode());
    return {TagCode::DefineSprite, out.take()};
}

} // namespace swf::write
