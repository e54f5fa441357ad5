#pragma once
// The file container: the signature says whether the body after the 8-byte header is
// stored as is (FWS), zlib-compressed (CWS) or LZMA-compressed (ZWS).

#include "swf/Limits.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace swf {

struct Container {
    int version = 0;
    // The uncompressed body after the 8-byte header; a damaged compressed stream yields
    // what decoded before the damage.
    QByteArray body;
};

std::optional<Container> openContainer(const QByteArray& file, const Limits& limits = {});

// zlib inflate into at most maxBytes; what decodes before an error is kept.
QByteArray inflateBounded(const std::uint8_t* data, std::size_t size, std::size_t maxBytes);
// The same into memory of the caller's; returns how many bytes were written.
std::size_t inflateInto(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t capacity);

} // namespace swf
