#pragma once
// Shapes and morph shapes as the writer takes them: fill and line styles, the records
// that draw with them, the encoders of the format's shape structures and the tags that
// define both.

#include "swfwriter/BasicTypes.h"
#include "swfwriter/Tags.h"

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace swf::write {

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

void writeFillStyles(ByteWriter& out, const std::vector<Fill>& fills, ShapeVersion version);
void writeLineStyles(ByteWriter& out, const std::vector<Line>& lines, ShapeVersion version);
// The records with their end record, byte-aligned, with the given index widths at the
// start (new style tables in the records change them on the way).
void writeShapeRecords(ByteWriter& out, const std::vector<ShapeElement>& records, ShapeVersion version,
                       int fillBits, int lineBits);
// A SHAPEWITHSTYLE: the style tables, their index widths, the records.
void writeShapeWithStyle(ByteWriter& out, const Shape& shape, ShapeVersion version);

Tag defineShape(std::uint16_t id, const Shape& shape, ShapeVersion version);
Tag defineMorphShape(std::uint16_t id, const MorphShape& shape);

} // namespace swf::write
