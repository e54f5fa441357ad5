#include "swfwriter/Shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace swf::write {

namespace {

// The widths of the format's bit-field length prefixes.
constexpr int kMaxFieldBits = 31; // UB[5]
constexpr int kMaxEdgeBits = 17;  // UB[4] + 2
constexpr int kMaxStyleBits = 15; // UB[4]
constexpr std::uint8_t kExtendedCount = 0xff;

bool hasAlpha(ShapeVersion version)
{
    return version >= ShapeVersion::Shape3;
}

void writeColor(ByteWriter& out, Rgba color, ShapeVersion version)
{
    if (hasAlpha(version))
        writeRgba(out, color);
    else
        writeRgb(out, color);
}

void writeStyleCount(ByteWriter& out, std::size_t count, ShapeVersion version)
{
    if (count < kExtendedCount) {
        out.u8(static_cast<std::uint8_t>(count));
        return;
    }
    if (version == ShapeVersion::Shape1) {
        require(count == kExtendedCount, "DefineShape holds at most 255 styles of a kind");
        out.u8(kExtendedCount);
        return;
    }
    require(count <= std::numeric_limits<std::uint16_t>::max(), "too many styles");
    out.u8(kExtendedCount);
    out.u16(static_cast<std::uint16_t>(count));
}

int styleIndexBits(std::size_t count)
{
    const int bits = unsignedBits(static_cast<std::uint32_t>(count));
    require(bits <= kMaxStyleBits, "too many styles for the index fields");
    return bits;
}

void writeGradient(ByteWriter& out, const FillGradient& gradient, bool focal, ShapeVersion version)
{
    const std::size_t maxStops = version == ShapeVersion::Shape4 ? 15 : 8;
    require(!gradient.stops.empty() && gradient.stops.size() <= maxStops, "gradient stop count out of range");
    out.align();
    out.ubits(static_cast<std::uint32_t>(gradient.spread), 2);
    out.ubits(static_cast<std::uint32_t>(gradient.interpolation), 2);
    out.ubits(static_cast<std::uint32_t>(gradient.stops.size()), 4);
    for (const GradientStop& stop : gradient.stops) {
        out.u8(stop.ratio);
        writeColor(out, stop.color, version);
    }
    if (focal)
        out.fixed8(gradient.focalPoint);
}

void writeFillStyle(ByteWriter& out, const Fill& fill, ShapeVersion version)
{
    out.u8(static_cast<std::uint8_t>(fill.kind));
    switch (fill.kind) {
    case FillKind::Solid:
        writeColor(out, fill.color, version);
        break;
    case FillKind::FocalGradient:
        require(version == ShapeVersion::Shape4, "focal gradients need DefineShape4");
        [[fallthrough]];
    case FillKind::LinearGradient:
    case FillKind::RadialGradient:
        writeMatrix(out, fill.matrix);
        writeGradient(out, fill.gradient, fill.kind == FillKind::FocalGradient, version);
        break;
    default:
        require(false, "unknown fill kind");
    }
}

void writeLineStyle2(ByteWriter& out, const Line& line)
{
    out.u16(line.width);
    out.ubits(static_cast<std::uint32_t>(line.startCap), 2);
    out.ubits(static_cast<std::uint32_t>(line.join), 2);
    out.ubits(line.fill ? 1 : 0, 1);
    out.ubits(line.noHScale ? 1 : 0, 1);
    out.ubits(line.noVScale ? 1 : 0, 1);
    out.ubits(line.pixelHinting ? 1 : 0, 1);
    out.ubits(0, 5);
    out.ubits(line.noClose ? 1 : 0, 1);
    out.ubits(static_cast<std::uint32_t>(line.endCap), 2);
    if (line.join == JoinStyle::Miter)
        out.u16(static_cast<std::uint16_t>(std::lround(line.miterLimit * 256.0)));
    if (line.fill)
        writeFillStyle(out, *line.fill, ShapeVersion::Shape4);
    else
        writeRgba(out, line.color);
}

// The style tables in force while the records are written, for index checks.
struct StyleState {
    std::size_t fills = 0;
    std::size_t lines = 0;
    int fillBits = 0;
    int lineBits = 0;
};

void writeStyleChange(ByteWriter& out, const StyleChange& change, ShapeVersion version, StyleState& state)
{
    const bool any = change.moveTo || change.fill0 || change.fill1 || change.line || change.newStyles;
    require(any, "a style change must change something (an empty one ends the shape)");
    out.ubits(0, 1);
    out.ubits(change.newStyles ? 1 : 0, 1);
    out.ubits(change.line ? 1 : 0, 1);
    out.ubits(change.fill1 ? 1 : 0, 1);
    out.ubits(change.fill0 ? 1 : 0, 1);
    out.ubits(change.moveTo ? 1 : 0, 1);
    if (change.moveTo) {
        const int bits = fieldBits({change.moveTo->x, change.moveTo->y}, kMaxFieldBits, "move out of range");
        out.ubits(static_cast<std::uint32_t>(bits), 5);
        out.sbits(change.moveTo->x, bits);
        out.sbits(change.moveTo->y, bits);
    }
    for (const auto& fill : {change.fill0, change.fill1}) {
        if (fill) {
            require(*fill <= state.fills, "fill style index past its table");
            out.ubits(*fill, state.fillBits);
        }
    }
    if (change.line) {
        require(*change.line <= state.lines, "line style index past its table");
        out.ubits(*change.line, state.lineBits);
    }
    if (change.newStyles) {
        require(version != ShapeVersion::Shape1, "new style tables need DefineShape2 or later");
        writeFillStyles(out, change.newStyles->fills, version);
        writeLineStyles(out, change.newStyles->lines, version);
        state = {change.newStyles->fills.size(), change.newStyles->lines.size(),
                 styleIndexBits(change.newStyles->fills.size()), styleIndexBits(change.newStyles->lines.size())};
        out.ubits(static_cast<std::uint32_t>(state.fillBits), 4);
        out.ubits(static_cast<std::uint32_t>(state.lineBits), 4);
    }
}

void writeStraightEdge(ByteWriter& out, const StraightEdge& edge)
{
    const int bits = std::max(2, fieldBits({edge.dx, edge.dy}, kMaxEdgeBits, "edge too long"));
    out.ubits(1, 1);
    out.ubits(1, 1);
    out.ubits(static_cast<std::uint32_t>(bits - 2), 4);
    const bool general = edge.dx != 0 && edge.dy != 0;
    out.ubits(general ? 1 : 0, 1);
    if (general) {
        out.sbits(edge.dx, bits);
        out.sbits(edge.dy, bits);
        return;
    }
    const bool vertical = edge.dx == 0;
    out.ubits(vertical ? 1 : 0, 1);
    out.sbits(vertical ? edge.dy : edge.dx, bits);
}

void writeCurvedEdge(ByteWriter& out, const CurvedEdge& edge)
{
    const int bits = std::max(
        2, fieldBits({edge.controlDx, edge.controlDy, edge.anchorDx, edge.anchorDy}, kMaxEdgeBits, "curve too long"));
    out.ubits(1, 1);
    out.ubits(0, 1);
    out.ubits(static_cast<std::uint32_t>(bits - 2), 4);
    out.sbits(edge.controlDx, bits);
    out.sbits(edge.controlDy, bits);
    out.sbits(edge.anchorDx, bits);
    out.sbits(edge.anchorDy, bits);
}

void writeRecords(ByteWriter& out, const std::vector<ShapeElement>& records, ShapeVersion version,
                  StyleState state)
{
    for (const ShapeElement& record : records) {
        if (const auto* change = std::get_if<StyleChange>(&record))
            writeStyleChange(out, *change, version, state);
        else if (const auto* straight = std::get_if<StraightEdge>(&record))
            writeStraightEdge(out, *straight);
        else
            writeCurvedEdge(out, std::get<CurvedEdge>(record));
    }
    out.ubits(0, 6);
    out.align();
}

// Grows a box to take in points, in doubles so curve extremes can be added exactly.
class BoxBuilder {
public:
    void add(double x, double y)
    {
        minX_ = std::min(minX_, x);
        maxX_ = std::max(maxX_, x);
        minY_ = std::min(minY_, y);
        maxY_ = std::max(maxY_, y);
        empty_ = false;
    }

