#include "swfwriter/ShapeBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace swf::write {

namespace {

// The largest delta a 17-bit edge field holds.
constexpr std::int64_t kMaxDelta = 65535;

bool fits(std::int64_t delta)
{
    return std::llabs(delta) <= kMaxDelta;
}

std::int32_t lerp(std::int32_t from, std::int32_t to, std::int64_t step, std::int64_t steps)
{
    const double span = static_cast<double>(std::int64_t{to} - from);
    return from + static_cast<std::int32_t>(std::llround(span * static_cast<double>(step) / static_cast<double>(steps)));
}

Point midpoint(Point a, Point b)
{
    return {static_cast<std::int32_t>(std::lround((static_cast<double>(a.x) + b.x) / 2.0)),
            static_cast<std::int32_t>(std::lround((static_cast<double>(a.y) + b.y) / 2.0))};
}

} // namespace

StyleArrays& ShapeBuilder::tables()
{
    if (newStylesRecord_)
        return *std::get<StyleChange>(shape_.records[*newStylesRecord_]).newStyles;
    return shape_.styles;
}

std::uint32_t ShapeBuilder::addFill(Fill fill)
{
    tables().fills.push_back(std::move(fill));
    return static_cast<std::uint32_t>(tables().fills.size());
}

std::uint32_t ShapeBuilder::addLine(Line line)
{
    tables().lines.push_back(std::move(line));
    return static_cast<std::uint32_t>(tables().lines.size());
}

void ShapeBuilder::beginNewStyles()
{
    StyleChange change;
    change.newStyles = StyleArrays{};
    shape_.records.emplace_back(std::move(change));
    newStylesRecord_ = shape_.records.size() - 1;
    fill0_.reset();
    fill1_.reset();
    line_.reset();
}

StyleChange& ShapeBuilder::pendingChange()
{
    // Indices in a record that also brings new tables would be written with the old
    // tables' widths, so such a record is never extended.
    if (!shape_.records.empty()) {
        auto* last = std::get_if<StyleChange>(&shape_.records.back());
        if (last && !last->newStyles)
            return *last;
    }
    return std::get<StyleChange>(shape_.records.emplace_back(StyleChange{}));
}

void ShapeBuilder::setStyles(std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line)
{
    if (fill0_ != fill0)
        pendingChange().fill0 = fill0;
    if (fill1_ != fill1)
        pendingChange().fill1 = fill1;
    if (line_ != line)
        pendingChange().line = line;
    fill0_ = fill0;
    fill1_ = fill1;
    line_ = line;
}

void ShapeBuilder::moveTo(Point to)
{
    pendingChange().moveTo = to;
    pen_ = to;
}

void ShapeBuilder::lineTo(Point to)
{
    const std::int64_t dx = std::int64_t{to.x} - pen_.x;
    const std::int64_t dy = std::int64_t{to.y} - pen_.y;
    const std::int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
    const std::int64_t pieces = std::max<std::int64_t>(1, (longest + kMaxDelta - 1) / kMaxDelta);
    const Point from = pen_;
    for (std::int64_t i = 1; i <= pieces; ++i) {
        const Point next = i == pieces ? to : Point{lerp(from.x, to.x, i, pieces), lerp(from.y, to.y, i, pieces)};
        shape_.records.emplace_back(StraightEdge{next.x - pen_.x, next.y - pen_.y});
        pen_ = next;
    }
}

void ShapeBuilder::curveTo(Point control, Point anchor)
{
    const bool small = fits(std::int64_t{control.x} - pen_.x) && fits(std::int64_t{control.y} - pen_.y) &&
                       fits(std::int64_t{anchor.x} - control.x) && fits(std::int64_t{anchor.y} - control.y);
    if (!small) {
        // Halve the curve (de Casteljau) until each half fits.
        const Point firstControl = midpoint(pen_, control);
        const Point secondControl = midpoint(control, anchor);
        const Point middle = midpoint(firstControl, secondControl);
        curveTo(firstControl, middle);
        curveTo(secondControl, anchor);
        return;
    }
    shape_.records.emplace_back(
        CurvedEdge{control.x - pen_.x, control.y - pen_.y, anchor.x - control.x, anchor.y - control.y});
    pen_ = anchor;
}

void ShapeBuilder::polygon(const std::vector<Point>& points, std::uint32_t fill, std::uint32_t line)
{
    if (points.empty())
        return;
    // Twice the signed area with y pointing down: positive when the outline runs
    // clockwise on screen, which puts its inside on the right of each edge (fill1).
    double area = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % points.size()];
        area += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    moveTo(points.front());
    if (area > 0)
        setStyles(0, fill, line);
    else
        setStyles(fill, 0, line);
    for (std::size_t i = 1; i < points.size(); ++i)
        lineTo(points[i]);
    lineTo(points.front());
}

void ShapeBuilder::roundedRectangle(const Rect& box, std::int32_t radius, std::uint32_t fill, std::uint32_t line)
{
    const std::int32_t r = std::min({radius, (box.xMax - box.xMin) / 2, (box.yMax - box.yMin) / 2});
    moveTo({box.xMin + r, box.yMin});
    setStyles(0, fill, line);
    lineTo({box.xMax - r, box.yMin});
    curveTo({box.xMax, box.yMin}, {box.xMax, box.yMin + r});
    lineTo({box.xMax, box.yMax - r});
    curveTo({box.xMax, box.yMax}, {box.xMax - r, box.yMax});
    lineTo({box.xMin + r, box.yMax});
    curveTo({box.xMin, box.yMax}, {box.xMin, box.yMax - r});
    lineTo({box.xMin, box.yMin + r});
    curveTo({box.xMin, box.yMin}, {box.xMin + r, box.yMin});
}

void ShapeBuilder::ellipse(Point centre, std::int32_t radiusX, std::int32_t radiusY, std::uint32_t fill,
                           std::uint32_t line)
{
    constexpr int kSegments = 8;
    constexpr double kStep = 2.0 * std::numbers::pi / kSegments;
    // A control point on the bisector, far enough out for the curve to touch the
    // ellipse halfway along.
    const double reach = 1.0 / std::cos(kStep / 2.0);
    const auto at = [&](double angle, double scale) {
        return Point{centre.x + static_cast<std::int32_t>(std::lround(radiusX * scale * std::cos(angle))),
                     centre.y + static_cast<std::int32_t>(std::lround(radiusY * scale * std::sin(angle)))};
    };
    const Point start = at(0.0, 1.0);
    moveTo(start);
    setStyles(0, fill, line);
    for (int i = 0; i < kSegments; ++i) {
        const Point anchor = i + 1 == kSegments ? start : at((i + 1) * kStep, 1.0);
        curveTo(at((i + 0.5) * kStep, reach), anchor);
    }
}

} // namespace swf::write
