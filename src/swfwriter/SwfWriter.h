#pragma once
// Writes SWF movies: the file header, vector shapes, sprites, morph shapes and the
// display-list tags that animate them. Used by the build-time tool that authors the
// program's movies and by tests that build small files in code.
//
// Three layers, each usable alone:
//  - value types (Rect, Matrix, Fill, ShapeElement, PlaceObject ...) that mirror the
//    format's structures field for field, so that a file read back can be compared with
//    what was written;
//  - encoders: write*() put one structure into a ByteWriter; the tag functions return a
//    Tag, a code and its body; encodeTag() adds the short or long tag header;
//  - TimelineBuilder (a list of control tags counting its frames) and MovieBuilder
//    (header, character ids, the root timeline) for building whole files.
//
// All coordinates are in twips (1/20 pixel). A value the format cannot hold (a style
// index past its table, a colour-transform term of more than 15 bits, a shape version
// that lacks the feature asked for) throws std::invalid_argument: the writer never
// produces a file that silently differs from its description.

#include "swf/TagCode.h"
#include "swfwriter/ByteWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace swf::write {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(const Rgba&) const = default;
};

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

// In the file's field order.
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;
    bool operator==(const Rect&) const = default;
};

// x' = scaleX * x + rotateSkew1 * y + translateX
// y' = rotateSkew0 * x + scaleY * y + translateY
// Scale and skew are stored as 16.16 fixed point, the translation in whole twips.
struct Matrix {
    double scaleX = 1.0;
    double scaleY = 1.0;
    double rotateSkew0 = 0.0;
    double rotateSkew1 = 0.0;
    std::int32_t translateX = 0;
    std::int32_t translateY = 0;
    bool operator==(const Matrix&) const = default;

    static Matrix translation(std::int32_t x, std::int32_t y);
    // Turns by `radians` (clockwise on screen, where y points down) about the origin,
    // scales evenly by `scale`, then moves the origin to (x, y).
    static Matrix rotation(double radians, std::int32_t x, std::int32_t y, double scale = 1.0);
    // Maps the format's gradient square (-16384..16384 twips on both axes) onto `box`,
    // then turns it by `radians` (clockwise on screen) about the box's centre. Unturned,
    // a linear gradient runs from the box's left edge to its right edge and a radial one
    // fills the ellipse inside the box.
    static Matrix gradientBox(const Rect& box, double radians = 0.0);
};

// CXFORMWITHALPHA: each channel becomes channel * mult / 256 + add. A transform that
// leaves a part unchanged (all multipliers 256, or all additions 0) omits that part.
struct CxForm {
    std::int16_t redMult = 256;
    std::int16_t greenMult = 256;
    std::int16_t blueMult = 256;
    std::int16_t alphaMult = 256;
    std::int16_t redAdd = 0;
    std::int16_t greenAdd = 0;
    std::int16_t blueAdd = 0;
    std::int16_t alphaAdd = 0;
    bool operator==(const CxForm&) const = default;

    // Multiplies alpha only (0..1), for fading a character in or out.
    static CxForm opacity(double alpha);
    // Replaces the colour channels by a flat colour, keeping the character's alpha.
    static CxForm tint(Rgba colour);
};

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : std::uint8_t { Normal = 0, Linear = 1 };

struct GradientStop {
    std::uint8_t ratio = 0;
    Rgba color;
    bool operator==(const GradientStop&) const = default;
};

struct FillGradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    // 1..15 stops (1..8 before DefineShape4), ratios rising.
    std::vector<GradientStop> stops;
    // Focal gradients only: -1..1 along the gradient's x axis, stored as 8.8.
    double focalPoint = 0.0;
    bool operator==(const FillGradient&) const = default;
};

enum class FillKind : std::uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalGradient = 0x13, // DefineShape4 only
};

struct Fill {
    FillKind kind = FillKind::Solid;
    Rgba color;       // solid fills
    Matrix matrix;    // gradient fills: the gradient square into shape space
    FillGradient gradient;
    bool operator==(const Fill&) const = default;

