#pragma once
// The one way the player reads untrusted bytes. Every read is bounds-checked: reading past
// the end yields zeros and marks the reader failed, so a parser can read a whole structure
// and check ok() once instead of testing each field.

#include "swf/ColorTransform.h"

#include <QByteArray>
#include <QColor>
#include <QRect>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <span>

namespace swf {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    // 8.8 signed fixed point.
    double fixed8() { return s16() / 256.0; }

    // Consumes length bytes and returns a reader over exactly them; a short input fails
    // this reader and returns an empty one.
    ByteReader sub(std::size_t length);
    std::span<const std::uint8_t> take(std::size_t length);
    std::span<const std::uint8_t> rest();
    void skip(std::size_t length) { take(length); }
    // A zero-terminated string; an unterminated one fails the reader.
    QByteArray string();

    QColor rgb();
    QColor rgba();
    // The stage and bounds rectangle, in twips.
    QRect rect();
    QTransform matrix();
    ColorTransform colorTransform(bool withAlpha);

    void fail() { ok_ = false; pos_ = bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// MSB-first reader of packed bit fields. It pulls whole bytes from its byte reader as it
// needs them, so a fresh one per structure starts aligned, and align() hands the byte
// reader back at the next byte boundary.
class BitReader {
public:
    explicit BitReader(ByteReader& bytes) : bytes_(bytes) {}

    std::uint32_t ubits(int count);
    // Sign-extended; a zero-bit field is 0.
    std::int32_t sbits(int count);
    // 16.16 fixed point of count bits.
    double fbits(int count) { return sbits(count) / 65536.0; }
    // Spelled out for the one bit that shape records read most often.
    bool flag()
    {
        if (bitsLeft_ == 0) {
            current_ = bytes_.u8();
            bitsLeft_ = 8;
        }
        return ((current_ >> --bitsLeft_) & 1u) != 0;
    }
    void align() { bitsLeft_ = 0; }

private:
    ByteReader& bytes_;
    std::uint32_t current_ = 0;
    int bitsLeft_ = 0;
};

} // namespace swf