    // The extreme of a quadratic Bezier along one axis, when it lies inside the curve.
    static std::optional<double> extreme(double from, double control, double to)
    {
        const double denominator = from - 2.0 * control + to;
        if (denominator == 0.0)
            return std::nullopt;
        const double t = (from - control) / denominator;
        if (t <= 0.0 || t >= 1.0)
            return std::nullopt;
        return (1 - t) * (1 - t) * from + 2 * (1 - t) * t * control + t * t * to;
    }

    Rect rect(std::int32_t margin) const
    {
        if (empty_)
            return {};
        return {static_cast<std::int32_t>(std::floor(minX_)) - margin,
                static_cast<std::int32_t>(std::ceil(maxX_)) + margin,
                static_cast<std::int32_t>(std::floor(minY_)) - margin,
                static_cast<std::int32_t>(std::ceil(maxY_)) + margin};
    }

private:
    double minX_ = std::numeric_limits<double>::max();
    double maxX_ = std::numeric_limits<double>::lowest();
    double minY_ = std::numeric_limits<double>::max();
    double maxY_ = std::numeric_limits<double>::lowest();
    bool empty_ = true;
};

// Walks records with a pen and reports each edge's geometry and the line drawing it.
struct EdgeBox {
    BoxBuilder box;
    std::uint32_t widestLine = 0;
};

template <class LineWidth>
EdgeBox measureRecords(const std::vector<ShapeElement>& records, LineWidth lineWidth)
{
    EdgeBox result;
    double x = 0;
    double y = 0;
    std::uint32_t line = 0;
    const auto drawnWith = [&] {
        if (line != 0)
            result.widestLine = std::max(result.widestLine, lineWidth(line));
    };
    for (const ShapeElement& record : records) {
        if (const auto* change = std::get_if<StyleChange>(&record)) {
            lineWidth.newTables(*change);
            if (change->newStyles)
                line = 0;
            if (change->line)
                line = *change->line;
            if (change->moveTo) {
                x = change->moveTo->x;
                y = change->moveTo->y;
            }
        } else if (const auto* straight = std::get_if<StraightEdge>(&record)) {
            result.box.add(x, y);
            x += straight->dx;
            y += straight->dy;
            result.box.add(x, y);
            drawnWith();
        } else {
            const auto& curve = std::get<CurvedEdge>(record);
            const double cx = x + curve.controlDx;
            const double cy = y + curve.controlDy;
            const double ax = cx + curve.anchorDx;
            const double ay = cy + curve.anchorDy;
            result.box.add(x, y);
            result.box.add(ax, ay);
            // An extreme widens one axis only: pair it with the start's other coordinate,
            // which the box holds already.
            if (auto ex = BoxBuilder::extreme(x, cx, ax))
                result.box.add(*ex, y);
            if (auto ey = BoxBuilder::extreme(y, cy, ay))
                result.box.add(x, *ey);
            x = ax;
            y = ay;
            drawnWith();
        }
    }
    return result;
}

// Line widths of a shape's tables, following new tables as the records bring them.
class ShapeLineWidths {
public:
    explicit ShapeLineWidths(const std::vector<Line>& lines) : lines_(&lines) {}
    void newTables(const StyleChange& change)
    {
        if (change.newStyles)
            lines_ = &change.newStyles->lines;
    }
    std::uint32_t operator()(std::uint32_t index) const
    {
        return index <= lines_->size() ? (*lines_)[index - 1].width : 0;
    }

private:
    const std::vector<Line>* lines_;
};

std::int32_t halfWidth(std::uint32_t width)
{
    return static_cast<std::int32_t>((width + 1) / 2);
}

std::size_t edgeCount(const std::vector<ShapeElement>& records)
{
    return static_cast<std::size_t>(std::count_if(records.begin(), records.end(), [](const ShapeElement& r) {
        return !std::holds_alternative<StyleChange>(r);
    }));
}

void writeMorphGradient(ByteWriter& out, const std::vector<MorphGradientStop>& stops)
{
    require(!stops.empty() && stops.size() <= 8, "morph gradient stop count out of range");
    out.u8(static_cast<std::uint8_t>(stops.size()));
    for (const MorphGradientStop& stop : stops) {
        out.u8(stop.startRatio);
        writeRgba(out, stop.startColor);
        out.u8(stop.endRatio);
        writeRgba(out, stop.endColor);
    }
}

void writeMorphFillStyle(ByteWriter& out, const MorphFill& fill)
{
    out.u8(static_cast<std::uint8_t>(fill.kind));
    switch (fill.kind) {
    case FillKind::Solid:
        writeRgba(out, fill.startColor);
        writeRgba(out, fill.endColor);
        break;
    case FillKind::LinearGradient:
    case FillKind::RadialGradient:
        writeMatrix(out, fill.startMatrix);
        writeMatrix(out, fill.endMatrix);
        writeMorphGradient(out, fill.stops);
        break;
    default:
        require(false, "morph shapes take solid, linear and radial fills only");
    }
}

} // namespace