    static Fill solid(Rgba color);
    static Fill linear(const Matrix& matrix, FillGradient gradient);
    static Fill radial(const Matrix& matrix, FillGradient gradient);
    static Fill focal(const Matrix& matrix, FillGradient gradient);
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct Line {
    std::uint16_t width = 20;
    Rgba color;
    // The rest is written by DefineShape4 only (LINESTYLE2); older versions drop it.
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3.0; // 8.8, written only for miter joins
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    // A line painted with a fill instead of `color`.
    std::optional<Fill> fill;
    bool operator==(const Line&) const = default;
};

struct StyleArrays {
    std::vector<Fill> fills;
    std::vector<Line> lines;
    bool operator==(const StyleArrays&) const = default;
};

// Style indices count from 1 into the current tables; 0 means "none". An index given in
// the same record as new tables is written with the old tables' field width, as the
// format reads it before the new tables.
struct StyleChange {
    std::optional<Point> moveTo; // absolute, from the shape's origin
    std::optional<std::uint32_t> fill0;
    std::optional<std::uint32_t> fill1;
    std::optional<std::uint32_t> line;
    std::optional<StyleArrays> newStyles; // DefineShape2 and later
    bool operator==(const StyleChange&) const = default;
};

// Deltas from the pen; each must fit 17 signed bits (±65535 twips).
struct StraightEdge {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    bool operator==(const StraightEdge&) const = default;
};

struct CurvedEdge {
    std::int32_t controlDx = 0;
    std::int32_t controlDy = 0;
    std::int32_t anchorDx = 0;
    std::int32_t anchorDy = 0;
    bool operator==(const CurvedEdge&) const = default;
};

using ShapeElement = std::variant<StyleChange, StraightEdge, CurvedEdge>;

struct Shape {
    StyleArrays styles;
    std::vector<ShapeElement> records; // without the end record, which the encoder adds
    // DefineShape4 only: fill by the non-zero rule instead of even-odd.
    bool nonZeroWinding = false;
    bool operator==(const Shape&) const = default;
};

// The tight box around the records' geometry (curves by their true extremes), and the
// same widened by half the widest line the records draw with.
struct ShapeBounds {
    Rect edges;
    Rect withLines;
};
ShapeBounds computeBounds(const Shape& shape);

enum class ShapeVersion : std::uint8_t { Shape1 = 1, Shape2 = 2, Shape3 = 3, Shape4 = 4 };

// Morph shapes (DefineMorphShape): the start and end records must match edge for edge;
// the end records carry only moves and edges.
struct MorphGradientStop {
    std::uint8_t startRatio = 0;
    Rgba startColor;
    std::uint8_t endRatio = 0;
    Rgba endColor;
    bool operator==(const MorphGradientStop&) const = default;
};

struct MorphFill {
    FillKind kind = FillKind::Solid; // solid, linear or radial
    Rgba startColor;
    Rgba endColor;
    Matrix startMatrix;
    Matrix endMatrix;
    std::vector<MorphGradientStop> stops; // 1..8
    bool operator==(const MorphFill&) const = default;
};

struct MorphLine {
    std::uint16_t startWidth = 20;
    std::uint16_t endWidth = 20;
    Rgba startColor;
    Rgba endColor;
    bool operator==(const MorphLine&) const = default;
};

struct MorphShape {
    std::vector<MorphFill> fills;
    std::vector<MorphLine> lines;
    std::vector<ShapeElement> startRecords;
    std::vector<ShapeElement> endRecords;
    bool operator==(const MorphShape&) const = default;
};

// PlaceObject2 and PlaceObject3. `move` modifies the character already at the depth;
// with a character id as well it replaces that character.
struct PlaceObject {
    std::uint16_t depth = 1;
    bool move = false;
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<CxForm> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    bool operator==(const PlaceObject&) const = default;
};

struct Tag {
    TagCode code = TagCode::End;
    std::vector<std::uint8_t> body;
    bool operator==(const Tag&) const = default;
};

// Structure encoders.
void writeRect(ByteWriter& out, const Rect& rect);
void writeMatrix(ByteWriter& out, const Matrix& matrix);
void writeCxForm(ByteWriter& out, const CxForm& transform);
void writeRgb(ByteWriter& out, Rgba color);
void writeRgba(ByteWriter& out, Rgba color);
void writeFillStyles(ByteWriter& out, const std::vector<Fill>& fills, ShapeVersion version);
void writeLineStyles(ByteWriter& out, const std::vector<Line>& lines, ShapeVersion version);
// The records with their end record, byte-aligned, with the given index widths at the
// start (new style tables in the records change them on the way).
void writeShapeRecords(ByteWriter& out, const std::vector<ShapeElement>& records, ShapeVersion version,
                       int fillBits, int lineBits);
// A SHAPEWITHSTYLE: the style tables, their index widths, the records.
void writeShapeWithStyle(ByteWriter& out, const Shape& shape, ShapeVersion version);

// A tag with its header: short when the body has fewer than 63 bytes, long otherwise or
// when asked.
std::vector<std::uint8_t> encodeTag(const Tag& tag, bool forceLongHeader = false);

// Tags.
Tag showFrame();
Tag endTag();
Tag setBackgroundColor(Rgba color);
Tag fileAttributes();
Tag defineShape(std::uint16_t id, const Shape& shape, ShapeVersion version);
Tag defineMorphShape(std::uint16_t id, const MorphShape& shape);
Tag placeObject2(const PlaceObject& place);
Tag placeObject3(const PlaceObject& place);
Tag removeObject2(std::uint16_t depth);

// A list of control tags and the frames they make: the root of a movie, or a sprite.
class TimelineBuilder {
public:
    void add(Tag tag);
    void place(const PlaceObject& place) { add(placeObject2(place)); }
    void remove(std::uint16_t depth) { add(removeObject2(depth)); }
    void showFrame();

    std::uint16_t frameCount() const { return frames_; }
    const std::vector<Tag>& tags() const { return tags_; }
    // Every tag with its header, then the end tag.
    std::vector<std::uint8_t> encode() const;

private:
    std::vector<Tag> tags_;
    std::uint16_t frames_ = 0;
};

Tag defineSprite(std::uint16_t id, const TimelineBuilder& timeline);

enum class Compression { None, Zlib };

struct MovieHeader {
    std::uint8_t version = 10;
    Rect stage;
    double frameRate = 30.0; // stored as 8.8
    Compression compression = Compression::Zlib;
};

// A whole file. Definitions go onto the root timeline where they are made, so each
// comes before the frames that use it; character ids are handed out from 1.
class MovieBuilder {
public:
    explicit MovieBuilder(MovieHeader header);

    std::uint16_t defineShape(const Shape& shape, ShapeVersion version = ShapeVersion::Shape4);
    std::uint16_t defineMorphShape(const MorphShape& shape);
    std::uint16_t defineSprite(const TimelineBuilder& timeline);
    void setBackgroundColor(Rgba color) { root_.add(swf::write::setBackgroundColor(color)); }

    TimelineBuilder& root() { return root_; }
    const MovieHeader& header() const { return header_; }

    // The file: signature, version, uncompressed length, then the (compressed) body.
    // Files of version 8 and later open with a FileAttributes tag, as the format asks.
    std::vector<std::uint8_t> encode() const;

private:
    std::uint16_t nextId();

    MovieHeader header_;
    TimelineBuilder root_;
    std::uint16_t lastId_ = 0;
};

} // namespace swf::write
