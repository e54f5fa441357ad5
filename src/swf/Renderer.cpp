#include "swf/Renderer.h"

#include "swf/DrawFill.h"
#include "swf/DrawnBounds.h"
#include "swf/PixelCopy.h"
#include "swf/StrokeOutline.h"

#include <QImage>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace swf {

namespace {

// Half the side of the square every gradient is defined in, in twips.
constexpr double kGradientHalf = 16384.0;

// Units of drawing work, of about 50 ns each: what a path, stroke or image costs whatever its
// size; what each element of a path stroked costs to outline; and how many pixels of flat
// colour, or of gradient or image, make one unit.
constexpr double kDrawWork = 100.0;
constexpr double kStrokeWorkPerElement = 200.0;
constexpr double kFlatPixelsPerWork = 16.0;
constexpr double kCostlyPixelsPerWork = 4.0;

// Where in each pixel the picture is sampled, four times, and the samples averaged: the
// antialiasing of the reference player's high quality, whose edges come out in steps of a
// quarter. Exact coverage differs from it by more than the eye notices on long straight
// edges, and these positions, measured against its frames, put those edges where it does.
constexpr std::array<QPointF, 4> kSamples = {
    QPointF(0.4375, 0.8125),
    QPointF(0.9375, 0.5625),
    QPointF(0.1875, 0.3125),
    QPointF(0.6875, 0.0625),
};

double toLinear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double toSrgb(double c)
{
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

// The stops as the reference player places them. A gradient's stops should rise in ratio;
// a stop that does not (it repeats the ratio before it, or goes back) lies one step of the
// 255 past the stop before it instead, so every stop shows and none paints over an earlier
// one; a stop that this pushes past the last step is left out, and the stops after it too.
// Red at 254, blue at 0 and green at 0 is red up to 254 and blue from 255, without green.
QGradientStops gradientStops(const Gradient& gradient, const ColorTransform& colour)
{
    constexpr int kLastStep = 255;
    QGradientStops stops;
    int previous = -1;
    for (const auto& [ratio, c] : gradient.stops) {
        const int at = std::max(ratio, previous + 1);
        if (at > kLastStep)
            break;
        const QColor colourThere = colour.apply(c);
        const double to = double(at) / kLastStep;
        if (gradient.linearRgb && !stops.empty()) {
            // Qt blends in sRGB only; steps in linear light stand in for the linear mode.
            const QColor a = stops.back().second;
            const QColor& b = colourThere;
            const double from = stops.back().first;
            constexpr int steps = 16;
            for (int s = 1; s < steps; ++s) {
                const double t = double(s) / steps;
                const auto channel = [t](double x, double y) {
                    return toSrgb(toLinear(x) + (toLinear(y) - toLinear(x)) * t);
                };
                stops.append({from + (to - from) * t,
                              QColor::fromRgbF(float(channel(a.redF(), b.redF())), float(channel(a.greenF(), b.greenF())),
                                               float(channel(a.blueF(), b.blueF())),
                                               float(a.alphaF() + (b.alphaF() - a.alphaF()) * t))});
            }
        }
        stops.append({to, colourThere});
        previous = at;
    }
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

// The rounded mean of four pixels, each channel in its own 16-bit lane, two at a time.
quint32 meanOf(quint32 a, quint32 b, quint32 c, quint32 d)
{
    constexpr quint32 kLanes = 0x00ff00ffu;
    const quint32 low = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + 0x00020002u;
    const quint32 high =
        ((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) + ((d >> 8) & kLanes) + 0x00020002u;
    return ((low >> 2) & kLanes) | (((high >> 2) & kLanes) << 8);
}

// Each channel of each pixel of result in area the rounded mean of the passes. Every frame
// averages all it redraws, so four pixels go at a time where the processor allows.
void average(const std::array<QImage, kSamples.size()>& passes, QImage& result, const QRegion& area)
{
    static_assert(kSamples.size() == 4, "the sums below hold four bytes per 16-bit lane");
    for (const QRect& rect : area) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const auto* a = reinterpret_cast<const quint32*>(passes[0].constScanLine(y));
            const auto* b = reinterpret_cast<const quint32*>(passes[1].constScanLine(y));
            const auto* c = reinterpret_cast<const quint32*>(passes[2].constScanLine(y));
            const auto* d = reinterpret_cast<const quint32*>(passes[3].constScanLine(y));
            auto* out = reinterpret_cast<quint32*>(result.scanLine(y));
            int x = rect.left();
#ifdef __SSE2__
            const __m128i zero = _mm_setzero_si128();
            const __m128i two = _mm_set1_epi16(2);
            const auto load = [](const quint32* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
            for (; x + 4 <= rect.right() + 1; x += 4) {
                const __m128i pa = load(a + x);
                const __m128i pb = load(b + x);
                const __m128i pc = load(c + x);
                const __m128i pd = load(d + x);
                const auto sum = [&](auto unpack) {
                    const __m128i s = _mm_add_epi16(_mm_add_epi16(unpack(pa, zero), unpack(pb, zero)),
                                                    _mm_add_epi16(unpack(pc, zero), unpack(pd, zero)));
                    return _mm_srli_epi16(_mm_add_epi16(s, two), 2);
                };
                const __m128i low = sum([](__m128i v, __m128i z) { return _mm_unpacklo_epi8(v, z); });
                const __m128i high = sum([](__m128i v, __m128i z) { return _mm_unpackhi_epi8(v, z); });
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(low, high));
            }
#endif
            for (; x <= rect.right(); ++x)
                out[x] = meanOf(a[x], b[x], c[x], d[x]);
        }
    }
}

// Keeps image at size, allocating only when the size changes: a playing movie draws every
// frame into the same memory. A picture still shared is left to its holders: drawing into
// it would first copy every pixel only to draw each again, and ThreadSanitizer, which cannot
// see the count that Qt shares it by, takes that copy for a race with the holder that frees
// the picture. A new image comes from memory where it gives one. Returns whether it made one.
bool reuse(QImage& image, const QSize& size, const FrameMemory& memory = {})
{
    if (image.size() == size && image.isDetached())
        return false;
    constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;
    QImage made = memory ? memory(size, kFormat) : QImage();
    image = made.size() == size && made.format() == kFormat ? std::move(made) : QImage(size, kFormat);
    return true;
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
    // Rendered in device pixels, so that a high-density screen gets its own detail.
    const double ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QImage image = renderImage(root, (QSizeF(target) * ratio).toSize(), background, border);
    if (!image.isNull())
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(target)), image);
}

