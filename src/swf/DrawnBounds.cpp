#include "swf/DrawnBounds.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// The passes move the picture by under a pixel; antialiasing and rounding to whole pixels
// reach one more.
constexpr double kMarginPixels = 2.0;

// How far past its path a stroke of half-width w reaches, in w: a miter join up to the
// miter limit, a square cap by the half-diagonal.
double reach(const LineStyle& style)
{
    const double joins = style.join == Qt::MiterJoin ? std::max(style.miterLimit, 1.0) : 1.0;
    return std::max(joins, std::sqrt(2.0));
}

QRectF grown(const QRectF& rect, double by)
{
    return rect.adjusted(-by, -by, by, by);
}

} // namespace

QRectF drawnBounds(const ShapeGeometry& geometry, const QTransform& toDevice, double stageScale)
{
    const double pixelsPerTwip = std::sqrt(std::abs(toDevice.determinant()));
    QRectF bounds;
    for (const ShapeLayer& layer : geometry.layers) {
        for (const auto& fill : layer.fills)
            bounds |= toDevice.mapRect(fill.second.controlPointRect());
        for (const auto& [style, path] : layer.strokes) {
            const double by = reach(style);
            // As the renderer outlines them: in device pixels when the width is fixed or
            // under a pixel, else in twips, where an uneven scale stretches the width too.
            if (style.fixedWidth || !(style.width * pixelsPerTwip >= 1.0)) {
                const double pixels = std::max(style.width * (style.fixedWidth ? stageScale : pixelsPerTwip), 1.0);
                bounds |= grown(toDevice.mapRect(path.controlPointRect()), pixels / 2 * by);
            } else {
                bounds |= toDevice.mapRect(grown(path.controlPointRect(), style.width / 2 * by));
            }
        }
    }
    return bounds.isNull() ? bounds : grown(bounds, kMarginPixels);
}

QRectF drawnBounds(const TextCharacter& text, const QTransform& toDevice)
{
    QRectF bounds;
    for (const auto& run : text.runs)
        bounds |= (text.matrix * toDevice).mapRect(run.second.controlPointRect());
    return bounds.isNull() ? bounds : grown(bounds, kMarginPixels);
}

QRectF drawnBounds(const BitmapCharacter& bitmap, const QTransform& toDevice)
{
    return grown((QTransform::fromScale(20, 20) * toDevice).mapRect(QRectF(bitmap.image.rect())), kMarginPixels);
}

bool isFinite(const QRectF& rect)
{
    return std::isfinite(rect.left()) && std::isfinite(rect.top()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height());
}

} // namespace swf
