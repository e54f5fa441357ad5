#pragma once
// Copies a rectangle of pixels between two images of 32-bit pixels that both hold it.

#include <QImage>

#include <cstddef>
#include <cstring>

namespace swf {

inline void copyPixels(const QImage& from, QImage& to, const QRect& rect)
{
    const auto offset = static_cast<std::size_t>(rect.left()) * 4;
    const auto bytes = static_cast<std::size_t>(rect.width()) * 4;
    // The rows found once: asked for row by row, the target checks each time whether it
    // must first be made its own.
    uchar* target = to.bits();
    const uchar* source = from.constBits();
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        std::memcpy(target + static_cast<std::size_t>(y) * static_cast<std::size_t>(to.bytesPerLine()) + offset,
                    source + static_cast<std::size_t>(y) * static_cast<std::size_t>(from.bytesPerLine()) + offset, bytes);
}

} // namespace swf
