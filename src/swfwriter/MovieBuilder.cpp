#include "swfwriter/MovieBuilder.h"

#include <zlib.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace swf::write {

MovieBuilder::MovieBuilder(MovieHeader header) : header_(header) {}

std::uint16_t MovieBuilder::nextId()
{
    require(lastId_ < std::numeric_limits<std::uint16_t>::max(), "too many characters");
    return ++lastId_;
}

std::uint16_t MovieBuilder::defineShape(const Shape& shape, ShapeVersion version)
{
    static constexpr std::uint8_t firstFileVersion[] = {0, 1, 2, 3, 8};
    require(header_.version >= firstFileVersion[static_cast<int>(version)], "shape version too new for the file");
    const std::uint16_t id = nextId();
    root_.add(write::defineShape(id, shape, version));
    return id;
}

std::uint16_t MovieBuilder::defineMorphShape(const MorphShape& shape)
{
    require(header_.version >= 3, "morph shapes need file version 3");
    const std::uint16_t id = nextId();
    root_.add(write::defineMorphShape(id, shape));
    return id;
}

std::uint16_t MovieBuilder::defineSprite(const TimelineBuilder& timeline)
{
    const std::uint16_t id = nextId();
    root_.add(write::defineSprite(id, timeline));
    return id;
}

std::vector<std::uint8_t> MovieBuilder::encode() const
{
    ByteWriter body;
    writeRect(body, header_.stage);
    body.u16(static_cast<std::uint16_t>(std::lround(header_.frameRate * 256.0)));
    body.u16(root_.frameCount());
    if (header_.version >= 8)
        body.bytes(encodeTag(fileAttributes()));
    body.bytes(root_.encode());
    std::vector<std::uint8_t> content = body.take();

    constexpr std::size_t kHeaderSize = 8;
    const std::size_t fileLength = kHeaderSize + content.size();
    require(fileLength <= std::numeric_limits<std::uint32_t>::max(), "movie too large");

    if (header_.compression == Compression::Zlib) {
        uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
        std::vector<std::uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, content.data(), static_cast<uLong>(content.size()),
                      Z_BEST_COMPRESSION) != Z_OK)
            throw std::runtime_error("zlib could not compress the movie");
        packed.resize(packedSize);
        content.swap(packed);
    }

    ByteWriter file;
    file.u8(header_.compression == Compression::Zlib ? 'C' : 'F');
    file.u8('W');
    file.u8('S');
    file.u8(header_.version);
    file.u32(static_cast<std::uint32_t>(fileLength));
    file.bytes(content);
    return file.take();
}

} // namespace swf::write
