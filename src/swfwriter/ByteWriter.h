#pragma once
// Byte output for the SWF writer: little-endian integers and strings, plus the format's
// packed bit fields, written most significant bit first. Bit fields share bytes only
// within one structure; writing a whole-byte value (or asking for the bytes) pads the
// pending bits with zeros to the next byte boundary, as every structure of the format
// starts on a byte. A value that does not fit its field throws std::invalid_argument.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace swf::write {

// Fewest bits that hold the value as an unsigned field.
int unsignedBits(std::uint32_t value);
// Fewest bits that hold the value as a two's-complement field (0 needs none).
int signedBits(std::int32_t value);
// Fewest bits that hold every one of the values as signed fields.
int signedBits(std::initializer_list<std::int32_t> values);
// The same, refused with std::invalid_argument (saying `what`) past `limit` bits.
int fieldBits(std::initializer_list<std::int32_t> values, int limit, const char* what);

// Throws std::invalid_argument saying `what` unless the condition holds.
void require(bool condition, const char* what);

class ByteWriter {
public:
    void u8(std::uint8_t value);
    void u16(std::uint16_t value);
    void s16(std::int16_t value);
    void u32(std::uint32_t value);
    // A 16.16 fixed-point number, rounded to the nearest step.
    void fixed16(double value);
    // An 8.8 fixed-point number, rounded to the nearest step.
    void fixed8(double value);
    void bytes(const std::vector<std::uint8_t>& data);
    // A zero-terminated string; the text itself must not hold a zero byte.
    void string(std::string_view text);

    // Unsigned field of `count` bits (0..32).
    void ubits(std::uint32_t value, int count);
    // Signed field of `count` bits (0..32).
    void sbits(std::int32_t value, int count);
    // Signed 16.16 fixed-point field of `count` bits.
    void fbits(double value, int count);
    // Pads the pending bits with zeros up to the next byte.
    void align();

    const std::vector<std::uint8_t>& data();
    std::vector<std::uint8_t> take();
    std::size_t size();

private:
    std::vector<std::uint8_t> out_;
    std::uint32_t pending_ = 0;
    int pendingBits_ = 0;
};

// The 16.16 fixed-point value nearest to a number, as the raw 32-bit integer.
std::int32_t toFixed16(double value);

} // namespace swf::write
