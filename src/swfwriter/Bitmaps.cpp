#include "swfwriter/Bitmaps.h"

#include "swfwriter/ShapeBuilder.h"

#include <zlib.h>

#include <stdexcept>

namespace swf::write {

std::vector<std::uint8_t> zlibPacked(const std::vector<std::uint8_t>& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<std::uint8_t> packed(size);
    if (compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress a bitmap");
    packed.resize(size);
    return packed;
}

Tag losslessBitmap(std::uint16_t id, int width, int height, const std::vector<std::uint8_t>& packedPixels)
{
    require(width > 0 && width <= 0xFFFF && height > 0 && height <= 0xFFFF, "bitmap size out of range");
    ByteWriter out;
    out.u16(id);
    out.u8(5);
    out.u16(static_cast<std::uint16_t>(width));
    out.u16(static_cast<std::uint16_t>(height));
    out.bytes(packedPixels);
    return {TagCode::DefineBitsLossless, out.take()};
}

Tag jpegBitmap(std::uint16_t id, const std::vector<std::uint8_t>& jpeg)
{
    ByteWriter out;
    out.u16(id);
    out.bytes(jpeg);
    return {TagCode::DefineBitsJpeg2, out.take()};
}

Tag bitmapRectangle(std::uint16_t id, std::uint16_t bitmap, const Rect& box, double twipsPerPixel)
{
    ShapeBuilder outline;
    outline.polygon({{box.xMin, box.yMin}, {box.xMax, box.yMin}, {box.xMax, box.yMax}, {box.xMin, box.yMax}}, 1);
    ByteWriter out;
    out.u16(id);
    writeRect(out, box);
    out.u8(1);
    // Clipped, smoothed.
    out.u8(0x41);
    out.u16(bitmap);
    Matrix placement = Matrix::translation(box.xMin, box.yMin);
    placement.scaleX = placement.scaleY = twipsPerPixel;
    writeMatrix(out, placement);
    out.u8(0);
    writeShapeRecords(out, outline.shape().records, ShapeVersion::Shape3, 1, 0);
    return {TagCode::DefineShape3, out.take()};
}

} // namespace swf::write
