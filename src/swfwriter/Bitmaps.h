#pragma once
// Bitmaps and the shape that shows one: the writer knows no bitmap fills in its shapes, so a
// rectangle painted with a bitmap is written whole here.

#include "swfwriter/BasicTypes.h"
#include "swfwriter/Tags.h"

#include <cstdint>
#include <vector>

namespace swf::write {

// Data packed with zlib at its best compression, as lossless bitmaps hold their pixels.
std::vector<std::uint8_t> zlibPacked(const std::vector<std::uint8_t>& data);
// DefineBitsLossless of 32-bit pixels; the packed data may hold fewer pixels than the size
// asks.
Tag losslessBitmap(std::uint16_t id, int width, int height, const std::vector<std::uint8_t>& packedPixels);
// DefineBitsJPEG2: a whole JPEG file, tables included.
Tag jpegBitmap(std::uint16_t id, const std::vector<std::uint8_t>& jpeg);
// DefineShape3 of the rectangle `box` filled with the bitmap, clipped, at `twipsPerPixel`
// from the box's top-left corner.
Tag bitmapRectangle(std::uint16_t id, std::uint16_t bitmap, const Rect& box, double twipsPerPixel = 20.0);

} // namespace swf::write
