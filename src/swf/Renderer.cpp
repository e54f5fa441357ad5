#include "swf/Renderer.h"

#include <QImage>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// Half the side of the square every gradient is defined in, in twips.
constexpr double kGradientHalf = 16384.0;
// Hairlines and strokes scaled below a pixel still show, as one pixel.
constexpr double kThinnestStroke = 1.0;
// Clipping layers nested deeper than this draw their contents unclipped rather than take
// two more images of the target each.
constexpr int kMostNestedClips = 8;

double toLinear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double toSrgb(double c)
{
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

QGradientStops gradientStops(const Gradient& gradient, const ColorTransform& colour)
{
    QGradientStops stops;
    std::vector<std::pair<double, QColor>> points;
    for (const auto& [ratio, c] : gradient.stops)
        points.emplace_back(std::clamp(ratio / 255.0, 0.0, 1.0), colour.apply(c));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double at = std::max(points[i].first, stops.empty() ? 0.0 : stops.back().first);
        if (gradient.linearRgb && i > 0 && at > stops.back().first) {
            // Qt blends in sRGB only; steps in linear light stand in for the linear mode.
            const QColor a = points[i - 1].second;
            const QColor b = points[i].second;
            const double from = stops.back().first;
            constexpr int steps = 16;
            for (int s = 1; s < steps; ++s) {
                const double t = double(s) / steps;
                const auto channel = [t](double x, double y) {
                    return toSrgb(toLinear(x) + (toLinear(y) - toLinear(x)) * t);
                };
                stops.append({from + (at - from) * t,
                              QColor::fromRgbF(float(channel(a.redF(), b.redF())), float(channel(a.greenF(), b.greenF())),
                                               float(channel(a.blueF(), b.blueF())),
                                               float(a.alphaF() + (b.alphaF() - a.alphaF()) * t))});
            }
        }
        // Of stops sharing a ratio the colour jumps there; at the end the first one holds,
        // since nothing lies beyond the last ratio.
        if (!stops.empty() && at <= stops.back().first && stops.back().first >= 1.0)
            continue;
        if (!stops.empty() && at <= stops.back().first)
            stops.append({std::nextafter(stops.back().first, 2.0), points[i].second});
        else
            stops.append({at, points[i].second});
    }
    // Nudged duplicates must stay within Qt's 0..1.
    for (auto& stop : stops)
        stop.first = std::min(stop.first, 1.0);
    return stops;
}

// Where a clipped bitmap fill must be drawn, in bitmap pixels: the shape's extent, as the
// bitmap's edge pixels reach out to fill it, within reason for a malformed matrix.
QRect clampedExtent(const QImage& image, const QPainterPath& path, const QTransform& matrix)
{
    constexpr qint64 kMostPixels = 4096 * 4096;
    bool invertible = false;
    const QTransform toBitmap = matrix.inverted(&invertible);
    if (!invertible)
        return image.rect();
    const QRect extent = toBitmap.mapRect(path.boundingRect()).toAlignedRect().united(image.rect());
    if (qint64(extent.width()) * extent.height() > kMostPixels)
        return image.rect();
    return extent;
}

// The image grown to extent with its edge pixels repeated outwards.
QImage extendEdges(const QImage& image, const QRect& extent)
{
    QImage result(extent.size(), image.format());
    for (int y = 0; y < extent.height(); ++y) {
        const int sourceY = std::clamp(extent.top() + y, 0, image.height() - 1);
        const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(sourceY));
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < extent.width(); ++x)
            line[x] = source[std::clamp(extent.left() + x, 0, image.width() - 1)];
    }
    return result;
}

// A stage is a whole number of pixels wide and high, its fraction of a pixel cut off, as
// players report and lay it out; the content scales to fit that. A stage under a pixel keeps
// its size.
QSizeF wholeStagePixels(const QRect& stageTwips)
{
    const auto whole = [](int twips) {
        const double pixels = twips / 20.0;
        return pixels >= 1.0 ? std::floor(pixels) : pixels;
    };
    return {whole(stageTwips.width()), whole(stageTwips.height())};
}

} // namespace

QRectF stageArea(const QRect& stageTwips, const QSizeF& target)
{
    const QSizeF stage = wholeStagePixels(stageTwips);
    if (stage.width() <= 0 || stage.height() <= 0 || target.isEmpty())
        return QRectF(QPointF(0, 0), target);
    const double scale = std::min(target.width() / stage.width(), target.height() / stage.height());
    const QSizeF size = stage * scale;
    return QRectF(QPointF((target.width() - size.width()) / 2, (target.height() - size.height()) / 2), size);
}

