#pragma once
// Fonts and text fields: a font of plain square glyphs, enough to show where a field puts
// each character, and DefineEditText with its flags.

#include "swfwriter/BasicTypes.h"
#include "swfwriter/Tags.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace swf::write {

// DefineFont2 with a square glyph for each of the characters given (a space stays empty),
// and a layout so that text has advances: glyphs 400 units wide and 700 high in an em of
// 1024, 600 apart, ascent 800, descent 200.
Tag squareFont(std::uint16_t id, std::u16string_view codes);

struct EditText {
    Rect bounds;
    std::uint16_t font = 0;
    // In twips.
    std::uint16_t height = 240;
    std::optional<Rgba> colour;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool html = false;
    // Whether the field draws with the font's embedded glyphs rather than a device font.
    bool useOutlines = true;
    std::string text;
    bool operator==(const EditText&) const = default;
};

Tag defineEditText(std::uint16_t id, const EditText& field);

} // namespace swf::write
