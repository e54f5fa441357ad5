#include "swf/DrawFill.h"

#include "swf/ScanlineFill.h"

#include <QPaintEngine>
#include <QRegion>

#include <optional>
#include <vector>

namespace swf {

namespace {

// A clip of more rectangles than this is most likely a curved clip path, which QPainter
// clips finer than its region's rectangles say.
constexpr int kMostClipRectangles = 16;

// Whether the filler draws what QPainter would: aliased, source over, at full opacity, onto
// an image of the kind the renderer's passes and layers are.
bool plainTarget(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = painter.device();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster || device == nullptr ||
        device->devType() != QInternal::Image)
        return false;
    const auto* image = static_cast<const QImage*>(device);
    return image->format() == QImage::Format_ARGB32_Premultiplied && image->devicePixelRatio() == 1.0 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver && painter.opacity() == 1.0 &&
           !painter.testRenderHint(QPainter::Antialiasing);
}

// The painter's clip in device pixels, or nothing when it is not a few rectangles.
std::optional<std::vector<QRect>> deviceClip(QPainter& painter, const QImage& image)
{
    if (!painter.hasClipping())
        return std::vector<QRect>{image.rect()};
    // The painter gives its clip in the coordinates its transform maps from.
    const QTransform world = painter.worldTransform();
    painter.setWorldTransform(QTransform());
    const QRegion region = painter.clipRegion();
    painter.setWorldTransform(world);
    if (region.rectCount() > kMostClipRectangles)
        return std::nullopt;
    return std::vector<QRect>(region.begin(), region.end());
}

} // namespace

void drawFill(QPainter& painter, const QPainterPath& path, const QBrush& brush)
{
    painter.setPen(Qt::NoPen);
    if (brush.style() == Qt::SolidPattern && plainTarget(painter)) {
        auto& image = *static_cast<QImage*>(painter.device());
        if (const auto clip = deviceClip(painter, image)) {
            ScanlineFill(image, *clip).fill(path, painter.combinedTransform(), qPremultiply(brush.color().rgba()));
            return;
        }
    }
    painter.setBrush(brush);
    painter.drawPath(path);
}

} // namespace swf
