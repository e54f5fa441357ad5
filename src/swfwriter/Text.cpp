#include "swfwriter/Text.h"

#include "swfwriter/ShapeBuilder.h"

#include <vector>

namespace swf::write {

Tag squareFont(std::uint16_t id, std::u16string_view codes)
{
    std::vector<std::vector<std::uint8_t>> glyphs;
    for (const char16_t code : codes) {
        ShapeBuilder glyph;
        if (code != u' ')
            glyph.polygon({{100, -700}, {500, -700}, {500, 0}, {100, 0}}, 1);
        ByteWriter shape;
        writeShapeRecords(shape, glyph.shape().records, ShapeVersion::Shape1, 1, 0);
        glyphs.push_back(shape.take());
    }
    ByteWriter offsetsAndShapes;
    std::size_t offset = (glyphs.size() + 1) * 2;
    for (const auto& glyph : glyphs) {
        offsetsAndShapes.u16(static_cast<std::uint16_t>(offset));
        offset += glyph.size();
    }
    offsetsAndShapes.u16(static_cast<std::uint16_t>(offset));
    for (const auto& glyph : glyphs)
        offsetsAndShapes.bytes(glyph);

    ByteWriter out;
    out.u16(id);
    // A layout, wide character codes.
    out.u8(0x80 | 0x04);
    out.u8(0);
    out.u8(6);
    for (const char c : std::string_view("Square"))
        out.u8(static_cast<std::uint8_t>(c));
    out.u16(static_cast<std::uint16_t>(codes.size()));
    out.bytes(offsetsAndShapes.take());
    for (const char16_t code : codes)
        out.u16(code);
    out.u16(800);
    out.u16(200);
    out.s16(0);
    for (std::size_t i = 0; i < codes.size(); ++i)
        out.s16(600);
    for (std::size_t i = 0; i < codes.size(); ++i)
        writeRect(out, {100, 500, -700, 0});
    out.u16(0);
    return {TagCode::DefineFont2, out.take()};
}

Tag defineEditText(std::uint16_t id, const EditText& field)
{
    ByteWriter out;
    out.u16(id);
    writeRect(out, field.bounds);
    const auto flag = [](bool on, std::uint8_t bit) { return static_cast<std::uint8_t>(on ? bit : 0); };
    out.u8(static_cast<std::uint8_t>(0x80 | flag(field.wordWrap, 0x40) | flag(field.multiline, 0x20) |
                                     flag(field.password, 0x10) | flag(field.readOnly, 0x08) |
                                     flag(field.colour.has_value(), 0x04) | 0x01));
    out.u8(static_cast<std::uint8_t>(flag(field.html, 0x02) | flag(field.useOutlines, 0x01)));
    out.u16(field.font);
    out.u16(field.height);
    if (field.colour)
        writeRgba(out, *field.colour);
    out.string("");
    out.string(field.text);
    return {TagCode::DefineEditText, out.take()};
}

} // namespace swf::write
