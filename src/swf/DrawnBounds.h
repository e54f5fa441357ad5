#pragma once
// Where on the target a leaf of the display list can leave pixels: its paths' control
// points mapped to device pixels, grown by what strokes reach past them and by a margin for
// the sampling passes' shifts. Generous rather than tight: a pixel left out would keep a
// stale picture, one too many is only drawn again.

#include "swf/Movie.h"

#include <QRectF>
#include <QTransform>

namespace swf {

// Device pixels of a shape drawn with toDevice; stageScale is the pixels per twip of the
// stage alone, which fixed-width strokes keep.
QRectF drawnBounds(const ShapeGeometry& geometry, const QTransform& toDevice, double stageScale);
QRectF drawnBounds(const TextCharacter& text, const QTransform& toDevice);
QRectF drawnBounds(const BitmapCharacter& bitmap, const QTransform& toDevice);

// Whether every edge of the rectangle is a number: a damaged file's matrix can make any NaN.
bool isFinite(const QRectF& rect);

} // namespace swf
