#include "swfwriter/BasicTypes.h"

#include <algorithm>
#include <cmath>

namespace swf::write {

namespace {

// The widths of the format's bit-field length prefixes.
constexpr int kMaxFieldBits = 31;  // UB[5]
constexpr int kMaxCxformBits = 15; // UB[4]

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

} // namespace swf::write
