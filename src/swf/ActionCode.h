#pragma once
// The codes of the action records this library reads or writes, in one table so that the
// reader and the writer cannot disagree on a number. A record whose code is 0x80 or more
// carries a 16-bit length and that many bytes of operands; the others are one byte alone.

#include <cstdint>

namespace swf {

enum class ActionCode : std::uint8_t {
    End = 0x00,
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    SetTarget2 = 0x20,
    GotoFrame = 0x81,
    SetTarget = 0x8B,
    GotoLabel = 0x8C,
    Push = 0x96,
    GotoFrame2 = 0x9F,
};

// Whether a record with this code has a length and operands.
constexpr bool hasOperands(std::uint8_t code)
{
    return code >= 0x80;
}

// The kinds of value a Push record holds, each followed by its bytes.
enum class PushType : std::uint8_t {
    String = 0,
    Float = 1,
    Null = 2,
    Undefined = 3,
    Register = 4,
    Boolean = 5,
    Double = 6,
    Integer = 7,
    Constant8 = 8,
    Constant16 = 9,
};

} // namespace swf
