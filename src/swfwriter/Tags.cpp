#include "swfwriter/Tags.h"

#include <limits>

namespace swf::write {

namespace {

std::uint8_t placeFlags(const PlaceObject& place)
{
    std::uint8_t flags = 0;
    if (place.clipDepth)
        flags |= 0x40;
    if (place.name)
        flags |= 0x20;
    if (place.ratio)
        flags |= 0x10;
    if (place.colorTransform)
        flags |= 0x08;
    if (place.matrix)
        flags |= 0x04;
    if (place.characterId)
        flags |= 0x02;
    if (place.move)
        flags |= 0x01;
    return flags;
}

std::vector<std::uint8_t> encodePlacement(const PlaceObject& place, bool secondFlagByte)
{
    ByteWriter out;
    out.u8(placeFlags(place));
    if (secondFlagByte)
        out.u8(0); // no class name, image, bitmap caching, blend mode or filters
    out.u16(place.depth);
    if (place.characterId)
        out.u16(*place.characterId);
    if (place.matrix)
        writeMatrix(out, *place.matrix);
    if (place.colorTransform)
        writeCxForm(out, *place.colorTransform);
    if (place.ratio)
        out.u16(*place.ratio);
    if (place.name)
        out.string(*place.name);
    if (place.clipDepth)
        out.u16(*place.clipDepth);
    return out.take();
}

} // namespace

std::vector<std::uint8_t> encodeTag(const Tag& tag, bool forceLongHeader)
{
    constexpr std::size_t kLongLength = 0x3f;
    const auto code = static_cast<std::uint16_t>(tag.code);
    require(code < 1024, "tag code out of range");
    require(tag.body.size() <= std::numeric_limits<std::uint32_t>::max(), "tag too long");
    ByteWriter out;
    const auto codeBits = static_cast<std::uint16_t>(code << 6);
    if (tag.body.size() < kLongLength && !forceLongHeader) {
        out.u16(static_cast<std::uint16_t>(codeBits | tag.body.size()));
    } else {
        out.u16(static_cast<std::uint16_t>(codeBits | kLongLength));
        out.u32(static_cast<std::uint32_t>(tag.body.size()));
    }
    out.bytes(tag.body);
    return out.take();
}

Tag showFrame()
{
    return {TagCode::ShowFrame, {}};
}

Tag endTag()
{
    return {TagCode::End, {}};
}

Tag setBackgroundColor(Rgba color)
{
    ByteWriter out;
    writeRgb(out, color);
    return {TagCode::SetBackgroundColor, out.take()};
}

Tag fileAttributes()
{
    // No network access, no metadata, no ActionScript 3: every flag clear.
    ByteWriter out;
    out.u32(0);
    return {TagCode::FileAttributes, out.take()};
}

Tag placeObject2(const PlaceObject& place)
{
    return {TagCode::PlaceObject2, encodePlacement(place, false)};
}

Tag placeObject3(const PlaceObject& place)
{
    return {TagCode::PlaceObject3, encodePlacement(place, true)};
}

Tag removeObject2(std::uint16_t depth)
{
    ByteWriter out;
    out.u16(depth);
    return {TagCode::RemoveObject2, out.take()};
}

} // namespace swf::write