QTransform showAll(const QRect& stageTwips, const QSizeF& target)
{
    const QRectF area = stageArea(stageTwips, target);
    if (stageTwips.width() <= 0 || stageTwips.height() <= 0)
        return QTransform::fromScale(0.05, 0.05);
    const double scale = area.width() / (wholeStagePixels(stageTwips).width() * 20.0);
    return QTransform(scale, 0, 0, scale, area.left() - stageTwips.left() * scale, area.top() - stageTwips.top() * scale);
}

void Renderer::render(QPainter& painter, const TimelinePlayer& root, const QSize& target, const QColor& background,
                      const QColor& border) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF area = stageArea(movie_.stage, target);
    painter.fillRect(QRect(QPoint(0, 0), target), background);
    painter.setClipRect(area.toAlignedRect());
    Context context;
    context.transform = showAll(movie_.stage, target);
    context.stageScale = context.transform.m11();
    drawList(painter, root.displayList(), context);
    // The content reaches into the pixels the stage covers only in part; the border, laid
    // over it, leaves each such pixel the stage's share of it.
    painter.setClipping(false);
    painter.resetTransform();
    QPainterPath outside;
    outside.addRect(QRectF(QPoint(0, 0), target));
    outside.addRect(area);
    painter.setPen(Qt::NoPen);
    painter.setBrush(border);
    painter.drawPath(outside);
    painter.restore();
}

void Renderer::drawList(QPainter& painter, const DisplayList& list, const Context& context) const
{
    drawRange(painter, list.begin(), list.end(), context);
}

void Renderer::drawRange(QPainter& painter, DisplayList::const_iterator begin, DisplayList::const_iterator end,
                         const Context& context) const
{
    for (auto it = begin; it != end; ++it) {
        const DisplayObject& object = it->second;
        // Inside a mask, clipping layers add their coverage like any other shape.
        if (object.clipDepth == 0 || context.mask) {
            drawObject(painter, object, context);
            continue;
        }
        if (context.clips >= kMostNestedClips)
            continue;
        // A clipping layer shows the objects above it, up to its clip depth, only where its
        // own shapes cover; the layer itself is not drawn.
        auto last = std::next(it);
        while (last != end && last->first <= object.clipDepth)
            ++last;
        if (std::next(it) != last)
            drawClipped(painter, object, std::next(it), last, context);
        it = std::prev(last);
    }
}