Fill Fill::solid(Rgba color)
{
    Fill f;
    f.color = color;
    return f;
}

Fill Fill::linear(const Matrix& matrix, FillGradient gradient)
{
    return {FillKind::LinearGradient, {}, matrix, std::move(gradient)};
}

Fill Fill::radial(const Matrix& matrix, FillGradient gradient)
{
    return {FillKind::RadialGradient, {}, matrix, std::move(gradient)};
}

Fill Fill::focal(const Matrix& matrix, FillGradient gradient)
{
    return {FillKind::FocalGradient, {}, matrix, std::move(gradient)};
}

ShapeBounds computeBounds(const Shape& shape)
{
    const EdgeBox measured = measureRecords(shape.records, ShapeLineWidths(shape.styles.lines));
    return {measured.box.rect(0), measured.box.rect(halfWidth(measured.widestLine))};
}

void writeFillStyles(ByteWriter& out, const std::vector<Fill>& fills, ShapeVersion version)
{
    writeStyleCount(out, fills.size(), version);
    for (const Fill& fill : fills)
        writeFillStyle(out, fill, version);
}

void writeLineStyles(ByteWriter& out, const std::vector<Line>& lines, ShapeVersion version)
{
    writeStyleCount(out, lines.size(), version);
    for (const Line& line : lines) {
        if (version == ShapeVersion::Shape4) {
            writeLineStyle2(out, line);
            continue;
        }
        require(!line.fill, "filled lines need DefineShape4");
        out.u16(line.width);
        writeColor(out, line.color, version);
    }
}

