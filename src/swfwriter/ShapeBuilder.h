#pragma once
// Builds a Shape's records from drawing commands in absolute twips: the pen's deltas,
// edge splitting where a delta outgrows its field, merged style changes and the side of
// each outline its fill goes on are worked out here.

#include "swfwriter/Shapes.h"

#include <cstdint>
#include <vector>

namespace swf::write {

class ShapeBuilder {
public:
    // Adds a style to the tables in force (the shape's own, or the last new ones) and
    // returns its index for setStyles().
    std::uint32_t addFill(Fill fill);
    std::uint32_t addLine(Line line);
    // Opens new, empty style tables (DefineShape2 and later); indices count from 1 again
    // and every style must be chosen afresh.
    void beginNewStyles();

    // Chooses the fills on the left (fill0) and right (fill1) of the edges that follow,
    // and their line; 0 is none. Only what changes is recorded.
    void setStyles(std::uint32_t fill0, std::uint32_t fill1, std::uint32_t line);
    void moveTo(Point to);
    // Edges longer than a field holds are split into pieces that meet exactly.
    void lineTo(Point to);
    void curveTo(Point control, Point anchor);

    // A closed outline with `fill` inside it, on the side its winding calls for.
    void polygon(const std::vector<Point>& points, std::uint32_t fill, std::uint32_t line = 0);
    // A rectangle whose corners are quadratic curves of the given radius, traced
    // clockwise on screen.
    void roundedRectangle(const Rect& box, std::int32_t radius, std::uint32_t fill, std::uint32_t line = 0);
    // An ellipse of eight quadratic curves, traced clockwise on screen.
    void ellipse(Point centre, std::int32_t radiusX, std::int32_t radiusY, std::uint32_t fill,
                 std::uint32_t line = 0);

    const Shape& shape() const { return shape_; }
    Point pen() const { return pen_; }

private:
    StyleChange& pendingChange();
    StyleArrays& tables();

    Shape shape_;
    Point pen_;
    std::optional<std::size_t> newStylesRecord_;
    // The styles in force, unknown right after new tables.
    std::optional<std::uint32_t> fill0_{0};
    std::optional<std::uint32_t> fill1_{0};
    std::optional<std::uint32_t> line_{0};
};

} // namespace swf::write
