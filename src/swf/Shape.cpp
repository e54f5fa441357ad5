#include "swf/Shape.h"

#include <algorithm>
#include <bit>
#include <map>

namespace swf {

namespace {

QColor readColour(ByteReader& reader, int version)
{
    return version >= 3 ? reader.rgba() : reader.rgb();
}

Gradient readGradient(ByteReader& reader, int version, bool focal)
{
    Gradient gradient;
    const int count = readGradientHead(reader, gradient);
    for (int i = 0; i < count && reader.ok(); ++i) {
        const int ratio = reader.u8();
        gradient.stops.emplace_back(ratio, readColour(reader, version));
    }
    if (focal)
        gradient.focal = std::clamp(reader.fixed8(), -1.0, 1.0);
    return gradient;
}

// Pen strokes and unfilled runs of edges: a start point and segments from it.
struct Segment {
    bool curve = false;
    QPointF control;
    QPointF anchor;
};

// The runs of edges of one style, their segments kept one after another so that a shape
// of many short runs does not allocate for each.
struct Runs {
    struct Span {
        QPointF start;
        std::size_t first = 0;
        std::size_t count = 0;
    };
    std::vector<Segment> segments;
    std::vector<Span> spans;

    void add(const QPointF& start, const std::vector<Segment>& run)
    {
        spans.push_back({start, segments.size(), run.size()});
        segments.insert(segments.end(), run.begin(), run.end());
    }

    // The run traced from its end back to its start: each segment then ends where it began.
    void addReversed(const QPointF& start, const std::vector<Segment>& run)
    {
        spans.push_back({run.back().anchor, segments.size(), run.size()});
        for (std::size_t i = run.size(); i-- > 0;)
            segments.push_back({run[i].curve, run[i].control, i == 0 ? start : run[i - 1].anchor});
    }

    QPointF end(const Span& span) const { return segments[span.first + span.count - 1].anchor; }
};

// The runs by the point they start at, in a hash table keyed by the point's exact
// coordinates (whole twips in a shape's own records), so that the run that goes on where
// another ends is found at once. Runs starting at one point are taken in drawing order.
class RunStarts {
public:
    explicit RunStarts(const std::vector<Runs::Span>& spans) : spans_(spans), nextAtPoint_(spans.size(), kNone)
    {
        std::size_t size = 16;
        while (size < spans.size() * 2)
            size *= 2;
        slots_.resize(size);
        // Linked from the last run back, so that each point's chain lists its runs in order.
        for (std::uint32_t i = static_cast<std::uint32_t>(spans.size()); i-- > 0;) {
            Slot* slot = find(spans[i].start, true);
            slot->point = i;
            nextAtPoint_[i] = slot->first;
            slot->first = i;
        }
    }

    // The first run starting at point that used does not mark, if any.
    std::optional<std::size_t> unusedAt(const QPointF& point, const std::vector<bool>& used)
    {
        Slot* slot = find(point, false);
        if (slot == nullptr)
            return std::nullopt;
        // Runs are marked used in drawing order or taken from the head of their chain, so
        // the used ones gather at the head.
        while (slot->first != kNone && used[slot->first])
            slot->first = nextAtPoint_[slot->first];
        if (slot->first == kNone)
            return std::nullopt;
        return slot->first;
    }

private:
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};

    // A point's slot: a run that starts there, which names the point, and the first of its
    // runs not yet used.
    struct Slot {
        std::uint32_t point = kNone;
        std::uint32_t first = kNone;
    };

    // Spreads every bit over the slot index: a coordinate in whole twips keeps its
    // information in the high bits of its double. Adding zero makes a negative zero
    // positive, as the two are equal.
    static std::uint64_t hash(const QPointF& point)
    {
        std::uint64_t value = std::bit_cast<std::uint64_t>(point.x() + 0.0) * 0x9E3779B97F4A7C15ull
            ^ std::bit_cast<std::uint64_t>(point.y() + 0.0);
        value ^= value >> 33;
        value *= 0xFF51AFD7ED558CCDull;
        value ^= value >> 33;
        value *= 0xC4CEB9FE1A85EC53ull;
        value ^= value >> 33;
        return value;
    }