QImage Renderer::renderImage(const TimelinePlayer& root, const QSize& size, const QColor& background,
                             const QColor& border) const
{
    if (size.isEmpty())
        return {};
    const QRect whole(QPoint(0, 0), size);
    if (background != background_ || border != border_) {
        damage_.forget();
        settled_.forget();
        background_ = background;
        border_ = border;
    }
    std::vector<DrawnLeaf> leaves = drawnLeaves(root, size);
    const bool once = drawnInOneGo(leaves);
    if (once != once_) {
        // The two ways round give an edge's pixels a level apart here and there: a frame drawn
        // the other way than the last is drawn whole.
        damage_.forget();
        settled_.forget();
        once_ = once;
    }
    // A clipping layer on the stage could reach across the depth the settled layers end at.
    const auto& stage = root.displayList();
    const bool layered = once && std::none_of(stage.begin(), stage.end(),
                                              [](const auto& entry) { return entry.second.clipDepth != 0; });
    const SettledLayers::Use settled =
        layered ? settled_.settle(leaves, damage_.last(), size, background) : SettledLayers::Use{};
    changed_ = damage_.compare(std::move(leaves), whole);
    if (settled.drawAnew) {
        reuse(settled_.picture(), size);
        {
            QPainter painter(&settled_.picture());
            renderPass(painter, root, size, background, QPointF(), QRegion(whole), true, {0, settled.below});
        }
        settled_.drawn();
    }
    if (!changed_.isEmpty()) {
        QImage& frame = nextFrame(size);
        settledBelow_ = settled.below;
        if (once) {
            QPainter painter(&frame);
            renderPass(painter, root, size, background, QPointF(), changed_, true, {settled.below});
        } else {
            for (std::size_t i = 0; i < kSamples.size(); ++i) {
                // Only a new size, which FrameDamage draws whole, makes new passes: nobody
                // else holds them.
                reuse(passes_[i], size);
                QPainter painter(&passes_[i]);
                // The aliased rasteriser takes each pixel's centre; moving the picture by the
                // centre's distance from the sample makes it take the sample instead.
                renderPass(painter, root, size, background, QPointF(0.5, 0.5) - kSamples[i], changed_, false, {});
            }
            average(passes_, frame, changed_);
        }
        // The content reaches into the pixels the stage covers only in part; the border, laid
        // over it, leaves each such pixel the stage's share of it, and none of those it covers
        // whole.
        const QRectF stage = stageArea(movie_.stage, size);
        const QRect covered(QPoint(int(std::ceil(stage.left())), int(std::ceil(stage.top()))),
                            QPoint(int(std::floor(stage.right())) - 1, int(std::floor(stage.bottom())) - 1));
        if (!covered.contains(changed_.boundingRect())) {
            QPainter painter(&frame);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(Qt::NoPen);
            painter.setBrush(border);
            // Drawn a rectangle of those pixels at a time, often a row: the painter walks
            // every row of a path, clipped or not. The stage is cut a pixel beyond each, and
            // outlines along whole pixels cover each pixel all or nothing, so the pixels
            // inside come out as under the whole frame's outline.
            for (const QRect& rect : changed_ - QRegion(covered)) {
                painter.setClipRect(rect);
                QPainterPath outside;
                outside.addRect(QRectF(rect));
                outside.addRect(stage & QRectF(rect.adjusted(-1, -1, 1, 1)));
                painter.drawPath(outside);
            }
        }
        // The frame drawn before this one now lacks just what this one changed.
        front_ = 1 - front_;
        stale_ = changed_;
        coverage_.endFrame();
    }
    // Outlines and spans are keyed by the frame's paths, which the next frame may replace.
    outlines_.clear();
    spans_.clear();
    // Morph shapes no object showed in this frame go; the rest wait for the next.
    for (auto it = morphs_.begin(); it != morphs_.end();) {
        if (!it->second.shown) {
            it = morphs_.erase(it);
        } else {
            it->second.shown = false;
            ++it;
        }
    }
    return frames_[front_];
}

