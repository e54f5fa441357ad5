#include "swf/Movie.h"

namespace swf {

namespace {

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

QPointF mix(const QPointF& a, const QPointF& b, double t)
{
    return a + (b - a) * t;
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(mix(a.redF(), b.redF(), t)), static_cast<float>(mix(a.greenF(), b.greenF(), t)),
                            static_cast<float>(mix(a.blueF(), b.blueF(), t)), static_cast<float>(mix(a.alphaF(), b.alphaF(), t)));
}

QTransform mix(const QTransform& a, const QTransform& b, double t)
{
    return QTransform(mix(a.m11(), b.m11(), t), mix(a.m12(), b.m12(), t), mix(a.m21(), b.m21(), t),
                      mix(a.m22(), b.m22(), t), mix(a.dx(), b.dx(), t), mix(a.dy(), b.dy(), t));
}

FillStyle mix(const FillStyle& a, const FillStyle& b, double t)
{
    FillStyle result = a;
    result.colour = mix(a.colour, b.colour, t);
    result.matrix = mix(a.matrix, b.matrix, t);
    result.gradient.focal = mix(a.gradient.focal, b.gradient.focal, t);
    for (std::size_t i = 0; i < result.gradient.stops.size() && i < b.gradient.stops.size(); ++i) {
        auto& stop = result.gradient.stops[i];
        const auto& other = b.gradient.stops[i];
        stop.first = static_cast<int>(mix(stop.first, other.first, t) + 0.5);
        stop.second = mix(stop.second, other.second, t);
    }
    return result;
}

// An edge as a quadratic curve, so straight and curved edges can be mixed.
struct Quad {
    QPointF control;
    QPointF anchor;
    bool curve;
};

Quad asQuad(const ShapeRecord& record, const QPointF& from)
{
    if (record.type == ShapeRecord::Type::Curve)
        return {record.control, record.anchor, true};
    return {(from + record.anchor) / 2.0, record.anchor, false};
}

} // namespace

ShapeGeometry MorphCharacter::at(std::uint16_t ratio) const
{
    const double t = ratio / 65535.0;
    std::vector<StyleTable> tables(1);
    for (const auto& [a, b] : fills)
        tables[0].fills.push_back(mix(a, b, t));
    for (const auto& [a, b] : lines) {
        LineStyle line = a;
        line.width = mix(a.width, b.width, t);
        line.fill = mix(a.fill, b.fill, t);
        tables[0].lines.push_back(line);
    }

    std::vector<ShapeRecord> records;
    records.reserve(start.size());
    QPointF startPen;
    QPointF endPen;
    std::size_t j = 0;
    const auto skipEndMoves = [&] {
        while (j < end.size() && end[j].type == ShapeRecord::Type::Style) {
            if (end[j].moves)
                endPen = end[j].anchor;
            ++j;
        }
    };
    for (const ShapeRecord& record : start) {
        ShapeRecord out = record;
        if (record.type == ShapeRecord::Type::Style) {
            skipEndMoves();
            out.newStyles = false;
            if (record.moves)
                startPen = record.anchor;
            out.anchor = mix(startPen, endPen, t);
            records.push_back(out);
            continue;
        }
        skipEndMoves();
        if (j >= end.size())
            break;
        const Quad a = asQuad(record, startPen);
        const Quad b = asQuad(end[j], endPen);
        ++j;
        startPen = a.anchor;
        endPen = b.anchor;
        out.type = a.curve || b.curve ? ShapeRecord::Type::Curve : ShapeRecord::Type::Straight;
        out.control = mix(a.control, b.control, t);
        out.anchor = mix(a.anchor, b.anchor, t);
        records.push_back(out);
    }
    return buildGeometry(records, tables, false);
}

} // namespace swf