    // The point's slot; a free one is returned for a point without one when claim is set.
    Slot* find(const QPointF& point, bool claim)
    {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = static_cast<std::size_t>(hash(point)) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.point == kNone)
                return claim ? &slot : nullptr;
            const QPointF& start = spans_[slot.point].start;
            if (start.x() == point.x() && start.y() == point.y())
                return &slot;
        }
    }

    const std::vector<Runs::Span>& spans_;
    std::vector<std::uint32_t> nextAtPoint_;
    std::vector<Slot> slots_;
};

// Links runs end to start into contours; a run that finds no continuation is closed as is.
QPainterPath linkRuns(const Runs& runs, bool closeOpen)
{
    RunStarts starts(runs.spans);
    std::vector<bool> used(runs.spans.size(), false);
    QPainterPath path;
    for (std::size_t first = 0; first < runs.spans.size(); ++first) {
        if (used[first])
            continue;
        used[first] = true;
        const QPointF origin = runs.spans[first].start;
        path.moveTo(origin);
        std::size_t current = first;
        for (;;) {
            const Runs::Span& span = runs.spans[current];
            for (std::size_t i = span.first; i < span.first + span.count; ++i) {
                const Segment& s = runs.segments[i];
                if (s.curve)
                    path.quadTo(s.control, s.anchor);
                else
                    path.lineTo(s.anchor);
            }
            const QPointF end = runs.end(span);
            if (end == origin)
                break;
            const auto next = starts.unusedAt(end, used);
            if (!next)
                break;
            current = *next;
            used[current] = true;
        }
        if (closeOpen || path.currentPosition() == origin)
            path.closeSubpath();
    }
    return path;
}

class GeometryBuilder {
public:
    GeometryBuilder(const std::vector<StyleTable>& tables, bool winding)
        : tables_(tables), winding_(winding)
    {
    }

    void run(const std::vector<ShapeRecord>& records)
    {
        startLayer(0);
        for (const ShapeRecord& r : records) {
            if (r.type == ShapeRecord::Type::Style) {
                if (r.newStyles) {
                    endAll();
                    flushLayer();
                    startLayer(r.styleTable);
                }
                if (r.moves)
                    endAll();
                if (r.setsFill0) {
                    endFill0();
                    fill0_.style = r.fill0;
                }
                if (r.setsFill1) {
                    endRun(fill1_, fills_);
                    fill1_.style = r.fill1;
                }
                if (r.setsLine) {
                    endRun(line_, lines_);
                    line_.style = r.line;
                }
                if (r.moves)
                    pen_ = r.anchor;
                continue;
            }
            const Segment segment{r.type == ShapeRecord::Type::Curve, r.control, r.anchor};
            for (Active* active : {&fill0_, &fill1_, &line_}) {
                if (active->style == 0)
                    continue;
                if (active->segments.empty())
                    active->start = pen_;
                active->segments.push_back(segment);
            }
            pen_ = r.anchor;
        }
        endAll();
        flushLayer();
    }

    ShapeGeometry result;

private:
    // The run each style in force is drawing; its segments' memory serves run after run.
    struct Active {
        int style = 0;
        QPointF start;
        std::vector<Segment> segments;
    };

    void startLayer(int table)
    {
        table_ = table >= 0 && static_cast<std::size_t>(table) < tables_.size() ? &tables_[table] : nullptr;
        fill0_.style = fill1_.style = line_.style = 0;
    }

    void endRun(Active& active, std::map<int, Runs>& into)
    {
        if (active.style != 0 && !active.segments.empty())
            into[active.style].add(active.start, active.segments);
        active.segments.clear();
    }

    void endFill0()
    {
        if (fill0_.style != 0 && !fill0_.segments.empty())
            fills_[fill0_.style].addReversed(fill0_.start, fill0_.segments);
        fill0_.segments.clear();
    }

    void endAll()
    {
        endFill0();
        endRun(fill1_, fills_);
        endRun(line_, lines_);
    }