QImage& Renderer::nextFrame(const QSize& size) const
{
    const QImage& shown = frames_[front_];
    QImage& next = frames_[1 - front_];
    // One still held by a taker is left to it.
    if (reuse(next, size, frameMemory_))
        stale_ = QRegion(QRect(QPoint(0, 0), size));
    // Only a new size, which FrameDamage draws whole, leaves nothing to take over.
    if (shown.size() == size)
        for (const QRect& rect : stale_ - changed_)
            copyPixels(shown, next, rect);
    return next;
}

void Renderer::renderPass(QPainter& painter, const TimelinePlayer& root, const QSize& target,
                          const QColor& background, const QPointF& shift, const QRegion& redrawn, bool once,
                          Depths depths) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (depths.from == 0) {
        painter.setClipRegion(redrawn);
        painter.fillRect(QRect(QPoint(0, 0), target), background);
    } else {
        auto& device = *static_cast<QImage*>(painter.device());
        for (const QRect& rect : redrawn)
            settled_.copyTo(device, rect & device.rect());
    }
    const QRect stage = stageArea(movie_.stage, target).toAlignedRect();
    // Drawn in one go, the fills keep to rectangles of their own and the painter draws no more.
    if (!once)
        painter.setClipRect(stage, Qt::IntersectClip);
    workLeft_ = static_cast<double>(movie_.limits.maxWorkPerRow) * target.height();
    std::optional<CoverageFill> coverage;
    if (once) {
        const QRegion inside = redrawn & stage;
        coverage.emplace(*static_cast<QImage*>(painter.device()), std::vector<QRect>(inside.begin(), inside.end()),
                         kSamples, &coverage_);
    }
    Context context;
    context.once = coverage ? &*coverage : nullptr;
    context.transform = showAll(movie_.stage, target) * QTransform::fromTranslate(shift.x(), shift.y());
    context.stageScale = context.transform.m11();
    context.shift = shift;
    context.device = target;
    context.redrawn = redrawn.boundingRect();
    const DisplayList& list = root.displayList();
    const auto at = [&list](std::uint32_t depth) {
        return depth > std::numeric_limits<std::uint16_t>::max() ? list.end()
                                                                  : list.lower_bound(static_cast<std::uint16_t>(depth));
    };
    Context counted = context;
    counted.paint = false;
    drawRange(painter, list.begin(), at(depths.from), counted);
    drawRange(painter, at(depths.from), at(depths.to), context);
}

