#include "swf/ScanlineFill.h"

#include <algorithm>
#include <array>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace swf {

namespace {

// Each channel of a premultiplied pixel times alpha / 255, rounded as Qt's raster engine
// rounds it, so that a translucent fill gives the very bytes QPainter would.
QRgb scaled(QRgb pixel, quint32 alpha)
{
    quint32 redBlue = (pixel & 0x00ff00ffu) * alpha + 0x00800080u;
    redBlue = ((redBlue + ((redBlue >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
    quint32 alphaGreen = ((pixel >> 8) & 0x00ff00ffu) * alpha + 0x00800080u;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0x00ff00ffu)) & 0xff00ff00u;
    return redBlue | alphaGreen;
}

// Qt flattens curves to within a quarter of a pixel where QPainterPath flattens them to
// within half a unit: in a space twice as fine they land on the same points.
constexpr double kFlatteningScale = 2;
// It holds points in 64ths of a pixel: rounded so, edges pass centres on the side they pass
// them there.
constexpr double kSubpixels = 64;

// Pixels are sampled at their centres: along either axis, the first pixel whose centre lies
// past v, for v within int's range. A centre on an edge goes with the pixels before it, as in
// Qt's aliased fills.
int firstCentrePast(double v)
{
    // Rounded down by hand: std::floor is a library call on the processors built for.
    const double shifted = v + 0.5;
    const int truncated = static_cast<int>(shifted);
    return truncated > shifted ? truncated - 1 : truncated;
}

// Lays the premultiplied colour over count pixels, whose own colour is left at transparency
// / 255 of what it was: four at a time where the processor allows, with the rounding of
// scaled() in each 16-bit lane.
void layOver(QRgb* pixels, int count, QRgb premultiplied, quint32 transparency)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i factor = _mm_set1_epi16(static_cast<short>(transparency));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i colour = _mm_set1_epi32(static_cast<int>(premultiplied));
    const auto scale = [&](__m128i lanes) {
        const __m128i product = _mm_add_epi16(_mm_mullo_epi16(lanes, factor), half);
        return _mm_srli_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), 8);
    };
    for (; x + 4 <= count; x += 4) {
        auto* at = reinterpret_cast<__m128i*>(pixels + x);
        const __m128i under = _mm_loadu_si128(at);
        const __m128i kept = _mm_packus_epi16(scale(_mm_unpacklo_epi8(under, zero)), scale(_mm_unpackhi_epi8(under, zero)));
        _mm_storeu_si128(at, _mm_add_epi8(kept, colour));
    }
#endif
    for (; x < count; ++x)
        pixels[x] = premultiplied + scaled(pixels[x], transparency);
}

} // namespace

ScanlineFill::ScanlineFill(QImage& image, const std::vector<QRect>& clip)
    : pixels_(image.bits()), bytesPerLine_(image.bytesPerLine())
{
    for (const QRect& rect : clip) {
        const QRect inside = rect.intersected(image.rect());
        if (inside.isEmpty())
            continue;
        clip_.push_back(inside);
        bounds_ |= inside;
    }
}

void ScanlineFill::fill(const QPainterPath& path, const QTransform& toDevice, QRgb premultiplied)
{
    if (bounds_.isEmpty() || qAlpha(premultiplied) == 0 || !buildEdges(path, toDevice))
        return;
    const bool winding = path.fillRule() == Qt::WindingFill;
    std::size_t next = 0;
    active_.clear();
    int row = edges_.empty() ? bounds_.bottom() + 1 : edges_.front().firstRow;
    for (; row <= bounds_.bottom() && (next < edges_.size() || !active_.empty()); ++row) {
        if (active_.empty())
            row = std::max(row, edges_[next].firstRow);
        while (next < edges_.size() && edges_[next].firstRow <= row)
            active_.push_back({0, &edges_[next++]});
        crossRow(row);
        fillRow(row, winding, premultiplied);
    }
}

void ScanlineFill::crossRow(int row)
{
    const double centre = row + 0.5;
    // Crossings are held just outside the clip before they become columns.
    const double leftmost = bounds_.left() - 1.0;
    const double rightmost = bounds_.right() + 1.0;
    std::size_t kept = 0;
    for (const Crossing& crossing : active_) {
        const Edge& edge = *crossing.edge;
        if (edge.lastRow < row)
            continue;
        const double x = std::clamp(edge.xTop + (centre - edge.yTop) * edge.slope, edge.xLeast, edge.xMost);
        active_[kept++] = {firstCentrePast(std::clamp(x, leftmost, rightmost)), &edge};
    }
    active_.resize(kept);
    sortActive();
}

void ScanlineFill::fillRow(int row, bool winding, QRgb premultiplied)
{
    if (!winding) {
        // Edges come in closed loops: every row meets an even number of them.
        for (std::size_t i = 0; i + 1 < active_.size(); i += 2)
            fillSpan(row, active_[i].column, active_[i + 1].column, premultiplied);
        return;
    }
    int turns = 0;
    int spanStart = 0;
    for (const Crossing& crossing : active_) {
        const int before = turns;
        turns += crossing.edge->direction;
        if (before == 0)
            spanStart = crossing.column;
        else if (turns == 0)
            fillSpan(row, spanStart, crossing.column, premultiplied);
    }
}