void Renderer::drawClipped(QPainter& painter, const DisplayObject& clip, DisplayList::const_iterator begin,
                           DisplayList::const_iterator end, const Context& context) const
{
    const QSize size = painter.viewport().size();
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QImage coverage(size, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter content(&layer);
        content.setRenderHints(painter.renderHints());
        Context inner = context;
        ++inner.clips;
        drawRange(content, begin, end, inner);
    }
    {
        QPainter cover(&coverage);
        cover.setRenderHints(painter.renderHints());
        Context maskContext = context;
        maskContext.mask = true;
        drawObject(cover, clip, maskContext);
    }
    {
        QPainter combine(&layer);
        combine.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        combine.drawImage(0, 0, coverage);
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(0, 0, layer);
    painter.restore();
}

void Renderer::drawObject(QPainter& painter, const DisplayObject& object, const Context& context) const
{
    if (!object.visible)
        return;
    const Character* character = movie_.character(object.characterId);
    if (character == nullptr)
        return;
    Context inner = context;
    inner.transform = object.matrix * context.transform;
    inner.colour = context.colour.after(object.colour);
    if (const auto* shape = std::get_if<ShapeCharacter>(character)) {
        drawGeometry(painter, shape->geometry, inner);
    } else if (const auto* morph = std::get_if<MorphCharacter>(character)) {
        if (!object.morphCache || object.morphCache->first != object.ratio)
            object.morphCache.emplace(object.ratio, morph->at(object.ratio));
        drawGeometry(painter, object.morphCache->second, inner);
    } else if (const auto* text = std::get_if<TextCharacter>(character)) {
        painter.setTransform(text->matrix * inner.transform);
        painter.setPen(Qt::NoPen);
        for (const auto& [colour, path] : text->runs) {
            painter.setBrush(inner.mask ? QColor(Qt::white) : inner.colour.apply(colour));
            painter.drawPath(path);
        }
    } else if (const auto* bitmap = std::get_if<BitmapCharacter>(character)) {
        painter.setTransform(QTransform::fromScale(20, 20) * inner.transform);
        painter.drawImage(0, 0, inner.mask ? bitmap->image : transformed(bitmap->image, inner.colour));
    } else if (object.sprite && inner.nesting < movie_.limits.maxSpriteNesting) {
        ++inner.nesting;
        drawList(painter, object.sprite->displayList(), inner);
    }
}

void Renderer::drawGeometry(QPainter& painter, const ShapeGeometry& geometry, const Context& context) const
{
    painter.setTransform(context.transform);
    // Strokes keep at least one pixel, as hairlines do.
    const double pixelsPerTwip = std::sqrt(std::abs(context.transform.determinant()));
    for (const ShapeLayer& layer : geometry.layers) {
        for (const auto& [style, path] : layer.fills)
            fillPath(painter, path, style, context);
        if (context.mask)
            continue;
        painter.setBrush(Qt::NoBrush);
        for (const auto& [style, path] : layer.strokes) {
            QPen pen(brushFor(style.fill, context), style.width, Qt::SolidLine, style.cap, style.join);
            pen.setMiterLimit(style.miterLimit);
            const double pixels = style.width * (style.fixedWidth ? context.stageScale : pixelsPerTwip);
            if (style.fixedWidth || pixels < kThinnestStroke) {
                pen.setCosmetic(true);
                pen.setWidthF(std::max(pixels, kThinnestStroke));
            }
            painter.setPen(pen);
            painter.drawPath(path);
        }
    }
}

QBrush Renderer::brushFor(const FillStyle& style, const Context& context) const
{
    if (context.mask)
        return QBrush(Qt::white);
    switch (style.kind) {
    case FillStyle::Kind::Solid:
        return QBrush(context.colour.apply(style.colour));
    case FillStyle::Kind::Linear:
    case FillStyle::Kind::Radial:
    case FillStyle::Kind::Focal: {
        const QGradientStops stops = gradientStops(style.gradient, context.colour);
        if (stops.isEmpty())
            return QBrush(Qt::NoBrush);
        if (!style.matrix.isInvertible())
            return QBrush(stops.back().second);
        QGradient gradient;
        if (style.kind == FillStyle::Kind::Linear)
            gradient = QLinearGradient(-kGradientHalf, 0, kGradientHalf, 0);
        else
            gradient = QRadialGradient(QPointF(0, 0), kGradientHalf,
                                       QPointF(style.kind == FillStyle::Kind::Focal ? style.gradient.focal * kGradientHalf : 0, 0));
        gradient.setStops(stops);
        switch (style.gradient.spread) {
        case Gradient::Spread::Pad: gradient.setSpread(QGradient::PadSpread); break;
        case Gradient::Spread::Reflect: gradient.setSpread(QGradient::ReflectSpread); break;
        case Gradient::Spread::Repeat: gradient.setSpread(QGradient::RepeatSpread); break;
        }
        QBrush brush(gradient);
        brush.setTransform(style.matrix);
        return brush;
    }
    case FillStyle::Kind::Bitmap: {
        const Character* character = movie_.character(style.bitmapId);
        const auto* bitmap = character != nullptr ? std::get_if<BitmapCharacter>(character) : nullptr;
        if (bitmap == nullptr)
            return QBrush(Qt::NoBrush);
        QBrush brush(transformed(bitmap->image, context.colour));
        brush.setTransform(style.matrix);
        return brush;
    }
    }
    return QBrush(Qt::NoBrush);
}

void Renderer::fillPath(QPainter& painter, const QPainterPath& path, const FillStyle& style, const Context& context) const
{
    painter.setPen(Qt::NoPen);
    if (style.kind == FillStyle::Kind::Bitmap && !context.mask) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, style.smooth);
        if (!style.repeat) {
            const Character* character = movie_.character(style.bitmapId);
            const auto* bitmap = character != nullptr ? std::get_if<BitmapCharacter>(character) : nullptr;
            if (bitmap == nullptr)
                return;
            painter.save();
            painter.setClipPath(path, Qt::IntersectClip);
            painter.setTransform(style.matrix * context.transform);
            const QImage image = transformed(bitmap->image, context.colour);
            const QRect extent = clampedExtent(image, path, style.matrix);
            painter.drawImage(extent.topLeft(), extent == image.rect() ? image : extendEdges(image, extent));
            painter.restore();
            return;
        }
    }
    painter.setBrush(brushFor(style, context));
    painter.drawPath(path);
}

QImage Renderer::transformed(const QImage& image, const ColorTransform& colour)
{
    if (colour.isIdentity())
        return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = colour.apply(QColor::fromRgba(line[x])).rgba();
    }
    return result;
}

QImage renderFrame(const Movie& movie, const TimelinePlayer& root, const QSize& size, const QColor& background,
                   const QColor& border)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    Renderer(movie).render(painter, root, size, background, border.isValid() ? border : background);
    painter.end();
    return image;
}

} // namespace swf