bool Renderer::drawnInOneGo(const std::vector<DrawnLeaf>& leaves)
{
    const auto colours = [](const FillStyle& style) { return style.kind != FillStyle::Kind::Bitmap; };
    const auto shapeColours = [&](const ShapeGeometry& geometry) {
        return std::all_of(geometry.layers.begin(), geometry.layers.end(), [&](const ShapeLayer& layer) {
            return std::all_of(layer.fills.begin(), layer.fills.end(), [&](const auto& fill) { return colours(fill.first); }) &&
                   std::all_of(layer.strokes.begin(), layer.strokes.end(),
                               [&](const auto& stroke) { return colours(stroke.first.fill); });
        });
    };
    return std::all_of(leaves.begin(), leaves.end(), [&](const DrawnLeaf& leaf) {
        if (leaf.mask || !leaf.clips.empty())
            return false;
        const auto& character = *static_cast<const Character*>(leaf.character);
        if (const auto* shape = std::get_if<ShapeCharacter>(&character))
            return shapeColours(shape->geometry);
        if (const auto* morph = std::get_if<MorphCharacter>(&character))
            return std::all_of(morph->fills.begin(), morph->fills.end(),
                               [&](const auto& fill) { return colours(fill.first) && colours(fill.second); }) &&
                   std::all_of(morph->lines.begin(), morph->lines.end(), [&](const auto& line) {
                       return colours(line.first.fill) && colours(line.second.fill);
                   });
        return std::holds_alternative<TextCharacter>(character);
    });
}

void Renderer::fill(QPainter& painter, const QPainterPath& path, const QBrush& brush, const QTransform& toDevice,
                    const Context& context)
{
    if (context.once == nullptr) {
        drawFill(painter, path, brush);
        return;
    }
    if (CoverageFill::draws(brush))
        context.once->fill(path, toDevice, brush);
}

std::vector<DrawnLeaf> Renderer::drawnLeaves(const TimelinePlayer& root, const QSize& target) const
{
    Context context;
    context.transform = showAll(movie_.stage, target);
    context.stageScale = context.transform.m11();
    context.device = target;
    std::vector<DrawnLeaf> leaves;
    DrawnLeaf path;
    collectRange(root.displayList().begin(), root.displayList().end(), context, path, leaves);
    return leaves;
}

