#include "swf/SwfWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace swf::write {

namespace {

// The widths of the format's bit-field length prefixes.
constexpr int kMaxFieldBits = 31;    // UB[5]
constexpr int kMaxCxformBits = 15;   // UB[4]
constexpr int kMaxEdgeBits = 17;     // UB[4] + 2
constexpr int kMaxStyleBits = 15;    // UB[4]
constexpr std::uint8_t kExtendedCount = 0xff;

void require(bool condition, const char* what)
{
    if (!condition)
        throw std::invalid_argument(what);
}

int fieldBits(std::initializer_list<std::int32_t> values, int limit, const char* what)
{
    const int bits = signedBits(values);
    require(bits <= limit, what);
    return bits;
}

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

void writeGradient(ByteWriter& out, const Gradient& gradient, bool focal, ShapeVersion version)
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

void writeFillStyle(ByteWriter& out, const FillStyle& fill, ShapeVersion version)
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

void writeLineStyle2(ByteWriter& out, const LineStyle& line)
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

void writeRecords(ByteWriter& out, const std::vector<ShapeRecord>& records, ShapeVersion version,
                  StyleState state)
{
    for (const ShapeRecord& record : records) {
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
EdgeBox measureRecords(const std::vector<ShapeRecord>& records, LineWidth lineWidth)
{
    EdgeBox result;
    double x = 0;
    double y = 0;
    std::uint32_t line = 0;
    const auto drawnWith = [&] {
        if (line != 0)
            result.widestLine = std::max(result.widestLine, lineWidth(line));
    };
    for (const ShapeRecord& record : records) {
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
    explicit ShapeLineWidths(const std::vector<LineStyle>& lines) : lines_(&lines) {}
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
    const std::vector<LineStyle>* lines_;
};

std::int32_t halfWidth(std::uint32_t width)
{
    return static_cast<std::int32_t>((width + 1) / 2);
}

std::size_t edgeCount(const std::vector<ShapeRecord>& records)
{
    return static_cast<std::size_t>(std::count_if(records.begin(), records.end(), [](const ShapeRecord& r) {
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

void writeMorphFillStyle(ByteWriter& out, const MorphFillStyle& fill)
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

std::uint8_t placeFlags(const PlaceObject& place)
{
    std::uint8_t flags = 0;
    if (place.clipDepth)
        flags |= 0x40;
    if (place.name)
        flags |= 0x20;
    if (place.ratio)
        flags |= 0x10;
    if (place.colorTransform)
        flags |= 0x08;
    if (place.matrix)
        flags |= 0x04;
    if (place.characterId)
        flags |= 0x02;
    if (place.move)
        flags |= 0x01;
    return flags;
}

std::vector<std::uint8_t> encodePlacement(const PlaceObject& place, bool secondFlagByte)
{
    ByteWriter out;
    out.u8(placeFlags(place));
    if (secondFlagByte)
        out.u8(0); // no class name, image, bitmap caching, blend mode or filters
    out.u16(place.depth);
    if (place.characterId)
        out.u16(*place.characterId);
    if (place.matrix)
        writeMatrix(out, *place.matrix);
    if (place.colorTransform)
        writeColorTransform(out, *place.colorTransform);
    if (place.ratio)
        out.u16(*place.ratio);
    if (place.name)
        out.string(*place.name);
    if (place.clipDepth)
        out.u16(*place.clipDepth);
    return out.take();
}

} // namespace

Matrix Matrix::translation(std::int32_t x, std::int32_t y)
{
    Matrix m;
    m.translateX = x;
    m.translateY = y;
    return m;
}

Matrix Matrix::rotation(double radians, std::int32_t x, std::int32_t y, double scale)
{
    Matrix m;
    m.scaleX = scale * std::cos(radians);
    m.scaleY = m.scaleX;
    m.rotateSkew0 = scale * std::sin(radians);
    m.rotateSkew1 = -m.rotateSkew0;
    m.translateX = x;
    m.translateY = y;
    return m;
}

Matrix Matrix::gradientBox(const Rect& box, double radians)
{
    constexpr double kSquare = 32768.0;
    const double sx = (box.xMax - box.xMin) / kSquare;
    const double sy = (box.yMax - box.yMin) / kSquare;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    Matrix m;
    m.scaleX = sx * c;
    m.rotateSkew0 = sx * s;
    m.rotateSkew1 = -sy * s;
    m.scaleY = sy * c;
    m.translateX = static_cast<std::int32_t>(std::lround((box.xMin + box.xMax) / 2.0));
    m.translateY = static_cast<std::int32_t>(std::lround((box.yMin + box.yMax) / 2.0));
    return m;
}

ColorTransform ColorTransform::opacity(double alpha)
{
    ColorTransform t;
    t.alphaMult = static_cast<std::int16_t>(std::lround(std::clamp(alpha, 0.0, 1.0) * 256.0));
    return t;
}

ColorTransform ColorTransform::tint(Rgba colour)
{
    ColorTransform t;
    t.redMult = t.greenMult = t.blueMult = 0;
    t.redAdd = colour.r;
    t.greenAdd = colour.g;
    t.blueAdd = colour.b;
    return t;
}

FillStyle FillStyle::solid(Rgba color)
{
    FillStyle f;
    f.color = color;
    return f;
}

FillStyle FillStyle::linear(const Matrix& matrix, Gradient gradient)
{
    return {FillKind::LinearGradient, {}, matrix, std::move(gradient)};
}

FillStyle FillStyle::radial(const Matrix& matrix, Gradient gradient)
{
    return {FillKind::RadialGradient, {}, matrix, std::move(gradient)};
}

FillStyle FillStyle::focal(const Matrix& matrix, Gradient gradient)
{
    return {FillKind::FocalGradient, {}, matrix, std::move(gradient)};
}

ShapeBounds computeBounds(const Shape& shape)
{
    const EdgeBox measured = measureRecords(shape.records, ShapeLineWidths(shape.styles.lines));
    return {measured.box.rect(0), measured.box.rect(halfWidth(measured.widestLine))};
}

void writeRect(ByteWriter& out, const Rect& rect)
{
    const int bits =
        fieldBits({rect.xMin, rect.xMax, rect.yMin, rect.yMax}, kMaxFieldBits, "rectangle out of range");
    out.align();
    out.ubits(static_cast<std::uint32_t>(bits), 5);
    for (std::int32_t v : {rect.xMin, rect.xMax, rect.yMin, rect.yMax})
        out.sbits(v, bits);
    out.align();
}

void writeMatrix(ByteWriter& out, const Matrix& matrix)
{
    out.align();
    const std::int32_t scaleX = toFixed16(matrix.scaleX);
    const std::int32_t scaleY = toFixed16(matrix.scaleY);
    const bool hasScale = scaleX != 0x10000 || scaleY != 0x10000;
    out.ubits(hasScale ? 1 : 0, 1);
    if (hasScale) {
        const int bits = fieldBits({scaleX, scaleY}, kMaxFieldBits, "matrix scale out of range");
        out.ubits(static_cast<std::uint32_t>(bits), 5);
        out.sbits(scaleX, bits);
        out.sbits(scaleY, bits);
    }
    const std::int32_t skew0 = toFixed16(matrix.rotateSkew0);
    const std::int32_t skew1 = toFixed16(matrix.rotateSkew1);
    const bool hasRotate = skew0 != 0 || skew1 != 0;
    out.ubits(hasRotate ? 1 : 0, 1);
    if (hasRotate) {
        const int bits = fieldBits({skew0, skew1}, kMaxFieldBits, "matrix skew out of range");
        out.ubits(static_cast<std::uint32_t>(bits), 5);
        out.sbits(skew0, bits);
        out.sbits(skew1, bits);
    }
    const int bits =
        fieldBits({matrix.translateX, matrix.translateY}, kMaxFieldBits, "matrix translation out of range");
    out.ubits(static_cast<std::uint32_t>(bits), 5);
    out.sbits(matrix.translateX, bits);
    out.sbits(matrix.translateY, bits);
    out.align();
}

void writeColorTransform(ByteWriter& out, const ColorTransform& t)
{
    const bool hasMult = t.redMult != 256 || t.greenMult != 256 || t.blueMult != 256 || t.alphaMult != 256;
    const bool hasAdd = t.redAdd != 0 || t.greenAdd != 0 || t.blueAdd != 0 || t.alphaAdd != 0;
    int bits = 0;
    if (hasMult)
        bits = fieldBits({t.redMult, t.greenMult, t.blueMult, t.alphaMult}, kMaxCxformBits,
                         "colour multiplier out of range");
    if (hasAdd)
        bits = std::max(bits, fieldBits({t.redAdd, t.greenAdd, t.blueAdd, t.alphaAdd}, kMaxCxformBits,
                                        "colour addition out of range"));
    out.align();
    out.ubits(hasAdd ? 1 : 0, 1);
    out.ubits(hasMult ? 1 : 0, 1);
    out.ubits(static_cast<std::uint32_t>(bits), 4);
    if (hasMult) {
        for (std::int16_t v : {t.redMult, t.greenMult, t.blueMult, t.alphaMult})
            out.sbits(v, bits);
    }
    if (hasAdd) {
        for (std::int16_t v : {t.redAdd, t.greenAdd, t.blueAdd, t.alphaAdd})
            out.sbits(v, bits);
    }
    out.align();
}

void writeRgb(ByteWriter& out, Rgba color)
{
    out.u8(color.r);
    out.u8(color.g);
    out.u8(color.b);
}

void writeRgba(ByteWriter& out, Rgba color)
{
    writeRgb(out, color);
    out.u8(color.a);
}

void writeFillStyles(ByteWriter& out, const std::vector<FillStyle>& fills, ShapeVersion version)
{
    writeStyleCount(out, fills.size(), version);
    for (const FillStyle& fill : fills)
        writeFillStyle(out, fill, version);
}

void writeLineStyles(ByteWriter& out, const std::vector<LineStyle>& lines, ShapeVersion version)
{
    writeStyleCount(out, lines.size(), version);
    for (const LineStyle& line : lines) {
        if (version == ShapeVersion::Shape4) {
            writeLineStyle2(out, line);
            continue;
        }
        require(!line.fill, "filled lines need DefineShape4");
        out.u16(line.width);
        writeColor(out, line.color, version);
    }
}

void writeShapeRecords(ByteWriter& out, const std::vector<ShapeRecord>& records, ShapeVersion version,
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

std::vector<std::uint8_t> encodeTag(const Tag& tag, bool forceLongHeader)
{
    constexpr std::size_t kLongLength = 0x3f;
    require(tag.code < 1024, "tag code out of range");
    require(tag.body.size() <= std::numeric_limits<std::uint32_t>::max(), "tag too long");
    ByteWriter out;
    const auto codeBits = static_cast<std::uint16_t>(tag.code << 6);
    if (tag.body.size() < kLongLength && !forceLongHeader) {
        out.u16(static_cast<std::uint16_t>(codeBits | tag.body.size()));
    } else {
        out.u16(static_cast<std::uint16_t>(codeBits | kLongLength));
        out.u32(static_cast<std::uint32_t>(tag.body.size()));
    }
    out.bytes(tag.body);
    return out.take();
}

Tag showFrame()
{
    return {tag_code::ShowFrame, {}};
}

Tag endTag()
{
    return {tag_code::End, {}};
}

Tag setBackgroundColor(Rgba color)
{
    ByteWriter out;
    writeRgb(out, color);
    return {tag_code::SetBackgroundColor, out.take()};
}

Tag fileAttributes()
{
    // No network access, no metadata, no ActionScript 3: every flag clear.
    ByteWriter out;
    out.u32(0);
    return {tag_code::FileAttributes, out.take()};
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
            const auto matches = [nonScaling](const LineStyle& line) {
                return (line.noHScale || line.noVScale) == nonScaling;
            };
            if (std::any_of(shape.styles.lines.begin(), shape.styles.lines.end(), matches))
                return true;
            return std::any_of(shape.records.begin(), shape.records.end(), [&](const ShapeRecord& record) {
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
    static constexpr std::uint16_t codes[] = {0, tag_code::DefineShape, tag_code::DefineShape2,
                                              tag_code::DefineShape3, tag_code::DefineShape4};
    return {codes[static_cast<int>(version)], out.take()};
}

Tag defineMorphShape(std::uint16_t id, const MorphShape& shape)
{
    require(edgeCount(shape.startRecords) == edgeCount(shape.endRecords),
            "the start and end shapes of a morph need the same edges");
    for (const ShapeRecord& record : shape.startRecords) {
        const auto* change = std::get_if<StyleChange>(&record);
        require(!change || !change->newStyles, "morph shapes take no new style tables");
    }
    for (const ShapeRecord& record : shape.endRecords) {
        const auto* change = std::get_if<StyleChange>(&record);
        require(!change || (!change->fill0 && !change->fill1 && !change->line && !change->newStyles),
                "the end shape of a morph holds only moves and edges");
    }

    std::uint32_t widest = 0;
    for (const MorphLineStyle& line : shape.lines)
        widest = std::max<std::uint32_t>(widest, std::max(line.startWidth, line.endWidth));
    struct NoLines {
        void newTables(const StyleChange&) {}
        std::uint32_t operator()(std::uint32_t) const { return 0; }
    };
    const Rect startBounds = measureRecords(shape.startRecords, NoLines{}).box.rect(halfWidth(widest));
    const Rect endBounds = measureRecords(shape.endRecords, NoLines{}).box.rect(halfWidth(widest));

    ByteWriter styled;
    writeStyleCount(styled, shape.fills.size(), ShapeVersion::Shape3);
    for (const MorphFillStyle& fill : shape.fills)
        writeMorphFillStyle(styled, fill);
    writeStyleCount(styled, shape.lines.size(), ShapeVersion::Shape3);
    for (const MorphLineStyle& line : shape.lines) {
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
    return {tag_code::DefineMorphShape, out.take()};
}

Tag placeObject2(const PlaceObject& place)
{
    return {tag_code::PlaceObject2, encodePlacement(place, false)};
}

Tag placeObject3(const PlaceObject& place)
{
    return {tag_code::PlaceObject3, encodePlacement(place, true)};
}

Tag removeObject2(std::uint16_t depth)
{
    ByteWriter out;
    out.u16(depth);
    return {tag_code::RemoveObject2, out.take()};
}

void Timeline::add(Tag tag)
{
    if (tag.code == tag_code::ShowFrame) {
        require(frames_ < std::numeric_limits<std::uint16_t>::max(), "too many frames");
        ++frames_;
    }
    tags_.push_back(std::move(tag));
}

void Timeline::showFrame()
{
    add(write::showFrame());
}

std::vector<std::uint8_t> Timeline::encode() const
{
    ByteWriter out;
    for (const Tag& tag : tags_)
        out.bytes(encodeTag(tag));
    out.bytes(encodeTag(endTag()));
    return out.take();
}

Tag defineSprite(std::uint16_t id, const Timeline& timeline)
{
    ByteWriter out;
    out.u16(id);
    out.u16(timeline.frameCount());
    out.bytes(timeline.encode());
    return {tag_code::DefineSprite, out.take()};
}

Movie::Movie(MovieHeader header) : header_(header) {}

std::uint16_t Movie::nextId()
{
    require(lastId_ < std::numeric_limits<std::uint16_t>::max(), "too many characters");
    return ++lastId_;
}

std::uint16_t Movie::defineShape(const Shape& shape, ShapeVersion version)
{
    static constexpr std::uint8_t firstFileVersion[] = {0, 1, 2, 3, 8};
    require(header_.version >= firstFileVersion[static_cast<int>(version)], "shape version too new for the file");
    const std::uint16_t id = nextId();
    root_.add(write::defineShape(id, shape, version));
    return id;
}

std::uint16_t Movie::defineMorphShape(const MorphShape& shape)
{
    require(header_.version >= 3, "morph shapes need file version 3");
    const std::uint16_t id = nextId();
    root_.add(write::defineMorphShape(id, shape));
    return id;
}

std::uint16_t Movie::defineSprite(const Timeline& timeline)
{
    const std::uint16_t id = nextId();
    root_.add(write::defineSprite(id, timeline));
    return id;
}

std::vector<std::uint8_t> Movie::encode() const
{
    ByteWriter body;
    writeRect(body, header_.stage);
    body.u16(static_cast<std::uint16_t>(std::lround(header_.frameRate * 256.0)));
    body.u16(root_.frameCount());
    if (header_.version >= 8)
        body.bytes(encodeTag(fileAttributes()));
    body.bytes(root_.encode());
    std::vector<std::uint8_t> content = body.take();

    constexpr std::size_t kHeaderSize = 8;
    const std::size_t fileLength = kHeaderSize + content.size();
    require(fileLength <= std::numeric_limits<std::uint32_t>::max(), "movie too large");

    if (header_.compression == Compression::Zlib) {
        uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
        std::vector<std::uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, content.data(), static_cast<uLong>(content.size()),
                      Z_BEST_COMPRESSION) != Z_OK)
            throw std::runtime_error("zlib could not compress the movie");
        packed.resize(packedSize);
        content.swap(packed);
    }

    ByteWriter file;
    file.u8(header_.compression == Compression::Zlib ? 'C' : 'F');
    file.u8('W');
    file.u8('S');
    file.u8(header_.version);
    file.u32(static_cast<std::uint32_t>(fileLength));
    file.bytes(content);
    return file.take();
}

} // namespace swf::write
