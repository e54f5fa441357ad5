#pragma once
// Shapes as the renderer needs them: style tables and closed fill paths per style, built
// once from the edge records when a shape is defined.

#include "swf/ByteReader.h"

#include <QPainterPath>
#include <QPointF>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace swf {

struct Gradient {
    enum class Spread { Pad, Reflect, Repeat };
    Spread spread = Spread::Pad;
    bool linearRgb = false;
    // Ratio in 0..255 and colour, in file order.
    std::vector<std::pair<int, QColor>> stops;
    double focal = 0.0;
};

struct FillStyle {
    enum class Kind { Solid, Linear, Radial, Focal, Bitmap };
    Kind kind = Kind::Solid;
    QColor colour = Qt::black;
    // Gradient square or bitmap pixels into shape twips.
    QTransform matrix;
    Gradient gradient;
    std::uint16_t bitmapId = 0;
    bool repeat = true;
    bool smooth = true;
};

struct LineStyle {
    double width = 20.0;
    // At the start and at the end of each open run.
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenCapStyle endCap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double miterLimit = 3.0;
    bool hasFill = false;
    // Keeps its width whatever the object's scale (only the stage's own scaling applies).
    bool fixedWidth = false;
    FillStyle fill;
};

// One shape record with absolute coordinates in twips, so that morph shapes can interpolate
// two record lists point by point.
struct ShapeRecord {
    // One byte, as a shape holds many thousands of records.
    enum class Type : std::uint8_t { Style, Straight, Curve };
    Type type = Type::Style;
    // Style change: which parts it sets.
    bool moves = false;
    bool setsFill0 = false;
    bool setsFill1 = false;
    bool setsLine = false;
    bool newStyles = false;
    int fill0 = 0;
    int fill1 = 0;
    int line = 0;
    // Index into ShapeDefinition::styleTables for newStyles.
    int styleTable = 0;
    QPointF control;
    // The pen position after the record (the move target or the edge's anchor).
    QPointF anchor;
};

struct StyleTable {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
};

// One style table's worth of drawing: fills in style order, then strokes; later layers
// are drawn above earlier ones.
struct ShapeLayer {
    std::vector<std::pair<FillStyle, QPainterPath>> fills;
    std::vector<std::pair<LineStyle, QPainterPath>> strokes;
};

struct ShapeGeometry {
    std::vector<ShapeLayer> layers;
};

// Builds fillable paths from records: per fill style, edge runs are collected with fill0
// runs reversed so the fill lies on one side, then linked end to start into closed contours.
ShapeGeometry buildGeometry(const std::vector<ShapeRecord>& records,
                            const std::vector<StyleTable>& tables, bool windingFill);

// Reading. version is the DefineShape version 1..4 (morph shapes read as 3 for colours).
struct ShapeReadContext {
    int version = 1;
    std::size_t maxRecords = 1u << 20;
    // Fill and line styles that new style tables in the records may bring, all together.
    std::size_t maxNewStyles = 1u << 20;
};

FillStyle readFillStyle(ByteReader& reader, int version);
// The parts plain and morph styles share: a gradient's spread and interpolation byte
// (returns the number of stops that follow), LINESTYLE2's caps, join, fill flag and miter
// limit, and the kind a fill type byte names (nullopt for an unknown type).
int readGradientHead(ByteReader& reader, Gradient& gradient);
void readLineStyle2Head(ByteReader& reader, LineStyle& style);
std::optional<FillStyle::Kind> fillKind(std::uint8_t type);
// A style list's length, of which at most most are read: the caller's budget may allow fewer
// than the 65,535 a list may hold.
std::size_t readStyleCount(ByteReader& reader, bool extended, std::size_t most);
std::vector<FillStyle> readFillStyles(ByteReader& reader, int version, std::size_t most = 0xFFFF);
std::vector<LineStyle> readLineStyles(ByteReader& reader, int version, std::size_t most = 0xFFFF);
// Reads records up to the end record; new style tables are appended to tables. Returns false
// when the records were cut short, or stopped at a table past the styles allowed (those read
// are kept).
bool readShapeRecords(ByteReader& reader, const ShapeReadContext& context,
                      std::vector<ShapeRecord>& records, std::vector<StyleTable>& tables);

} // namespace swf