void Renderer::collectRange(DisplayList::const_iterator begin, DisplayList::const_iterator end,
                            const Context& context, DrawnLeaf& path, std::vector<DrawnLeaf>& leaves) const
{
    for (auto it = begin; it != end; ++it) {
        const DisplayObject& object = it->second;
        path.depths.push_back(it->first);
        if (object.clipDepth == 0 || context.mask) {
            collectObject(object, context, path, leaves);
            path.depths.pop_back();
            continue;
        }
        if (context.clips >= kMostNestedClips) {
            path.depths.pop_back();
            continue;
        }
        auto last = std::next(it);
        while (last != end && last->first <= object.clipDepth)
            ++last;
        if (std::next(it) != last) {
            Context maskContext = context;
            maskContext.mask = true;
            collectObject(object, maskContext, path, leaves);
            // What the layer shows depends on which layer it is.
            const std::size_t chain = path.depths.size() + 1;
            path.clips.insert(path.clips.end(), path.depths.begin(), path.depths.end());
            path.clips.push_back(kEndOfClip);
            path.depths.pop_back();
            Context layerContext = context;
            ++layerContext.clips;
            collectRange(std::next(it), last, layerContext, path, leaves);
            path.clips.resize(path.clips.size() - chain);
        } else {
            path.depths.pop_back();
        }
        it = std::prev(last);
    }
}

void Renderer::collectObject(const DisplayObject& object, const Context& context, DrawnLeaf& path,
                             std::vector<DrawnLeaf>& leaves) const
{
    const Character* character = object.visible ? movie_.character(object.characterId) : nullptr;
    if (character == nullptr)
        return;
    Context inner = context;
    inner.transform = object.matrix * context.transform;
    inner.colour = context.colour.after(object.colour);
    if (std::holds_alternative<SpriteCharacter>(*character)) {
        if (object.sprite && inner.nesting < movie_.limits.maxSpriteNesting) {
            ++inner.nesting;
            collectRange(object.sprite->displayList().begin(), object.sprite->displayList().end(), inner, path,
                         leaves);
        }
        return;
    }
    const QRectF bounds = leafBounds(object, *character, inner);
    if (bounds.isNull())
        return;
    DrawnLeaf& leaf = leaves.emplace_back();
    leaf.depths = path.depths;
    leaf.clips = path.clips;
    leaf.character = character;
    leaf.ratio = std::holds_alternative<MorphCharacter>(*character) ? object.ratio : 0;
    leaf.mask = inner.mask;
    leaf.toDevice = inner.transform;
    leaf.colour = inner.colour;
    leaf.bounds = bounds;
}

