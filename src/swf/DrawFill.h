#pragma once
// The renderer's fills without a pen: a solid colour on a plain premultiplied image goes to
// the scanline filler, which gives the pixels QPainter's aliased rasteriser gives, bar the odd
// pixel, in time that does not grow with edges times rows; anything else goes to QPainter.

#include <QBrush>
#include <QPainter>
#include <QPainterPath>

namespace swf {

// Fills path with brush under the painter's transform and clip, as drawPath does with no pen.
// The painter's pen is left to Qt::NoPen.
void drawFill(QPainter& painter, const QPainterPath& path, const QBrush& brush);

} // namespace swf
