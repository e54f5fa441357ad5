// Exact bytes of the SWF writer against encodings worked out by hand from the format's
// field layouts. Where a bit layout is not obvious, the comment spells out its fields.

#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <numbers>
#include <stdexcept>

using namespace swf::write;
using swf::TagCode;
using Bytes = std::vector<std::uint8_t>;

namespace {

template <class Encode>
Bytes encoded(Encode encode)
{
    ByteWriter out;
    encode(out);
    return out.take();
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(SwfBits, FieldsPackMostSignificantBitFirstAndPadAtByteValues)
{
    ByteWriter out;
    out.ubits(5, 3);  // 101
    out.ubits(1, 1);  // 1
    out.ubits(3, 2);  // 11, then two padding zeros
    out.u8(0x7f);     // starts a fresh byte
    out.sbits(-1, 3); // 111
    out.sbits(-4, 3); // 100
    out.sbits(3, 3);  // 011, across the byte boundary
    out.u16(0x1234);  // little-endian
    EXPECT_EQ(out.take(), (Bytes{0xBC, 0x7F, 0xF1, 0x80, 0x34, 0x12}));

    // A value too wide for its field is refused, never cut down to fit.
    EXPECT_THROW(out.ubits(8, 3), std::invalid_argument);
    EXPECT_THROW(out.sbits(4, 3), std::invalid_argument);
    EXPECT_THROW(out.sbits(-5, 3), std::invalid_argument);
    EXPECT_THROW(out.string(std::string_view("a\0b", 3)), std::invalid_argument);
}

TEST(SwfBits, SignedWidthsAreTheFewestThatRoundTrip)
{
    struct Row {
        std::int32_t value;
        int bits;
    };
    // The edges of each width: 2^(n-1) - 1 and -2^(n-1) still fit n bits.
    for (const Row row : {Row{0, 0}, {-1, 1}, {1, 2}, {-2, 2}, {2, 3}, {-4, 3}, {3, 3}, {4, 4}, {-5, 4},
                          {65535, 17}, {-65536, 17}, {65536, 18}, {-65537, 18}}) {
        EXPECT_EQ(signedBits(row.value), row.bits) << row.value;
    }
    EXPECT_EQ(unsignedBits(0), 0);
    EXPECT_EQ(unsignedBits(1), 1);
    EXPECT_EQ(unsignedBits(255), 8);
    EXPECT_EQ(unsignedBits(256), 9);
}

TEST(SwfBits, FixedPointRoundsToTheNearestStep)
{
    EXPECT_EQ(toFixed16(1.0), 0x10000);
    EXPECT_EQ(toFixed16(-0.5), -0x8000);
    EXPECT_EQ(toFixed16(1.0 / 65536.0 * 0.6), 1);
    EXPECT_EQ(encoded([](ByteWriter& o) { o.fixed8(-0.5); }), (Bytes{0x80, 0xFF}));
    EXPECT_EQ(encoded([](ByteWriter& o) { o.fixed16(1.5); }), (Bytes{0x00, 0x80, 0x01, 0x00}));
}

TEST(SwfStructures, RectUsesOneWidthForAllFourFields)
{
    // A 550 x 400 pixel stage, the header every authoring tool writes for that size.
    EXPECT_EQ(encoded([](ByteWriter& o) { writeRect(o, {0, 11000, 0, 8000}); }),
              (Bytes{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
    // Nothing to store: a width of 0 and no fields.
    EXPECT_EQ(encoded([](ByteWriter& o) { writeRect(o, {}); }), (Bytes{0x00}));
    // -1..1: two bits each, 00010 11 01 11 01, padded.
    EXPECT_EQ(encoded([](ByteWriter& o) { writeRect(o, {-1, 1, -1, 1}); }), (Bytes{0x16, 0xE8}));
    // Two rectangles in a row each start on a byte.
    EXPECT_EQ(encoded([](ByteWriter& o) {
                  writeRect(o, {-1, 1, -1, 1});
                  writeRect(o, {});
              }),
              (Bytes{0x16, 0xE8, 0x00}));
}

TEST(SwfStructures, MatrixOmitsIdentityPartsAndSizesEachPairApart)
{
    EXPECT_EQ(encoded([](ByteWriter& o) { writeMatrix(o, {}); }), (Bytes{0x00}));
    // 0 0 00110 010100 101100: no scale, no rotation, translation in 6 bits.
    EXPECT_EQ(encoded([](ByteWriter& o) { writeMatrix(o, Matrix::translation(20, -20)); }),
              (Bytes{0x0C, 0xA5, 0x80}));
    // 1 10011 (2.0 and 0.5 in 19 bits of 16.16) 0 00000.
    Matrix scaled;
    scaled.scaleX = 2.0;
    scaled.scaleY = 0.5;
    EXPECT_EQ(encoded([&](ByteWriter& o) { writeMatrix(o, scaled); }),
              (Bytes{0xCD, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00}));
    // A quarter turn: scale 0 and 0 in 0 bits, skews +1 and -1 in 18 bits.
    EXPECT_EQ(encoded([](ByteWriter& o) { writeMatrix(o, Matrix::rotation(std::numbers::pi / 2, 0, 0)); }),
              (Bytes{0x83, 0x24, 0x00, 0x03, 0x00, 0x00, 0x00}));
}

TEST(SwfStructures, ColourTransformWritesMultipliersBeforeAdditions)
{
    EXPECT_EQ(encoded([](ByteWriter& o) { writeCxForm(o, {}); }), (Bytes{0x00}));
    // 0 1 1010, then 256 256 256 128 in ten bits each.
    EXPECT_EQ(encoded([](ByteWriter& o) { writeCxForm(o, CxForm::opacity(0.5)); }),
              (Bytes{0x69, 0x00, 0x40, 0x10, 0x02, 0x00}));
    // 1 1 1010, multipliers 0 0 0 256, then additions 255 0 10 0.
    EXPECT_EQ(encoded([](ByteWriter& o) { writeCxForm(o, CxForm::tint({255, 0, 10, 255})); }),
              (Bytes{0xE8, 0x00, 0x00, 0x00, 0x04, 0x00, 0xFF, 0x00, 0x00, 0xA0, 0x00}));
    // 1 0 1001, additions 0 0 0 -255 in nine bits.
    CxForm fade;
    fade.alphaAdd = -255;
    EXPECT_EQ(encoded([&](ByteWriter& o) { writeCxForm(o, fade); }),
              (Bytes{0xA4, 0x00, 0x00, 0x00, 0x40, 0x40}));
    // Terms need at most 15 bits.
    CxForm huge;
    huge.redMult = 16384;
    EXPECT_THROW(encoded([&](ByteWriter& o) { writeCxForm(o, huge); }), std::invalid_argument);
}

TEST(SwfTags, HeadersAreShortBelowSixtyThreeBytesAndLongFromThere)
{
    EXPECT_EQ(encodeTag(showFrame()), (Bytes{0x40, 0x00}));
    EXPECT_EQ(encodeTag(endTag()), (Bytes{0x00, 0x00}));
    EXPECT_EQ(encodeTag(setBackgroundColor({255, 0, 0, 255})), (Bytes{0x43, 0x02, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(encodeTag(removeObject2(5)), (Bytes{0x02, 0x07, 0x05, 0x00}));

    const Bytes shortest = encodeTag({TagCode::DefineShape, Bytes(62, 0xAA)});
    EXPECT_EQ(shortest.size(), 64u);
    EXPECT_EQ(shortest[0], 0xBE);
    EXPECT_EQ(shortest[1], 0x00);
    // 63 is the marker of a long header, so a 63-byte body takes the long form.
    const Bytes longest = encodeTag({TagCode::DefineShape, Bytes(63, 0xAA)});
    EXPECT_EQ(Bytes(longest.begin(), longest.begin() + 6), (Bytes{0xBF, 0x00, 0x3F, 0x00, 0x00, 0x00}));
    EXPECT_EQ(longest.size(), 69u);
    EXPECT_EQ(encodeTag(setBackgroundColor({1, 2, 3, 255}), true),
              (Bytes{0x7F, 0x02, 0x03, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03}));
}

TEST(SwfShapes, EdgeRecordsPickTheShortestForm)
{
    const auto records = [](std::vector<ShapeElement> list, int fillBits = 0, int lineBits = 0) {
        return encoded([&](ByteWriter& o) { writeShapeRecords(o, list, ShapeVersion::Shape3, fillBits, lineBits); });
    };
    // Each starts with the index widths (0, 0) and ends with the end record, 000000.
    // 11 0110 0 0 01100100: horizontal, eight bits.
    EXPECT_EQ(records({StraightEdge{100, 0}}), (Bytes{0x00, 0xD8, 0x64, 0x00}));
    // 11 0001 0 1 101: vertical, three bits.
    EXPECT_EQ(records({StraightEdge{0, -3}}), (Bytes{0x00, 0xC5, 0xA0, 0x00}));
    // 11 0010 1 0101 1010: general, four bits.
    EXPECT_EQ(records({StraightEdge{5, -6}}), (Bytes{0x00, 0xCA, 0xB4, 0x00}));
    // 10 0011 01010 00000 00000 01010: a curve, the anchor relative to the control.
    EXPECT_EQ(records({CurvedEdge{10, 0, 0, 10}}), (Bytes{0x00, 0x8D, 0x40, 0x02, 0x80}));
    // 0 0 1 1 0 1, move in six bits, fill1 1 and line 1 in one bit each.
    StyleChange change;
    change.moveTo = Point{20, -20};
    change.fill1 = 1;
    change.line = 1;
    EXPECT_EQ(records({change}, 1, 1), (Bytes{0x11, 0x34, 0xCA, 0x59, 0x80}));

    EXPECT_THROW(records({StraightEdge{65536, 0}}), std::invalid_argument);
    EXPECT_THROW(records({StyleChange{}}), std::invalid_argument);
    StyleChange pastTable;
    pastTable.fill0 = 2;
    EXPECT_THROW(records({pastTable}, 1, 0), std::invalid_argument);
}

TEST(SwfShapes, DefineShape3OfASquareMatchesItsHandEncoding)
{
    ShapeBuilder builder;
    const std::uint32_t red = builder.addFill(Fill::solid({255, 0, 0, 255}));
    builder.polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, red);
    const Bytes tag = encodeTag(defineShape(1, builder.shape(), ShapeVersion::Shape3));

    const Bytes expected = {
        0x1A, 0x08,                   // DefineShape3, 26 bytes
        0x01, 0x00,                   // id 1
        0x40, 0x03, 0x20, 0x03, 0x20, // bounds 0..100 in eight bits
        0x01, 0x00, 0xFF, 0x00, 0x00, 0xFF, // one solid fill, red, opaque
        0x00,                               // no lines
        0x10,                               // one fill bit, no line bits
        // 000101 00000 1: move to the origin, fill1 = 1 (clockwise on screen);
        // then right, down, left, up by 100 and the end record.
        0x14, 0x1D, 0x86, 0x4D, 0x96, 0x4D, 0x89, 0xCD, 0x99, 0xC0, 0x00};
    EXPECT_EQ(tag, expected);
}

TEST(SwfShapes, StylesEncodePerShapeVersion)
{
    const auto fills = [](const Fill& fill, ShapeVersion version) {
        return encoded([&](ByteWriter& o) { writeFillStyles(o, {fill}, version); });
    };
    const Rgba blue{0, 0, 255, 128};
    EXPECT_EQ(fills(Fill::solid(blue), ShapeVersion::Shape2), (Bytes{0x01, 0x00, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(fills(Fill::solid(blue), ShapeVersion::Shape3), (Bytes{0x01, 0x00, 0x00, 0x00, 0xFF, 0x80}));

    FillGradient gradient;
    gradient.spread = SpreadMode::Reflect;
    gradient.interpolation = InterpolationMode::Linear;
    gradient.stops = {{0, {255, 255, 255, 255}}, {255, {0, 0, 0, 0}}};
    // Spread 01, interpolation 01, two stops: 0101 0010.
    EXPECT_EQ(fills(Fill::radial({}, gradient), ShapeVersion::Shape4),
              (Bytes{0x01, 0x12, 0x00, 0x52, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}));
    gradient.focalPoint = -0.5;
    EXPECT_EQ(fills(Fill::focal({}, gradient), ShapeVersion::Shape4),
              (Bytes{0x01, 0x13, 0x00, 0x52, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x80,
                     0xFF}));
    EXPECT_THROW(fills(Fill::focal({}, gradient), ShapeVersion::Shape3), std::invalid_argument);
    gradient.stops.resize(9);
    EXPECT_THROW(fills(Fill::linear({}, gradient), ShapeVersion::Shape3), std::invalid_argument);

    // 255 styles and more take the extended count from DefineShape2 on.
    const std::vector<Fill> many(255, Fill::solid(blue));
    const Bytes extended = encoded([&](ByteWriter& o) { writeFillStyles(o, many, ShapeVersion::Shape2); });
    EXPECT_EQ(Bytes(extended.begin(), extended.begin() + 3), (Bytes{0xFF, 0xFF, 0x00}));

    Line line;
    line.width = 40;
    line.color = blue;
    line.startCap = CapStyle::Square;
    line.join = JoinStyle::Miter;
    line.noHScale = true;
    line.endCap = CapStyle::None;
    line.miterLimit = 2.5;
    const auto lines = [&](ShapeVersion version) {
        return encoded([&](ByteWriter& o) { writeLineStyles(o, {line}, version); });
    };
    EXPECT_EQ(lines(ShapeVersion::Shape1), (Bytes{0x01, 0x28, 0x00, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(lines(ShapeVersion::Shape3), (Bytes{0x01, 0x28, 0x00, 0x00, 0x00, 0xFF, 0x80}));
    // 10 10 0 1 0 0 | 00000 0 01, the miter limit in 8.8, then the colour.
    EXPECT_EQ(lines(ShapeVersion::Shape4),
              (Bytes{0x01, 0x28, 0x00, 0xA4, 0x01, 0x80, 0x02, 0x00, 0x00, 0xFF, 0x80}));
    line.fill = Fill::solid(blue);
    EXPECT_THROW(lines(ShapeVersion::Shape3), std::invalid_argument);
}

TEST(SwfShapes, DefineShape4AddsEdgeBoundsAndStrokeFlags)
{
    ShapeBuilder builder;
    Line thick;
    thick.width = 20;
    const std::uint32_t line = builder.addLine(thick);
    builder.moveTo({0, 0});
    builder.setStyles(0, 0, line);
    builder.lineTo({100, 0});
    const Bytes body = defineShape(7, builder.shape(), ShapeVersion::Shape4).body;
    // Bounds widened by half the line: -10..110, -10..10 in eight bits.
    const Bytes withLines = encoded([](ByteWriter& o) { writeRect(o, {-10, 110, -10, 10}); });
    const Bytes edges = encoded([](ByteWriter& o) { writeRect(o, {0, 100, 0, 0}); });
    const Bytes head = concat({{0x07, 0x00}, withLines, edges, {0x01}}); // scaling strokes only
    EXPECT_EQ(Bytes(body.begin(), body.begin() + static_cast<long>(head.size())), head);
}

TEST(SwfShapes, BoundsFollowCurvesToTheirExtremes)
{
    Shape shape;
    shape.styles.lines = {Line{}};
    StyleChange start;
    start.line = 1;
    shape.records = {start, CurvedEdge{50, 100, 50, -100}};
    const ShapeBounds bounds = computeBounds(shape);
    // The curve peaks at y = 50, halfway to its control point.
    EXPECT_EQ(bounds.edges, (Rect{0, 100, 0, 50}));
    EXPECT_EQ(bounds.withLines, (Rect{-10, 110, -10, 60}));
}

TEST(SwfShapeBuilder, PutsTheFillInsideWhateverTheWinding)
{
    ShapeBuilder clockwise;
    clockwise.polygon({{0, 0}, {100, 0}, {0, 100}}, clockwise.addFill(Fill::solid({})));
    const auto& cw = std::get<StyleChange>(clockwise.shape().records.front());
    EXPECT_EQ(cw.fill1, 1u);
    EXPECT_FALSE(cw.fill0);

    ShapeBuilder counter;
    counter.polygon({{0, 0}, {0, 100}, {100, 0}}, counter.addFill(Fill::solid({})));
    const auto& ccw = std::get<StyleChange>(counter.shape().records.front());
    EXPECT_EQ(ccw.fill0, 1u);
    EXPECT_FALSE(ccw.fill1);
    EXPECT_EQ(ccw.moveTo, (Point{0, 0}));
}

TEST(SwfShapeBuilder, SplitsLongEdgesIntoPiecesThatMeetExactly)
{
    ShapeBuilder builder;
    builder.moveTo({-100000, 7});
    builder.lineTo({100001, 8});
    builder.curveTo({0, 200000}, {-100000, 7});
    std::int64_t x = -100000;
    std::int64_t y = 7;
    std::size_t straight = 0;
    std::size_t curved = 0;
    for (const ShapeElement& record : builder.shape().records) {
        if (const auto* edge = std::get_if<StraightEdge>(&record)) {
            ++straight;
            EXPECT_LE(signedBits({edge->dx, edge->dy}), 17);
            x += edge->dx;
            y += edge->dy;
        } else if (const auto* curve = std::get_if<CurvedEdge>(&record)) {
            ++curved;
            EXPECT_LE(signedBits({curve->controlDx, curve->controlDy, curve->anchorDx, curve->anchorDy}), 17);
            x += curve->controlDx + curve->anchorDx;
            y += curve->controlDy + curve->anchorDy;
        }
    }
    EXPECT_EQ(straight, 4u); // 200001 twips in pieces of at most 65535
    EXPECT_GT(curved, 1u);
    EXPECT_EQ(x, -100000);
    EXPECT_EQ(y, 7);
    EXPECT_NO_THROW(defineShape(1, builder.shape(), ShapeVersion::Shape3));
}

TEST(SwfShapeBuilder, RoundOutlinesCloseOnTheirStartAndFillTheirBox)
{
    const auto closingError = [](const Shape& shape) {
        Point sum;
        for (const ShapeElement& record : shape.records) {
            if (const auto* curve = std::get_if<CurvedEdge>(&record)) {
                sum.x += curve->controlDx + curve->anchorDx;
                sum.y += curve->controlDy + curve->anchorDy;
            } else if (const auto* edge = std::get_if<StraightEdge>(&record)) {
                sum.x += edge->dx;
                sum.y += edge->dy;
            }
        }
        return sum;
    };
    ShapeBuilder ellipse;
    ellipse.ellipse({1000, 2000}, 300, 200, ellipse.addFill(Fill::solid({})));
    EXPECT_EQ(closingError(ellipse.shape()), (Point{0, 0}));
    EXPECT_EQ(computeBounds(ellipse.shape()).edges, (Rect{700, 1300, 1800, 2200}));
    EXPECT_EQ(std::get<StyleChange>(ellipse.shape().records.front()).fill1, 1u);

    ShapeBuilder box;
    box.roundedRectangle({-500, 500, -200, 200}, 1000, box.addFill(Fill::solid({})));
    EXPECT_EQ(closingError(box.shape()), (Point{0, 0}));
    EXPECT_EQ(computeBounds(box.shape()).edges, (Rect{-500, 500, -200, 200}));
    // The radius shrinks to half the short side; 600 twips of the top edge stay straight.
    EXPECT_EQ(std::get<StraightEdge>(box.shape().records[1]), (StraightEdge{600, 0}));
}

TEST(SwfShapeBuilder, NewStylesStandInTheirOwnRecordAndRestartTheIndices)
{
    ShapeBuilder builder;
    const std::uint32_t first = builder.addFill(Fill::solid({1, 1, 1, 255}));
    builder.polygon({{0, 0}, {10, 0}, {10, 10}}, first);
    builder.beginNewStyles();
    const std::uint32_t second = builder.addFill(Fill::solid({2, 2, 2, 255}));
    EXPECT_EQ(second, 1u);
    builder.polygon({{0, 0}, {10, 0}, {10, 10}}, second);

    const auto& records = builder.shape().records;
    const auto news = std::find_if(records.begin(), records.end(), [](const ShapeElement& r) {
        const auto* change = std::get_if<StyleChange>(&r);
        return change && change->newStyles;
    });
    ASSERT_NE(news, records.end());
    const auto& tables = std::get<StyleChange>(*news);
    EXPECT_FALSE(tables.fill0 || tables.fill1 || tables.line || tables.moveTo);
    ASSERT_EQ(tables.newStyles->fills.size(), 1u);
    EXPECT_EQ(tables.newStyles->fills[0].color, (Rgba{2, 2, 2, 255}));
    // The same index is chosen again after the new tables although it did not change.
    const auto& after = std::get<StyleChange>(*(news + 1));
    EXPECT_EQ(after.fill1, 1u);
    EXPECT_EQ(after.fill0, 0u);
    EXPECT_EQ(after.line, 0u);
    EXPECT_THROW(defineShape(1, builder.shape(), ShapeVersion::Shape1), std::invalid_argument);
    EXPECT_NO_THROW(defineShape(1, builder.shape(), ShapeVersion::Shape2));
}

TEST(SwfPlacement, PlaceObjectFieldsFollowTheirFlags)
{
    PlaceObject add;
    add.depth = 1;
    add.characterId = 1;
    add.matrix = Matrix::translation(20, -20);
    EXPECT_EQ(encodeTag(placeObject2(add)),
              (Bytes{0x88, 0x06, 0x06, 0x01, 0x00, 0x01, 0x00, 0x0C, 0xA5, 0x80}));

    PlaceObject modify;
    modify.depth = 2;
    modify.move = true;
    modify.colorTransform = CxForm::opacity(0.5);
    modify.ratio = 300;
    modify.name = "a";
    modify.clipDepth = 3;
    const Bytes fields = {0x02, 0x00, 0x69, 0x00, 0x40, 0x10, 0x02, 0x00, 0x2C, 0x01, 0x61, 0x00, 0x03, 0x00};
    EXPECT_EQ(placeObject2(modify).body, concat({{0x79}, fields}));
    const Tag three = placeObject3(modify);
    EXPECT_EQ(three.code, TagCode::PlaceObject3);
    EXPECT_EQ(three.body, concat({{0x79, 0x00}, fields}));
}

TEST(SwfTimeline, SpritesCountTheirFramesAndEndWithTheirOwnEndTag)
{
    TimelineBuilder sprite;
    PlaceObject place;
    place.characterId = 3;
    sprite.place(place);
    sprite.showFrame();
    sprite.add(showFrame());
    EXPECT_EQ(sprite.frameCount(), 2);
    EXPECT_EQ(defineSprite(4, sprite).body,
              (Bytes{0x04, 0x00, 0x02, 0x00,                   // id 4, two frames
                     0x85, 0x06, 0x02, 0x01, 0x00, 0x03, 0x00, // PlaceObject2 at depth 1
                     0x40, 0x00, 0x40, 0x00, 0x00, 0x00}));
}

TEST(SwfActions, RecordsCarryTheirLengthOnlyWithOperands)
{
    // Code, then for codes from 0x80 a 16-bit length and the operands.
    const auto record = [](const Action& action) { return encoded([&](ByteWriter& o) { writeAction(o, action); }); };
    EXPECT_EQ(record(PlainAction{swf::ActionCode::Stop}), (Bytes{0x07}));
    EXPECT_EQ(record(PlainAction{swf::ActionCode::SetTarget2}), (Bytes{0x20}));
    EXPECT_EQ(record(GotoFrame{4}), (Bytes{0x81, 0x02, 0x00, 0x04, 0x00}));
    EXPECT_EQ(record(GotoLabel{"ab"}), (Bytes{0x8C, 0x03, 0x00, 'a', 'b', 0x00}));
    EXPECT_EQ(record(SetTarget{""}), (Bytes{0x8B, 0x01, 0x00, 0x00}));
    // GotoFrame2's flags: bit 1 a scene bias follows, bit 0 play.
    EXPECT_EQ(record(GotoFrame2{true, 3}), (Bytes{0x9F, 0x03, 0x00, 0x03, 0x03, 0x00}));
    EXPECT_EQ(record(GotoFrame2{false, {}}), (Bytes{0x9F, 0x01, 0x00, 0x00}));
    // Push: type 0 a string, 7 a 32-bit integer, 6 a double as its high word, then its low.
    EXPECT_EQ(record(Push{{std::string("x"), std::int32_t{-2}, 1.5}}),
              (Bytes{0x96, 0x11, 0x00, 0x00, 'x', 0x00, 0x07, 0xFE, 0xFF, 0xFF, 0xFF,
                     0x06, 0x00, 0x00, 0xF8, 0x3F, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_THROW(record(PlainAction{swf::ActionCode::GotoFrame}), std::invalid_argument);
    EXPECT_THROW(record(Push{{std::string(70000, 'x')}}), std::invalid_argument);
}

TEST(SwfActions, DoActionEndsWithTheEndRecordAndFrameLabelIsItsName)
{
    const Tag block = doAction({PlainAction{swf::ActionCode::Play}, GotoFrame{0}});
    EXPECT_EQ(block.code, TagCode::DoAction);
    EXPECT_EQ(block.body, (Bytes{0x06, 0x81, 0x02, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(doAction({}).body, (Bytes{0x00}));
    const Tag label = frameLabel("loop");
    EXPECT_EQ(label.code, TagCode::FrameLabel);
    EXPECT_EQ(label.body, (Bytes{'l', 'o', 'o', 'p', 0x00}));
}

TEST(SwfMorph, OffsetPointsAtTheEndEdges)
{
    MorphShape morph;
    morph.fills = {MorphFill{FillKind::Solid, {255, 0, 0, 255}, {0, 0, 255, 255}, {}, {}, {}}};
    StyleChange start;
    start.moveTo = Point{0, 0};
    start.fill1 = 1;
    StyleChange endStart;
    endStart.moveTo = Point{10, 10};
    morph.startRecords = {start, StraightEdge{100, 0}, StraightEdge{0, 100}, StraightEdge{-100, -100}};
    morph.endRecords = {endStart, StraightEdge{200, 0}, StraightEdge{0, 200}, CurvedEdge{-100, -100, -100, -100}};
    const Bytes body = defineMorphShape(1, morph).body;

    const Bytes startBounds = encoded([](ByteWriter& o) { writeRect(o, {0, 100, 0, 100}); });
    const Bytes endBounds = encoded([](ByteWriter& o) { writeRect(o, {10, 210, 10, 210}); });
    const std::size_t offsetAt = 2 + startBounds.size() + endBounds.size();
    EXPECT_EQ(Bytes(body.begin() + 2, body.begin() + static_cast<long>(offsetAt)), concat({startBounds, endBounds}));
    const std::uint32_t offset = body[offsetAt] | body[offsetAt + 1] << 8 | body[offsetAt + 2] << 16 |
                                 static_cast<std::uint32_t>(body[offsetAt + 3]) << 24;
    const std::size_t endEdges = offsetAt + 4 + offset;
    const Bytes expectedEnd = encoded(
        [&](ByteWriter& o) { writeShapeRecords(o, morph.endRecords, ShapeVersion::Shape3, 0, 0); });
    ASSERT_EQ(body.size() - endEdges, expectedEnd.size());
    EXPECT_EQ(Bytes(body.begin() + static_cast<long>(endEdges), body.end()), expectedEnd);
    // One solid morph fill: type 00, start red, end blue.
    EXPECT_EQ(Bytes(body.begin() + static_cast<long>(offsetAt) + 4, body.begin() + static_cast<long>(offsetAt) + 14),
              (Bytes{0x01, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF}));

    morph.endRecords.pop_back();
    EXPECT_THROW(defineMorphShape(1, morph), std::invalid_argument);
}

TEST(SwfMovie, HeaderHoldsStageRateCountAndTheWholeLength)
{
    MovieBuilder movie({10, {0, 11000, 0, 8000}, 24.0, Compression::None});
    movie.root().showFrame();
    const Bytes expected = {'F', 'W', 'S', 10, 31, 0, 0, 0,              // signature, version, length
                            0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, // stage
                            0x00, 0x18, 0x01, 0x00,                       // 24.0 frames a second, 1 frame
                            0x44, 0x11, 0x00, 0x00, 0x00, 0x00,           // FileAttributes
                            0x40, 0x00, 0x00, 0x00};                      // ShowFrame, End
    EXPECT_EQ(movie.encode(), expected);

    // Before version 8 there is no FileAttributes tag; 12.5 frames a second is 0x0C80.
    MovieBuilder old({6, {0, 11000, 0, 8000}, 12.5, Compression::None});
    const Bytes bytes = old.encode();
    EXPECT_EQ(bytes.size(), 23u);
    EXPECT_EQ(Bytes(bytes.begin() + 17, bytes.end()), (Bytes{0x80, 0x0C, 0x00, 0x00, 0x00, 0x00}));
}

TEST(SwfMovie, ZlibBodyInflatesToTheUncompressedBody)
{
    const auto build = [](Compression compression) {
        MovieBuilder movie({10, {0, 11895, 0, 5535}, 30.0, compression});
        movie.setBackgroundColor({10, 20, 30, 255});
        ShapeBuilder builder;
        builder.ellipse({0, 0}, 500, 500, builder.addFill(Fill::solid({200, 0, 0, 255})));
        const std::uint16_t id = movie.defineShape(builder.shape());
        PlaceObject place;
        place.characterId = id;
        for (int frame = 0; frame < 20; ++frame) {
            place.matrix = Matrix::translation(frame * 100, 2000);
            movie.root().place(place);
            place.move = true;
            place.characterId.reset();
            movie.root().showFrame();
        }
        return movie.encode();
    };
    const Bytes plain = build(Compression::None);
    const Bytes packed = build(Compression::Zlib);
    EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 3), (Bytes{'C', 'W', 'S'}));
    // The length field counts the uncompressed file.
    EXPECT_EQ(Bytes(packed.begin() + 3, packed.begin() + 8), Bytes(plain.begin() + 3, plain.begin() + 8));
    uLongf size = static_cast<uLongf>(plain.size() - 8);
    Bytes inflated(size);
    ASSERT_EQ(uncompress(inflated.data(), &size, packed.data() + 8, static_cast<uLong>(packed.size() - 8)), Z_OK);
    EXPECT_EQ(inflated, Bytes(plain.begin() + 8, plain.end()));
    EXPECT_EQ(plain[19], 20); // frame count
}

TEST(SwfMovie, RefusesShapesTheFileVersionCannotHold)
{
    MovieBuilder movie({6, {0, 100, 0, 100}, 30.0, Compression::None});
    EXPECT_THROW(movie.defineShape(Shape{}, ShapeVersion::Shape4), std::invalid_argument);
    EXPECT_EQ(movie.defineShape(Shape{}, ShapeVersion::Shape3), 1);
    EXPECT_EQ(movie.defineShape(Shape{}, ShapeVersion::Shape3), 2);
}