void writeShapeRecords(ByteWriter& out, const std::vector<ShapeElement>& records, ShapeVersion version,
                       int fillBits, int lineBits)
{
    require(fillBits >= 0 && fillBits <= kMaxStyleBits && lineBits >= 0 && lineBits <= kMaxStyleBits,
            "style index width out of range");
    out.align();
    out.ubits(static_cast<std::uint32_t>(fillBits), 4);
    out.ubits(static_cast<std::uint32_t>(lineBits), 4);
    const auto reach = [](int bits) { return bits == 0 ? std::size_t{0} : (std::size_t{1} << bits) - 1; };
    writeRecords(out, records, version, {reach(fillBits), reach(lineBits), fillBits, lineBits});
}

void writeShapeWithStyle(ByteWriter& out, const Shape& shape, ShapeVersion version)
{
    writeFillStyles(out, shape.styles.fills, version);
    writeLineStyles(out, shape.styles.lines, version);
    const StyleState state{shape.styles.fills.size(), shape.styles.lines.size(),
                           styleIndexBits(shape.styles.fills.size()), styleIndexBits(shape.styles.lines.size())};
    out.ubits(static_cast<std::uint32_t>(state.fillBits), 4);
    out.ubits(static_cast<std::uint32_t>(state.lineBits), 4);
    writeRecords(out, shape.records, version, state);
}