QRectF Renderer::leafBounds(const DisplayObject& object, const Character& character, const Context& context) const
{
    if (const auto* shape = std::get_if<ShapeCharacter>(&character))
        return drawnBounds(shape->geometry, context.transform, context.stageScale);
    if (const auto* morph = std::get_if<MorphCharacter>(&character))
        return drawnBounds(morphAt(object, *morph), context.transform, context.stageScale);
    if (const auto* text = std::get_if<TextCharacter>(&character))
        return drawnBounds(*text, context.transform);
    if (const auto* bitmap = std::get_if<BitmapCharacter>(&character))
        return drawnBounds(*bitmap, context.transform);
    return {};
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
    // Only where the mask reaches can anything show: the layers are that big and no bigger.
    const QRect area = maskBounds(clip, context.transform, context.nesting)
                           .toAlignedRect()
                           .intersected(QRect(QPoint(0, 0), context.device));
    // Two layers to clear and one to lay over the target.
    if (area.isEmpty() || !spend(3 * imageWork(context.device, area)))
        return;
    Context inner = context;
    inner.transform = context.transform * QTransform::fromTranslate(-area.left(), -area.top());
    inner.device = area.size();
    inner.redrawn = context.redrawn.translated(-area.left(), -area.top());
    inner.paint = context.paint && QRectF(area).intersects(context.redrawn);
    if (!inner.paint) {
        // Counted as drawn, content first, as below.
        Context layerContext = inner;
        ++layerContext.clips;
        drawRange(painter, begin, end, layerContext);
        Context maskContext = inner;
        maskContext.mask = true;
        drawObject(painter, clip, maskContext);
        return;
    }
    QImage layer = scratch(context.clips, 0, area.size());
    layer.fill(Qt::transparent);
    QImage coverage = scratch(context.clips, 1, area.size());
    coverage.fill(Qt::transparent);
    {
        QPainter content(&layer);
        content.setRenderHints(painter.renderHints());
        Context layerContext = inner;
        ++layerContext.clips;
        drawRange(content, begin, end, layerContext);
    }
    {
        QPainter cover(&coverage);
        cover.setRenderHints(painter.renderHints());
        Context maskContext = inner;
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
    painter.drawImage(area.topLeft(), layer);
    painter.restore();
}

QImage Renderer::scratch(int level, int which, const QSize& size) const
{
    QImage& memory = clipScratch_[static_cast<std::size_t>(level)][static_cast<std::size_t>(which)];
    if (memory.width() < size.width() || memory.height() < size.height())
        memory = QImage(size.expandedTo(memory.size()), QImage::Format_ARGB32_Premultiplied);
    return QImage(memory.bits(), size.width(), size.height(), memory.bytesPerLine(), memory.format());
}

QRectF Renderer::maskBounds(const DisplayObject& object, const QTransform& parent, int nesting) const
{
    const Character* character = object.visible ? movie_.character(object.characterId) : nullptr;
    if (character == nullptr)
        return {};
    const QTransform transform = object.matrix * parent;
    // A mask covers with its fills only.
    const auto fillBounds = [&transform](const ShapeGeometry& geometry) {
        QRectF bounds;
        for (const ShapeLayer& layer : geometry.layers)
            for (const auto& fill : layer.fills)
                bounds |= transform.mapRect(fill.second.controlPointRect());
        return bounds;
    };
    if (const auto* shape = std::get_if<ShapeCharacter>(character))
        return fillBounds(shape->geometry);
    if (const auto* morph = std::get_if<MorphCharacter>(character))
        return fillBounds(morphAt(object, *morph));
    if (const auto* text = std::get_if<TextCharacter>(character)) {
        QRectF bounds;
        for (const auto& run : text->runs)
            bounds |= (text->matrix * transform).mapRect(run.second.controlPointRect());
        return bounds;
    }
    if (const auto* bitmap = std::get_if<BitmapCharacter>(character))
        return (QTransform::fromScale(20, 20) * transform).mapRect(QRectF(bitmap->image.rect()));
    QRectF bounds;
    if (object.sprite && nesting < movie_.limits.maxSpriteNesting)
        for (const auto& child : object.sprite->displayList())
            bounds |= maskBounds(child.second, transform, nesting + 1);
    return bounds;
}

const ShapeGeometry& Renderer::morphAt(const DisplayObject& object, const MorphCharacter& morph) const
{
    auto found = morphs_.find({object.characterId, object.ratio});
    if (found == morphs_.end())
        found = morphs_.emplace(std::pair(object.characterId, object.ratio), MorphResult{morph.at(object.ratio)}).first;
    found->second.shown = true;
    return found->second.geometry;
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
    if (inner.paint) {
        // An object wholly outside what is drawn again only has its work counted.
        const QRectF bounds = leafBounds(object, *character, inner);
        inner.paint = !bounds.isValid() || !isFinite(bounds) || bounds.intersects(inner.redrawn);
    }
    if (const auto* shape = std::get_if<ShapeCharacter>(character)) {
        drawGeometry(painter, shape->geometry, inner);
    } else if (const auto* morph = std::get_if<MorphCharacter>(character)) {
        drawGeometry(painter, morphAt(object, *morph), inner);
    } else if (const auto* text = std::get_if<TextCharacter>(character)) {
        const QTransform toDevice = text->matrix * inner.transform;
        if (inner.paint) {
            painter.setTransform(toDevice);
            painter.setPen(Qt::NoPen);
        }
        for (const auto& [colour, path] : text->runs) {
            if (!spend(fillWork(inner.device, path, toDevice, false)) || !inner.paint)
                continue;
            fill(painter, path, inner.mask ? QColor(Qt::white) : inner.colour.apply(colour), toDevice, inner);
        }
    } else if (const auto* bitmap = std::get_if<BitmapCharacter>(character)) {
        const QTransform toDevice = QTransform::fromScale(20, 20) * inner.transform;
        if (!spend(imageWork(inner.device, toDevice.mapRect(QRectF(bitmap->image.rect())))) || !inner.paint)
            return;
        painter.setTransform(toDevice);
        // The bitmap's edges are sampled where the pass samples; its pixels are read at each
        // pixel's centre.
        QPainterPath outline;
        outline.addRect(bitmap->image.rect());
        painter.save();
        painter.setClipPath(outline, Qt::IntersectClip);
        painter.setTransform(QTransform::fromScale(20, 20) * inner.unshifted());
        painter.drawImage(0, 0, inner.mask ? bitmap->image : transformed(bitmap->image, inner.colour));
        painter.restore();
    } else if (object.sprite && inner.nesting < movie_.limits.maxSpriteNesting) {
        ++inner.nesting;
        drawList(painter, object.sprite->displayList(), inner);
    }
}

void Renderer::drawGeometry(QPainter& painter, const ShapeGeometry& geometry, const Context& context) const
{
    if (context.paint) {
        painter.setTransform(context.transform);
        painter.setPen(Qt::NoPen);
    }
    const double pixelsPerTwip = std::sqrt(std::abs(context.transform.determinant()));
    for (const ShapeLayer& layer : geometry.layers) {
        for (const auto& [style, path] : layer.fills)
            fillPath(painter, path, style, context);
        // A shape flattened to a line or a point has no width to stroke across.
        if (context.mask || !(pixelsPerTwip > 0) || !std::isfinite(pixelsPerTwip))
            continue;
        // Strokes are filled outlines, so that their edges are sampled as every other edge is.
        for (const auto& [style, path] : layer.strokes) {
            const double pixels = strokePixels(style, pixelsPerTwip, context);
            // The outline reaches half the width either side of each edge, and is made anew
            // each frame.
            const double outlining = kStrokeWorkPerElement * path.elementCount();
            if (!spend(outlining + 2 * fillWork(context.device, path, context.transform,
                                                style.fill.kind != FillStyle::Kind::Solid)
                       + pixels * path.elementCount())
                || !context.paint)
                continue;
            QBrush brush = brushFor(style.fill, context);
            if (style.fixedWidth || style.width * pixelsPerTwip < 1.0) {
                // A width in pixels, a hairline's among them: outlined where the pixels are.
                const QTransform toDevice = context.unshifted();
                brush.setTransform(brush.transform() * toDevice);
                const QTransform shift = QTransform::fromTranslate(context.shift.x(), context.shift.y());
                painter.setTransform(shift);
                fill(painter, outline(path, style, pixels, &toDevice), brush, shift, context);
                painter.setTransform(context.transform);
            } else {
                fill(painter, outline(path, style, pixels / pixelsPerTwip, nullptr), brush, context.transform, context);
            }
        }
    }
}

const QPainterPath& Renderer::outline(const QPainterPath& path, const LineStyle& style, double width,
                                      const QTransform* toDevice) const
{
    // Keyed by the numbers' bits, which order totally even where a damaged file makes them NaN.
    const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
    OutlineKey key{&path, bits(width), {}};
    if (toDevice != nullptr)
        key.toDevice = {bits(toDevice->m11()), bits(toDevice->m12()), bits(toDevice->m21()),
                        bits(toDevice->m22()), bits(toDevice->dx()),  bits(toDevice->dy())};
    auto found = outlines_.find(key);
    if (found == outlines_.end())
        found = outlines_.emplace(key, strokeOutline(toDevice != nullptr ? toDevice->map(path) : path, style, width)).first;
    return found->second;
}

double Renderer::strokePixels(const LineStyle& style, double pixelsPerTwip, const Context& context)
{
    // A stroke is at least a device pixel wide, and as dark as a wider one, however far the
    // objects it lies in are scaled down: the reference player draws hairlines so.
    return std::max(style.width * (style.fixedWidth ? context.stageScale : pixelsPerTwip), 1.0);
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
        // A gradient of no colours paints black, as every reference player shows it.
        if (stops.isEmpty())
            return QBrush(context.colour.apply(Qt::black));
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
        brush.setTransform(style.matrix * context.pixelCentres());
        return brush;
    }
    case FillStyle::Kind::Bitmap: {
        const Character* character = movie_.character(style.bitmapId);
        const auto* bitmap = character != nullptr ? std::get_if<BitmapCharacter>(character) : nullptr;
        if (bitmap == nullptr)
            return QBrush(Qt::NoBrush);
        QBrush brush(transformed(bitmap->image, context.colour));
        brush.setTransform(style.matrix * context.pixelCentres());
        return brush;
    }
    }
    return QBrush(Qt::NoBrush);
}

