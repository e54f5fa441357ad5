#include "swf/StrokeOutline.h"

#include <QPainterPathStroker>

#include <cmath>

namespace swf {

namespace {

// Bezier handles for a quarter circle.
constexpr double kQuarterArc = 0.5522847498;

QPointF unit(const QPointF& v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF(1, 0);
}

// The cap at end, reaching outwards along out (a unit vector), over the half of the pen
// that a flat cap leaves off. A flat cap adds nothing.
void addCap(QPainterPath& outline, const QPointF& end, const QPointF& out, Qt::PenCapStyle cap, double radius)
{
    const QPointF along = out * radius;
    const QPointF side(-along.y(), along.x());
    if (cap == Qt::SquareCap) {
        outline.moveTo(end + side);
        outline.lineTo(end + side + along);
        outline.lineTo(end - side + along);
        outline.lineTo(end - side);
        outline.closeSubpath();
    } else if (cap == Qt::RoundCap) {
        outline.moveTo(end + side);
        outline.cubicTo(end + side + along * kQuarterArc, end + along + side * kQuarterArc, end + along);
        outline.cubicTo(end + along - side * kQuarterArc, end - side + along * kQuarterArc, end - side);
        outline.closeSubpath();
    }
}

// The first point of elements [from, to) (stepping by step) that differs from point.
QPointF firstOther(const QPainterPath& path, int from, int to, int step, const QPointF& point)
{
    for (int i = from; i != to; i += step) {
        const QPointF p = path.elementAt(i);
        if (p != point)
            return p;
    }
    // A run of no length: it is capped as if it pointed right.
    return point - QPointF(step, 0);
}

} // namespace

QPainterPath strokeOutline(const QPainterPath& path, const LineStyle& style, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(style.join);
    stroker.setMiterLimit(style.miterLimit);
    if (style.cap == style.endCap) {
        stroker.setCapStyle(style.cap);
        return stroker.createStroke(path);
    }
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath outline = stroker.createStroke(path);
    const int count = path.elementCount();
    for (int first = 0; first < count;) {
        int last = first + 1;
        while (last < count && !path.elementAt(last).isMoveTo())
            ++last;
        const QPointF start = path.elementAt(first);
        const QPointF end = path.elementAt(last - 1);
        bool hasLength = false;
        for (int i = first + 1; i < last && !hasLength; ++i)
            hasLength = QPointF(path.elementAt(i)) != start;
        // A run that comes back to its start is joined there, not capped; one of no length
        // is a dot of its caps.
        if (start != end || !hasLength) {
            addCap(outline, start, unit(start - firstOther(path, first + 1, last, 1, start)), style.cap, width / 2);
            addCap(outline, end, unit(end - firstOther(path, last - 2, first - 1, -1, end)), style.endCap, width / 2);
        }
        first = last;
    }
    return outline;
}

} // namespace swf
