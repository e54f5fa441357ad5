#include "swf/ByteReader.h"

#include <algorithm>

namespace swf {

std::uint8_t ByteReader::u8()
{
    if (pos_ >= bytes_.size()) {
        fail();
        return 0;
    }
    return bytes_[pos_++];
}

std::uint16_t ByteReader::u16()
{
    if (remaining() < 2) {
        fail();
        return 0;
    }
    const std::uint16_t low = u8();
    return static_cast<std::uint16_t>(low | (u8() << 8));
}

std::uint32_t ByteReader::u32()
{
    if (remaining() < 4) {
        fail();
        return 0;
    }
    const std::uint32_t low = u16();
    return low | (std::uint32_t{u16()} << 16);
}

std::span<const std::uint8_t> ByteReader::take(std::size_t length)
{
    if (length > remaining()) {
        fail();
        return {};
    }
    const auto slice = bytes_.subspan(pos_, length);
    pos_ += length;
    return slice;
}

ByteReader ByteReader::sub(std::size_t length)
{
    if (length > remaining()) {
        fail();
        ByteReader empty;
        empty.fail();
        return empty;
    }
    return ByteReader(take(length));
}

std::span<const std::uint8_t> ByteReader::rest()
{
    return take(remaining());
}

QByteArray ByteReader::string()
{
    const auto start = bytes_.begin() + static_cast<std::ptrdiff_t>(pos_);
    const auto end = std::find(start, bytes_.end(), std::uint8_t{0});
    if (end == bytes_.end()) {
        fail();
        return {};
    }
    const auto length = static_cast<std::size_t>(end - start);
    const auto text = take(length);
    ++pos_;
    return QByteArray(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(length));
}

QColor ByteReader::rgb()
{
    const int r = u8();
    const int g = u8();
    const int b = u8();
    return QColor(r, g, b);
}

QColor ByteReader::rgba()
{
    QColor colour = rgb();
    colour.setAlpha(u8());
    return colour;
}

QRect ByteReader::rect()
{
    BitReader bits(*this);
    const int n = static_cast<int>(bits.ubits(5));
    const int xMin = bits.sbits(n);
    const int xMax = bits.sbits(n);
    const int yMin = bits.sbits(n);
    const int yMax = bits.sbits(n);
    return QRect(xMin, yMin, xMax - xMin, yMax - yMin);
}

QTransform ByteReader::matrix()
{
    BitReader bits(*this);
    double scaleX = 1.0;
    double scaleY = 1.0;
    double skew0 = 0.0;
    double skew1 = 0.0;
    if (bits.flag()) {
        const int n = static_cast<int>(bits.ubits(5));
        scaleX = bits.fbits(n);
        scaleY = bits.fbits(n);
    }
    if (bits.flag()) {
        const int n = static_cast<int>(bits.ubits(5));
        skew0 = bits.fbits(n);
        skew1 = bits.fbits(n);
    }
    const int n = static_cast<int>(bits.ubits(5));
    const int tx = bits.sbits(n);
    const int ty = bits.sbits(n);
    return QTransform(scaleX, skew0, skew1, scaleY, tx, ty);
}

ColorTransform ByteReader::colorTransform(bool withAlpha)
{
    BitReader bits(*this);
    ColorTransform result;
    const bool hasAdd = bits.flag();
    const bool hasMult = bits.flag();
    const int n = static_cast<int>(bits.ubits(4));
    const int channels = withAlpha ? 4 : 3;
    if (hasMult) {
        for (int i = 0; i < channels; ++i)
            result.mult[static_cast<std::size_t>(i)] = bits.sbits(n) / 256.0;
    }
    if (hasAdd) {
        for (int i = 0; i < channels; ++i)
            result.add[static_cast<std::size_t>(i)] = bits.sbits(n);
    }
    return result;
}

std::uint32_t BitReader::ubits(int count)
{
    // As many bits at a time as the byte at hand holds: a shape is thousands of fields.
    std::uint64_t value = 0;
    while (count > 0) {
        if (bitsLeft_ == 0) {
            current_ = bytes_.u8();
            bitsLeft_ = 8;
        }
        const int taken = std::min(count, bitsLeft_);
        bitsLeft_ -= taken;
        value = (value << taken) | ((current_ >> bitsLeft_) & ((1u << taken) - 1u));
        count -= taken;
    }
    return static_cast<std::uint32_t>(value);
}

std::int32_t BitReader::sbits(int count)
{
    if (count <= 0)
        return 0;
    const std::uint32_t raw = ubits(count);
    if (count >= 32)
        return static_cast<std::int32_t>(raw);
    const std::uint32_t sign = 1u << (count - 1);
    return static_cast<std::int32_t>((raw ^ sign)) - static_cast<std::int32_t>(sign);
}

} // namespace swf
