#include "swfwriter/SwfWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace swf::write {

namespace {

// The widths of the format's bit-field length prefixes.
constexpr int kMaxFieldBits = 31;  // UB[5]
constexpr int kMaxCxformBits = 15; // UB[4]

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

Matrix Matrix::translation(std::int32_t x, std::int32_t y)
{
    Matrix m;
    m.translateX = x;
    m.translateY = y;
    return m;
}

Matrix Matrix::rotation(double radians, std::int32_t x, std::int32_t y, double scale)
{
    Matrix m;
    m.scaleX = scale * std::cos(radians);
    m.scaleY = m.scaleX;
    m.rotateSkew0 = scale * std::sin(radians);
    m.rotateSkew1 = -m.rotateSkew0;
    m.translateX = x;
    m.translateY = y;
    return m;
}

Matrix Matrix::gradientBox(const Rect& box, double radians)
{
    constexpr double kSquare = 32768.0;
    const double sx = (box.xMax - box.xMin) / kSquare;
    const double sy = (box.yMax - box.yMin) / kSquare;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    Matrix m;
    m.scaleX = sx * c;
    m.rotateSkew0 = sx * s;
    m.rotateSkew1 = -sy * s;
    m.scaleY = sy * c;
    m.translateX = static_cast<std::int32_t>(std::lround((box.xMin + box.xMax) / 2.0));
    m.translateY = static_cast<std::int32_t>(std::lround((box.yMin + box.yMax) / 2.0));
    return m;
}

CxForm CxForm::opacity(double alpha)
{
    CxForm t;
    t.alphaMult = static_cast<std::int16_t>(std::lround(std::clamp(alpha, 0.0, 1.0) * 256.0));
    return t;
}

CxForm CxForm::tint(Rgba colour)
{
    CxForm t;
    t.redMult = t.greenMult = t.blueMult = 0;
    t.redAdd = colour.r;
    t.greenAdd = colour.g;
    t.blueAdd = colour.b;
    return t;
}

Fill Fill::solid(Rgba color)
{
    Fill f;
    f.color = color;
    return f;
}

Fill Fill::linear(const Matrix& matrix, FillGradient gradient)
{
    return {FillKind::LinearGradient, {}, matrix, std::move(gradient)};
}

Fill Fill::radial(const Matrix& matrix, FillGradient gradient)
{
    return {FillKind::RadialGradient, {}, matrix, std::move(gradient)};
}

Fill Fill::focal(const Matrix& matrix, FillGradient gradient)
{
    return {FillKind::FocalGradient, {}, matrix, std::move(gradient)};
}

void writeRect(ByteWriter& out, const Rect& rect)
{
    const int bits =
        fieldBits({rect.xMin, rect.xMax, rect.yMin, rect.yMax}, kMaxFieldBits, "rectangle out of range");
    out.align();
    out.ubits(static_cast<std::uint32_t>(bits), 5);
    for (std::int32_t v : {rect.xMin, rect.xMax, rect.yMin, rect.yMax})
        out.sbits(v, bits);
    out.align();
}

void writeMatrix(ByteWriter& out, const Matrix& matrix)
{
    out.align();
    const std::int32_t scaleX = toFixed16(matrix.scaleX);
    const std::int32_t scaleY = toFixed16(matrix.scaleY);
    const bool hasScale = scaleX != 0x10000 || scaleY != 0x10000;
    out.ubits(hasScale ? 1 : 0, 1);
    if (hasScale) {
        const int bits = fieldBits({scaleX, scaleY}, kMaxFieldBits, "matrix scale out of range");
        out.ubits(static_cast<std::uint32_t>(bits), 5);
        out.sbits(scaleX, bits);
        out.sbits(scaleY, bits);
    }
    const std::int32_t skew0 = toFixed16(matrix.rotateSkew0);
    const std::int32_t skew1 = toFixed16(matrix.rotateSkew1);
    const bool hasRotate = skew0 != 0 || skew1 != 0;
    out.ubits(hasRotate ? 1 : 0, 1);
    if (hasRotate) {
        const int bits = fieldBits({skew0, skew1}, kMaxFieldBits, "matrix skew out of range");
        out.ubits(static_cast<std::uint32_t>(bits), 5);
        out.sbits(skew0, bits);
        out.sbits(skew1, bits);
    }
    const int bits =
        fieldBits({matrix.translateX, matrix.translateY}, kMaxFieldBits, "matrix translation out of range");
    out.ubits(static_cast<std::uint32_t>(bits), 5);
    out.sbits(matrix.translateX, bits);
    out.sbits(matrix.translateY, bits);
    out.align();
}

void writeCxForm(ByteWriter& out, const CxForm& t)
{
    const bool hasMult = t.redMult != 256 || t.greenMult != 256 || t.blueMult != 256 || t.alphaMult != 256;
    const bool hasAdd = t.redAdd != 0 || t.greenAdd != 0 || t.blueAdd != 0 || t.alphaAdd != 0;
    int bits = 0;
    if (hasMult)
        bits = fieldBits({t.redMult, t.greenMult, t.blueMult, t.alphaMult}, kMaxCxformBits,
                         "colour multiplier out of range");
    if (hasAdd)
        bits = std::max(bits, fieldBits({t.redAdd, t.greenAdd, t.blueAdd, t.alphaAdd}, kMaxCxformBits,
                                        "colour addition out of range"));
    out.align();
    out.ubits(hasAdd ? 1 : 0, 1);
    out.ubits(hasMult ? 1 : 0, 1);
    out.ubits(static_cast<std::uint32_t>(bits), 4);
    if (hasMult) {
        for (std::int16_t v : {t.redMult, t.greenMult, t.blueMult, t.alphaMult})
            out.sbits(v, bits);
    }
    if (hasAdd) {
        for (std::int16_t v : {t.redAdd, t.greenAdd, t.blueAdd, t.alphaAdd})
            out.sbits(v, bits);
    }
    out.align();
}

void writeRgb(ByteWriter& out, Rgba color)
{
    out.u8(color.r);
    out.u8(color.g);
    out.u8(color.b);
}

void writeRgba(ByteWriter& out, Rgba color)
{
    writeRgb(out, color);
    out.u8(color.a);
}

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
