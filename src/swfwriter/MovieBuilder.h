#pragma once
// Builds whole SWF files, and is where to start writing one. The layers below are usable
// alone:
//  - BasicTypes.h, Tags.h, Shapes.h, Actions.h: value types that mirror the format's
//    structures, and write*() encoders that put one into a ByteWriter; the tag functions
//    return a Tag, a code and its body, and encodeTag() adds the short or long tag header;
//  - TimelineBuilder.h: a list of control tags counting its frames, for the root or a sprite.
//
// A value the format cannot hold (a style index past its table, a colour-transform term
// of more than 15 bits, a shape version that lacks the feature asked for) throws
// std::invalid_argument: the writer never produces a file that silently differs from its
// description.

#include "swfwriter/Actions.h"
#include "swfwriter/BasicTypes.h"
#include "swfwriter/Shapes.h"
#include "swfwriter/TimelineBuilder.h"

#include <cstdint>
#include <vector>

namespace swf::write {

enum class Compression { None, Zlib };

struct MovieHeader {
    std::uint8_t version = 10;
    Rect stage;
    double frameRate = 30.0; // stored as 8.8
    Compression compression = Compression::Zlib;
};

// A whole file. Definitions go onto the root timeline where they are made, so each
// comes before the frames that use it; character ids are handed out from 1.
class MovieBuilder {
public:
    explicit MovieBuilder(MovieHeader header);

    std::uint16_t defineShape(const Shape& shape, ShapeVersion version = ShapeVersion::Shape4);
    std::uint16_t defineMorphShape(const MorphShape& shape);
    std::uint16_t defineSprite(const TimelineBuilder& timeline);
    void setBackgroundColor(Rgba color) { root_.add(swf::write::setBackgroundColor(color)); }

    TimelineBuilder& root() { return root_; }
    const MovieHeader& header() const { return header_; }

    // The file: signature, version, uncompressed length, then the (compressed) body.
    // Files of version 8 and later open with a FileAttributes tag, as the format asks.
    std::vector<std::uint8_t> encode() const;

private:
    std::uint16_t nextId();

    MovieHeader header_;
    TimelineBuilder root_;
    std::uint16_t lastId_ = 0;
};

} // namespace swf::write
