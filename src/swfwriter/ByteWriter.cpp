#include "swfwriter/ByteWriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace swf::write {

void require(bool condition, const char* what)
{
    if (!condition)
        throw std::invalid_argument(what);
}

int unsignedBits(std::uint32_t value)
{
    int bits = 0;
    while (value != 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

int signedBits(std::int32_t value)
{
    if (value == 0)
        return 0;
    // A negative v needs as many bits as ~v (= -v - 1) does, plus the sign bit.
    const auto magnitude = static_cast<std::uint32_t>(value < 0 ? ~value : value);
    return unsignedBits(magnitude) + 1;
}

int signedBits(std::initializer_list<std::int32_t> values)
{
    int bits = 0;
    for (std::int32_t value : values)
        bits = std::max(bits, signedBits(value));
    return bits;
}

int fieldBits(std::initializer_list<std::int32_t> values, int limit, const char* what)
{
    const int bits = signedBits(values);
    require(bits <= limit, what);
    return bits;
}

std::int32_t toFixed16(double value)
{
    return static_cast<std::int32_t>(std::lround(value * 65536.0));
}

void ByteWriter::u8(std::uint8_t value)
{
    align();
    out_.push_back(value);
}

void ByteWriter::u16(std::uint16_t value)
{
    u8(static_cast<std::uint8_t>(value & 0xff));
    u8(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::s16(std::int16_t value)
{
    u16(static_cast<std::uint16_t>(value));
}

void ByteWriter::u32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        u8(static_cast<std::uint8_t>((value >> shift) & 0xff));
}

void ByteWriter::fixed16(double value)
{
    u32(static_cast<std::uint32_t>(toFixed16(value)));
}

void ByteWriter::fixed8(double value)
{
    s16(static_cast<std::int16_t>(std::lround(value * 256.0)));
}

void ByteWriter::bytes(const std::vector<std::uint8_t>& data)
{
    align();
    out_.insert(out_.end(), data.begin(), data.end());
}

void ByteWriter::string(std::string_view text)
{
    require(text.find('\0') == std::string_view::npos, "a string cannot hold a zero byte");
    for (char c : text)
        u8(static_cast<std::uint8_t>(c));
    u8(0);
}

void ByteWriter::ubits(std::uint32_t value, int count)
{
    require(count >= 0 && count <= 32, "bit field wider than 32 bits");
    require(count == 32 || value < (std::uint64_t{1} << count), "value does not fit its bit field");
    for (int i = count - 1; i >= 0; --i) {
        pending_ = (pending_ << 1) | ((value >> i) & 1u);
        if (++pendingBits_ == 8) {
            out_.push_back(static_cast<std::uint8_t>(pending_));
            pending_ = 0;
            pendingBits_ = 0;
        }
    }
}

void ByteWriter::sbits(std::int32_t value, int count)
{
    require(signedBits(value) <= count, "value does not fit its bit field");
    const std::uint32_t mask = count == 32 ? 0xffffffffu : (std::uint32_t{1} << count) - 1u;
    ubits(static_cast<std::uint32_t>(value) & mask, count);
}

void ByteWriter::fbits(double value, int count)
{
    sbits(toFixed16(value), count);
}

void ByteWriter::align()
{
    if (pendingBits_ > 0)
        ubits(0, 8 - pendingBits_);
}

const std::vector<std::uint8_t>& ByteWriter::data()
{
    align();
    return out_;
}

std::vector<std::uint8_t> ByteWriter::take()
{
    align();
    std::vector<std::uint8_t> result;
    result.swap(out_);
    return result;
}

std::size_t ByteWriter::size()
{
    align();
    return out_.size();
}

} // namespace swf::write