void Renderer::fillPath(QPainter& painter, const QPainterPath& path, const FillStyle& style, const Context& context) const
{
    if (!spend(fillWork(context.device, path, context.transform, style.kind != FillStyle::Kind::Solid && !context.mask))
        || !context.paint)
        return;
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
            painter.setTransform(style.matrix * context.unshifted());
            const QImage image = transformed(bitmap->image, context.colour);
            const QRect extent = clampedExtent(image, path, style.matrix);
            painter.drawImage(extent.topLeft(), extent == image.rect() ? image : extendEdges(image, extent));
            painter.restore();
            return;
        }
    }
    fill(painter, path, brushFor(style, context), context.transform, context);
}

bool Renderer::spend(double work) const
{
    // A damaged file's numbers may make work NaN: that never fits.
    if (!(work <= workLeft_))
        return false;
    workLeft_ -= work;
    return true;
}

double Renderer::fillWork(const QSize& device, const QPainterPath& path, const QTransform& toDevice,
                          bool costlyPixels) const
{
    const PathSpan& span = spanOf(path);
    // Under any transform a step of (x, y) moves |m12 x + m22 y| rows at most.
    const double rows = std::abs(toDevice.m12()) * span.x + std::abs(toDevice.m22()) * span.y;
    const QRectF shown = toDevice.mapRect(path.controlPointRect()) & QRectF(QPointF(0, 0), QSizeF(device));
    const double pixels = shown.width() * shown.height();
    return kDrawWork + span.elements + rows + pixels / (costlyPixels ? kCostlyPixelsPerWork : kFlatPixelsPerWork);
}

double Renderer::imageWork(const QSize& device, const QRectF& rect)
{
    const QRectF shown = rect & QRectF(QPointF(0, 0), QSizeF(device));
    return kDrawWork + shown.width() * shown.height() / kCostlyPixelsPerWork;
}

const Renderer::PathSpan& Renderer::spanOf(const QPainterPath& path) const
{
    auto found = spans_.find(&path);
    if (found != spans_.end())
        return found->second;
    PathSpan span;
    span.elements = path.elementCount();
    for (int i = 1; i < span.elements; ++i) {
        const QPainterPath::Element& element = path.elementAt(i);
        if (element.isMoveTo())
            continue;
        const QPainterPath::Element& before = path.elementAt(i - 1);
        span.x += std::abs(element.x - before.x);
        span.y += std::abs(element.y - before.y);
    }
    return spans_.emplace(&path, span).first->second;
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
    return Renderer(movie).renderImage(root, size, background, border.isValid() ? border : background);
}

} // namespace swf