    void flushLayer()
    {
        ShapeLayer layer;
        if (table_ != nullptr) {
            for (auto& [style, runs] : fills_) {
                if (style < 1 || static_cast<std::size_t>(style) > table_->fills.size())
                    continue;
                QPainterPath path = linkRuns(runs, true);
                path.setFillRule(winding_ ? Qt::WindingFill : Qt::OddEvenFill);
                layer.fills.emplace_back(table_->fills[static_cast<std::size_t>(style - 1)], std::move(path));
            }
            for (auto& [style, runs] : lines_) {
                if (style < 1 || static_cast<std::size_t>(style) > table_->lines.size())
                    continue;
                layer.strokes.emplace_back(table_->lines[static_cast<std::size_t>(style - 1)],
                                           linkRuns(runs, false));
            }
        }
        fills_.clear();
        lines_.clear();
        if (!layer.fills.empty() || !layer.strokes.empty())
            result.layers.push_back(std::move(layer));
    }

    const std::vector<StyleTable>& tables_;
    const StyleTable* table_ = nullptr;
    bool winding_;
    QPointF pen_;
    Active fill0_;
    Active fill1_;
    Active line_;
    std::map<int, Runs> fills_;
    std::map<int, Runs> lines_;
};

} // namespace

ShapeGeometry buildGeometry(const std::vector<ShapeRecord>& records,
                            const std::vector<StyleTable>& tables, bool windingFill)
{
    GeometryBuilder builder(tables, windingFill);
    builder.run(records);
    return std::move(builder.result);
}

int readGradientHead(ByteReader& reader, Gradient& gradient)
{
    const std::uint8_t head = reader.u8();
    switch (head >> 6) {
    case 1: gradient.spread = Gradient::Spread::Reflect; break;
    case 2: gradient.spread = Gradient::Spread::Repeat; break;
    default: gradient.spread = Gradient::Spread::Pad; break;
    }
    gradient.linearRgb = ((head >> 4) & 3) == 1;
    return head & 0x0F;
}

void readLineStyle2Head(ByteReader& reader, LineStyle& style)
{
    static constexpr Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::FlatCap, Qt::SquareCap, Qt::RoundCap};
    static constexpr Qt::PenJoinStyle joins[] = {Qt::RoundJoin, Qt::BevelJoin, Qt::MiterJoin, Qt::RoundJoin};
    const std::uint8_t first = reader.u8();
    const std::uint8_t second = reader.u8();
    style.fixedWidth = (first & 0x06) == 0x06;
    style.cap = caps[first >> 6];
    style.endCap = caps[second & 3];
    const int join = (first >> 4) & 3;
    style.join = joins[join];
    style.hasFill = (first & 0x08) != 0;
    if (join == 2)
        style.miterLimit = reader.fixed8();
}

std::optional<FillStyle::Kind> fillKind(std::uint8_t type)
{
    switch (type) {
    case 0x00: return FillStyle::Kind::Solid;
    case 0x10: return FillStyle::Kind::Linear;
    case 0x12: return FillStyle::Kind::Radial;
    case 0x13: return FillStyle::Kind::Focal;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43: return FillStyle::Kind::Bitmap;
    default: return std::nullopt;
    }
}

FillStyle readFillStyle(ByteReader& reader, int version)
{
    FillStyle style;
    const std::uint8_t type = reader.u8();
    const auto kind = fillKind(type);
    if (!kind) {
        reader.fail();
        return style;
    }
    style.kind = *kind;
    switch (style.kind) {
    case FillStyle::Kind::Solid:
        style.colour = readColour(reader, version);
        break;
    case FillStyle::Kind::Linear:
    case FillStyle::Kind::Radial:
    case FillStyle::Kind::Focal:
        style.matrix = reader.matrix();
        style.gradient = readGradient(reader, version, style.kind == FillStyle::Kind::Focal);
        break;
    case FillStyle::Kind::Bitmap:
        style.bitmapId = reader.u16();
        style.matrix = reader.matrix();
        style.repeat = (type & 1) == 0;
        style.smooth = (type & 2) == 0;
        break;
    }
    return style;
}

std::size_t readStyleCount(ByteReader& reader, bool extended, std::size_t most)
{
    std::size_t count = reader.u8();
    if (count == 0xFF && extended)
        count = reader.u16();
    return std::min(count, most);
}

std::vector<FillStyle> readFillStyles(ByteReader& reader, int version, std::size_t most)
{
    const std::size_t count = readStyleCount(reader, version >= 2, most);
    std::vector<FillStyle> styles;
    styles.reserve(count);
    for (std::size_t i = 0; i < count && reader.ok(); ++i)
        styles.push_back(readFillStyle(reader, version));
    return styles;
}