Tag defineShape(std::uint16_t id, const Shape& shape, ShapeVersion version)
{
    require(!shape.nonZeroWinding || version == ShapeVersion::Shape4, "the winding rule needs DefineShape4");
    const ShapeBounds bounds = computeBounds(shape);
    ByteWriter out;
    out.u16(id);
    writeRect(out, bounds.withLines);
    if (version == ShapeVersion::Shape4) {
        writeRect(out, bounds.edges);
        const auto scalingKinds = [&shape](bool nonScaling) {
            const auto matches = [nonScaling](const Line& line) {
                return (line.noHScale || line.noVScale) == nonScaling;
            };
            if (std::any_of(shape.styles.lines.begin(), shape.styles.lines.end(), matches))
                return true;
            return std::any_of(shape.records.begin(), shape.records.end(), [&](const ShapeElement& record) {
                const auto* change = std::get_if<StyleChange>(&record);
                return change && change->newStyles &&
                       std::any_of(change->newStyles->lines.begin(), change->newStyles->lines.end(), matches);
            });
        };
        out.ubits(0, 5);
        out.ubits(shape.nonZeroWinding ? 1 : 0, 1);
        out.ubits(scalingKinds(true) ? 1 : 0, 1);
        out.ubits(scalingKinds(false) ? 1 : 0, 1);
    }
    writeShapeWithStyle(out, shape, version);
    static constexpr TagCode codes[] = {TagCode::DefineShape, TagCode::DefineShape2, TagCode::DefineShape3,
                                        TagCode::DefineShape4};
    return {codes[static_cast<int>(version) - 1], out.take()};
}

Tag defineMorphShape(std::uint16_t id, const MorphShape& shape)
{
    require(edgeCount(shape.startRecords) == edgeCount(shape.endRecords),
            "the start and end shapes of a morph need the same edges");
    for (const ShapeElement& record : shape.startRecords) {
        const auto* change = std::get_if<StyleChange>(&record);
        require(!change || !change->newStyles, "morph shapes take no new style tables");
    }
    for (const ShapeElement& record : shape.endRecords) {
        const auto* change = std::get_if<StyleChange>(&record);
        require(!change || (!change->fill0 && !change->fill1 && !change->line && !change->newStyles),
                "the end shape of a morph holds only moves and edges");
    }

    std::uint32_t widest = 0;
    for (const MorphLine& line : shape.lines)
        widest = std::max<std::uint32_t>(widest, std::max(line.startWidth, line.endWidth));
    struct NoLines {
        void newTables(const StyleChange&) {}
        std::uint32_t operator()(std::uint32_t) const { return 0; }
    };
    const Rect startBounds = measureRecords(shape.startRecords, NoLines{}).box.rect(halfWidth(widest));
    const Rect endBounds = measureRecords(shape.endRecords, NoLines{}).box.rect(halfWidth(widest));

    ByteWriter styled;
    writeStyleCount(styled, shape.fills.size(), ShapeVersion::Shape3);
    for (const MorphFill& fill : shape.fills)
        writeMorphFillStyle(styled, fill);
    writeStyleCount(styled, shape.lines.size(), ShapeVersion::Shape3);
    for (const MorphLine& line : shape.lines) {
        styled.u16(line.startWidth);
        styled.u16(line.endWidth);
        writeRgba(styled, line.startColor);
        writeRgba(styled, line.endColor);
    }
    const int fillBits = styleIndexBits(shape.fills.size());
    const int lineBits = styleIndexBits(shape.lines.size());
    styled.ubits(static_cast<std::uint32_t>(fillBits), 4);
    styled.ubits(static_cast<std::uint32_t>(lineBits), 4);
    writeRecords(styled, shape.startRecords, ShapeVersion::Shape3,
                 {shape.fills.size(), shape.lines.size(), fillBits, lineBits});

    ByteWriter out;
    out.u16(id);
    writeRect(out, startBounds);
    writeRect(out, endBounds);
    out.u32(static_cast<std::uint32_t>(styled.size()));
    out.bytes(styled.take());
    writeShapeRecords(out, shape.endRecords, ShapeVersion::Shape3, 0, 0);
    return {TagCode::DefineMorphShape, out.take()};
}

} // namespace swf::write
