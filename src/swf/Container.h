#pragma once
// The file container: the signature says whether the body after the 8-byte header is
// stored as is (FWS), zlib-compressed (CWS) or LZMA-compressed (ZWS).

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace swf {

struct Limits {
    // Far beyond any real animation, small enough that a hostile length cannot exhaust memory.
    std::size_t maxBodyBytes = 64u << 20;
    std::size_t maxBitmapPixels = 4096u * 4096u;
    std::size_t maxShapeRecords = 1u << 20;
    int maxSpriteNesting = 32;
    // Objects on all display lists of one playing movie together, sprites' included: nesting
    // multiplies them, so a few bytes could otherwise ask for billions.
    std::size_t maxDisplayObjects = 100000;
    // Jumps actions may make in one frame of the movie, on one timeline and on all: a frame
    // whose actions jump to a frame whose actions jump back would otherwise never end, and
    // each jump back rebuilds a display list. Real movies jump once or twice a timeline.
    int maxJumpsPerTimeline = 16;
    int maxJumpsPerFrame = 1024;
};

struct Container {
    int version = 0;
    // The uncompressed body after the 8-byte header; a damaged compressed stream yields
    // what decoded before the damage.
    QByteArray body;
};

std::optional<Container> openContainer(const QByteArray& file, const Limits& limits = {});

// zlib inflate into at most maxBytes; what decodes before an error is kept.
QByteArray inflateBounded(const std::uint8_t* data, std::size_t size, std::size_t maxBytes);

} // namespace swf