bool ScanlineFill::buildEdges(const QPainterPath& path, const QTransform& toDevice)
{
    edges_.clear();
    edges_.reserve(static_cast<std::size_t>(path.elementCount()) + 1);
    // Flattened, as Qt does, before the transform, with pixels measured along the path as
    // the transform's longest stretch of a step along x or y makes them.
    const double stretch = std::sqrt(std::max(toDevice.m11() * toDevice.m11() + toDevice.m12() * toDevice.m12(),
                                              toDevice.m21() * toDevice.m21() + toDevice.m22() * toDevice.m22()));
    const double finer = kFlatteningScale * (stretch > 0 ? stretch : 1.0);
    const QTransform fromFiner = QTransform::fromScale(1 / finer, 1 / finer) * toDevice;
    for (QPolygonF polygon : path.toSubpathPolygons(QTransform::fromScale(finer, finer))) {
        for (QPointF& point : polygon) {
            const QPointF device = fromFiner.map(point);
            point = QPointF(std::round(device.x() * kSubpixels) / kSubpixels,
                            std::round(device.y() * kSubpixels) / kSubpixels);
            if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
                return false;
        }
        // Every subpath is filled as if closed.
        for (qsizetype i = 0; i < polygon.size(); ++i)
            addEdge(polygon[i], polygon[(i + 1) % polygon.size()]);
    }
    // Edges that start on one row lie in memory in the order they cross it, which the rows
    // below mostly keep: walked in that order, they are read as they lie.
    std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) {
        return a.firstRow != b.firstRow ? a.firstRow < b.firstRow : a.xTop < b.xTop;
    });
    return true;
}

void ScanlineFill::addEdge(const QPointF& from, const QPointF& to)
{
    if (from.y() == to.y())
        return;
    const bool down = from.y() < to.y();
    const QPointF& top = down ? from : to;
    const QPointF& bottom = down ? to : from;
    // Held near the clip's rows before they become integers, which bounds a huge coordinate.
    const double held = bounds_.height() + 1.0;
    const int firstRow = std::max(firstCentrePast(std::clamp(top.y(), bounds_.top() - held, bounds_.bottom() + held)),
                                  bounds_.top());
    const int lastRow = std::min(firstCentrePast(std::clamp(bottom.y(), bounds_.top() - held, bounds_.bottom() + held)) - 1,
                                 bounds_.bottom());
    if (firstRow > lastRow)
        return;
    Edge edge;
    edge.xTop = top.x();
    edge.yTop = top.y();
    edge.slope = (bottom.x() - top.x()) / (bottom.y() - top.y());
    // A slope past what a double holds comes of an edge too short to cross more than one
    // row's centre, or of numbers no shape has: either may as well be upright.
    if (!std::isfinite(edge.slope))
        edge.slope = 0;
    edge.xLeast = std::min(top.x(), bottom.x());
    edge.xMost = std::max(top.x(), bottom.x());
    edge.firstRow = firstRow;
    edge.lastRow = lastRow;
    edge.direction = down ? 1 : -1;
    edges_.push_back(edge);
}

void ScanlineFill::sortActive()
{
    // From one row to the next few edges change places, and moving those few is cheap;
    // where edges cross in numbers, past a few moves an edge, sorting afresh is cheaper.
    const std::size_t mostMoves = 8 * active_.size();
    std::size_t moves = 0;
    for (std::size_t i = 1; i < active_.size(); ++i) {
        const Crossing crossing = active_[i];
        std::size_t j = i;
        for (; j > 0 && crossing.column < active_[j - 1].column; --j)
            active_[j] = active_[j - 1];
        active_[j] = crossing;
        moves += i - j;
        if (moves > mostMoves) {
            sortByColumn();
            return;
        }
    }
}

void ScanlineFill::sortByColumn()
{
    // Columns lie within a pixel of the clip: counted out a byte at a time, two rounds sort
    // them in time that grows with their number alone.
    const int least = bounds_.left() - 1;
    if (bounds_.width() + 2 >= 1 << 16) {
        std::sort(active_.begin(), active_.end(), [](const Crossing& a, const Crossing& b) { return a.column < b.column; });
        return;
    }
    sorted_.resize(active_.size());
    for (const int shift : {0, 8}) {
        std::array<std::size_t, 257> starts{};
        for (const Crossing& crossing : active_)
            ++starts[(((crossing.column - least) >> shift) & 0xff) + 1];
        for (std::size_t i = 1; i < starts.size(); ++i)
            starts[i] += starts[i - 1];
        for (const Crossing& crossing : active_)
            sorted_[starts[((crossing.column - least) >> shift) & 0xff]++] = crossing;
        active_.swap(sorted_);
    }
}

void ScanlineFill::fillSpan(int row, int from, int to, QRgb premultiplied)
{
    if (from >= to)
        return;
    auto* line = reinterpret_cast<QRgb*>(pixels_ + qsizetype(row) * bytesPerLine_);
    const quint32 transparency = 255 - qAlpha(premultiplied);
    for (const QRect& rect : clip_) {
        if (row < rect.top() || row > rect.bottom())
            continue;
        const int left = std::max(from, rect.left());
        const int right = std::min(to, rect.right() + 1);
        if (left >= right)
            continue;
        if (transparency == 0) {
            std::fill(line + left, line + right, premultiplied);
            continue;
        }
        layOver(line + left, right - left, premultiplied, transparency);
    }
}

} // namespace swf
