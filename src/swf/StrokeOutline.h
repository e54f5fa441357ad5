#pragma once
// The area a line style's stroke covers, as a path to fill: strokes drawn as fills have their
// edges sampled exactly as every other edge is.

#include "swf/Shape.h"

#include <QPainterPath>

namespace swf {

// The outline of path stroked width wide (in the path's units) with the style's joins and
// miter limit, its open subpaths capped with the style's start and end caps.
QPainterPath strokeOutline(const QPainterPath& path, const LineStyle& style, double width);

} // namespace swf