std::vector<LineStyle> readLineStyles(ByteReader& reader, int version, std::size_t most)
{
    const std::size_t count = readStyleCount(reader, true, most);
    std::vector<LineStyle> styles;
    styles.reserve(count);
    for (std::size_t i = 0; i < count && reader.ok(); ++i) {
        LineStyle style;
        style.width = reader.u16();
        if (version < 4) {
            style.fill.colour = readColour(reader, version);
            styles.push_back(style);
            continue;
        }
        readLineStyle2Head(reader, style);
        if (style.hasFill)
            style.fill = readFillStyle(reader, version);
        else
            style.fill.colour = reader.rgba();
        styles.push_back(style);
    }
    return styles;
}

bool readShapeRecords(ByteReader& reader, const ShapeReadContext& context,
                      std::vector<ShapeRecord>& records, std::vector<StyleTable>& tables)
{
    std::uint8_t bitsByte = reader.u8();
    int fillBits = bitsByte >> 4;
    int lineBits = bitsByte & 0x0F;
    BitReader bits(reader);
    QPointF pen;
    std::size_t newStyles = 0;
    while (reader.ok()) {
        if (records.size() >= context.maxRecords)
            return false;
        ShapeRecord record;
        if (!bits.flag()) {
            const std::uint32_t flags = bits.ubits(5);
            if (flags == 0)
                return reader.ok();
            record.type = ShapeRecord::Type::Style;
            record.newStyles = (flags & 0x10) != 0;
            record.setsLine = (flags & 0x08) != 0;
            record.setsFill1 = (flags & 0x04) != 0;
            record.setsFill0 = (flags & 0x02) != 0;
            record.moves = (flags & 0x01) != 0;
            if (record.moves) {
                const int n = static_cast<int>(bits.ubits(5));
                const int x = bits.sbits(n);
                const int y = bits.sbits(n);
                pen = QPointF(x, y);
            }
            record.anchor = pen;
            if (record.setsFill0)
                record.fill0 = static_cast<int>(bits.ubits(fillBits));
            if (record.setsFill1)
                record.fill1 = static_cast<int>(bits.ubits(fillBits));
            if (record.setsLine)
                record.line = static_cast<int>(bits.ubits(lineBits));
            if (record.newStyles) {
                bits.align();
                StyleTable table;
                // Read no further than one style past what is allowed: a movie past it is
                // refused, and reading millions first would cost what the budget saves.
                const std::size_t room = context.maxNewStyles - std::min(newStyles, context.maxNewStyles) + 1;
                table.fills = readFillStyles(reader, context.version, room);
                table.lines = readLineStyles(reader, context.version, room - table.fills.size());
                record.styleTable = static_cast<int>(tables.size());
                newStyles += table.fills.size() + table.lines.size();
                tables.push_back(std::move(table));
                if (newStyles > context.maxNewStyles)
                    return false;
                bitsByte = reader.u8();
                fillBits = bitsByte >> 4;
                lineBits = bitsByte & 0x0F;
            }
        } else if (bits.flag()) {
            const int n = static_cast<int>(bits.ubits(4)) + 2;
            int dx = 0;
            int dy = 0;
            if (bits.flag()) {
                dx = bits.sbits(n);
                dy = bits.sbits(n);
            } else if (bits.flag()) {
                dy = bits.sbits(n);
            } else {
                dx = bits.sbits(n);
            }
            record.type = ShapeRecord::Type::Straight;
            pen += QPointF(dx, dy);
            record.anchor = pen;
        } else {
            const int n = static_cast<int>(bits.ubits(4)) + 2;
            const int cx = bits.sbits(n);
            const int cy = bits.sbits(n);
            const int ax = bits.sbits(n);
            const int ay = bits.sbits(n);
            record.type = ShapeRecord::Type::Curve;
            record.control = pen + QPointF(cx, cy);
            pen = record.control + QPointF(ax, ay);
            record.anchor = pen;
        }
        if (reader.ok())
            records.push_back(record);
    }
    return false;
}

} // namespace swf
