#include "swf/FillColours.h"

#include <QGradient>

#include <algorithm>
#include <array>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace swf {

namespace {

// The stops' premultiplied colours blended at each of steps evenly spaced places from 0 to 1,
// the first stop's colour before it and the last's after it. Every movie's gradient makes a
// new table each frame it is drawn, under that frame's colour transform: the channels step
// along in fixed point.
std::vector<QRgb> stopTable(const QGradientStops& stops, int steps)
{
    std::vector<QRgb> table(static_cast<std::size_t>(steps));
    const auto premultiplied = [](const QColor& colour) { return qPremultiply(colour.rgba()); };
    const auto stepOf = [steps](double at) { return std::clamp(int(std::ceil(at * (steps - 1))), 0, steps); };
    QRgb before = premultiplied(stops.front().second);
    int i = 0;
    for (const int end = stepOf(stops.front().first); i < end; ++i)
        table[static_cast<std::size_t>(i)] = before;
    for (qsizetype s = 1; s < stops.size(); ++s) {
        const double fromAt = stops[s - 1].first;
        const double toAt = stops[s].first;
        const QRgb after = premultiplied(stops[s].second);
        const int end = stepOf(toAt);
        if (i < end && toAt > fromAt) {
            // Each channel in 16.16 fixed point, from its value at step i by a constant step.
            constexpr double kOne = 65536.0;
            const double perStep = 1.0 / ((toAt - fromAt) * (steps - 1));
            const double share = (double(i) / (steps - 1) - fromAt) / (toAt - fromAt);
            std::array<qint64, 4> value{};
            std::array<qint64, 4> step{};
            for (int c = 0; c < 4; ++c) {
                const int a = int((before >> (8 * c)) & 0xff);
                const int b = int((after >> (8 * c)) & 0xff);
                value[c] = qint64((a + (b - a) * share) * kOne + kOne / 2);
                step[c] = qint64((b - a) * perStep * kOne);
            }
            int done = i;
#ifdef __SSE2__
            // The four channels side by side, while none can leave 0..255 between stops.
            __m128i lanes = _mm_set_epi32(int(value[3]), int(value[2]), int(value[1]), int(value[0]));
            const __m128i by = _mm_set_epi32(int(step[3]), int(step[2]), int(step[1]), int(step[0]));
            for (; done < end; ++done) {
                const __m128i whole = _mm_srai_epi32(lanes, 16);
                const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(whole, whole), _mm_setzero_si128());
                table[static_cast<std::size_t>(done)] = static_cast<QRgb>(_mm_cvtsi128_si32(bytes));
                lanes = _mm_add_epi32(lanes, by);
            }
#endif
            for (int c = 0; c < 4; ++c)
                value[c] += step[c] * (done - i);
            for (i = done; i < end; ++i) {
                QRgb colour = 0;
                for (int c = 0; c < 4; ++c) {
                    colour |= QRgb(std::clamp<qint64>(value[c] >> 16, 0, 255)) << (8 * c);
                    value[c] += step[c];
                }
                table[static_cast<std::size_t>(i)] = colour;
            }
        }
        before = after;
    }
    for (; i < steps; ++i)
        table[static_cast<std::size_t>(i)] = before;
    return table;
}

} // namespace

bool FillColours::reads(const QBrush& brush)
{
    if (brush.style() == Qt::SolidPattern)
        return true;
    const QGradient* gradient = brush.gradient();
    if (gradient == nullptr || gradient->coordinateMode() != QGradient::LogicalMode || gradient->stops().isEmpty())
        return false;
    if (gradient->type() == QGradient::LinearGradient)
        return true;
    // Only circles grown from a focal point, as every movie's radial gradient is.
    return gradient->type() == QGradient::RadialGradient &&
           static_cast<const QRadialGradient*>(gradient)->focalRadius() == 0;
}

FillColours::FillColours(const QBrush& brush, const QTransform& toDevice)
{
    const QGradient* gradient = brush.gradient();
    if (gradient == nullptr) {
        colour_ = qPremultiply(brush.color().rgba());
        return;
    }
    bool invertible = false;
    fromDevice_ = (brush.transform() * toDevice).inverted(&invertible);
    const std::array<double, 6> coefficients = {fromDevice_.m11(), fromDevice_.m12(), fromDevice_.m21(),
                                                fromDevice_.m22(), fromDevice_.dx(),  fromDevice_.dy()};
    // A damaged file's matrices may overflow on the way.
    const bool finite = std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return std::isfinite(c); });
    if (!invertible || !finite) {
        // Squeezed to a line, a gradient shows its last colour.
        colour_ = qPremultiply(gradient->stops().back().second.rgba());
        return;
    }
    table_ = stopTable(gradient->stops(), kSteps);
    type_ = gradient->type();
    spread_ = gradient->spread();
    if (type_ == QGradient::LinearGradient) {
        const auto* linear = static_cast<const QLinearGradient*>(gradient);
        const QPointF start = linear->start();
        const QPointF span = linear->finalStop() - start;
        const double length = QPointF::dotProduct(span, span);
        const QPointF along = length > 0 ? span / length : QPointF();
        // How far along the gradient a device point lies: t = perX x + perY y + atOrigin.
        perX_ = fromDevice_.m11() * along.x() + fromDevice_.m12() * along.y();
        perY_ = fromDevice_.m21() * along.x() + fromDevice_.m22() * along.y();
        atOrigin_ = (fromDevice_.dx() - start.x()) * along.x() + (fromDevice_.dy() - start.y()) * along.y();
        // Steps that would overflow across the image read the gradient as squeezed to a line.
        constexpr double kMostStep = 1e9;
        if (!(std::abs(perX_) < kMostStep && std::abs(perY_) < kMostStep && std::abs(atOrigin_) < kMostStep)) {
            table_.clear();
            colour_ = qPremultiply(gradient->stops().back().second.rgba());
        }
    } else {
        const auto* radial = static_cast<const QRadialGradient*>(gradient);
        focal_ = radial->focalPoint();
        towardCentre_ = radial->center() - focal_;
        const double radius = radial->radius();
        focalInside_ = QPointF::dotProduct(towardCentre_, towardCentre_) - radius * radius;
    }
}

double FillColours::radialAt(double x, double y) const
{
    // The circle through the point, of those grown from the focal point (t = 0) to the
    // gradient's own (t = 1).
    const double dx = x - focal_.x();
    const double dy = y - focal_.y();
    const double b = dx * towardCentre_.x() + dy * towardCentre_.y();
    const double d2 = dx * dx + dy * dy;
    if (focalInside_ < 0)
        return (b - std::sqrt(b * b - focalInside_ * d2)) / focalInside_;
    return b > 0 ? d2 / (2 * b) : 1e9;
}

int FillColours::stepAt(double t) const
{
    // Rounded down by hand: std::floor is a library call on the processors built for. Far
    // past any gradient, t is held within int's range first; NaN, of a damaged file's
    // numbers, reads the first colour.
    const auto floorOf = [](double v) {
        const int truncated = static_cast<int>(v);
        return truncated > v ? truncated - 1 : truncated;
    };
    t = t >= -1e8 ? std::min(t, 1e8) : 0.0;
    switch (spread_) {
    case QGradient::RepeatSpread:
        t -= floorOf(t);
        break;
    case QGradient::ReflectSpread:
        t = std::abs(t);
        t -= 2 * floorOf(t / 2);
        if (t > 1)
            t = 2 - t;
        break;
    default:
        break;
    }
    return static_cast<int>(std::clamp(t, 0.0, 1.0) * (kSteps - 1) + 0.5);
}

inline double FillColours::linearAt(int row, int column) const
{
    // Read at pixel centres.
    return perX_ * (column + 0.5) + perY_ * (row + 0.5) + atOrigin_;
}

inline std::size_t FillColours::linearStep(int row, int column) const
{
    return static_cast<std::size_t>(std::clamp(linearAt(row, column) * (kSteps - 1) + 0.5, 0.0, double(kSteps - 1)));
}

bool FillColours::steady(int row, int from, int count, QRgb& colour) const
{
    if (table_.empty()) {
        colour = colour_;
        return true;
    }
    if (type_ != QGradient::LinearGradient || spread_ != QGradient::PadSpread || count <= 0)
        return false;
    // A padded linear gradient runs one way along a row: one step at both ends is one
    // colour all along.
    const std::size_t first = linearStep(row, from);
    if (first != linearStep(row, from + count - 1))
        return false;
    colour = table_[first];
    return true;
}

void FillColours::colours(int row, int from, int count, QRgb* out) const
{
    if (table_.empty()) {
        std::fill(out, out + count, colour_);
        return;
    }
    if (type_ == QGradient::LinearGradient && spread_ == QGradient::PadSpread) {
        // Along a row a linear gradient moves by the same amount each pixel.
        // In 16.16 fixed point, held where a row's worth of steps cannot overflow: a gradient
        // that moves further a pixel is all of it within a pixel.
        constexpr double kOne = 65536.0;
        constexpr double kFar = double(1 << 30);
        constexpr double kSteepest = double(1 << 20);
        constexpr double kScale = kSteps - 1;
        auto fixed = static_cast<qint64>(std::clamp(linearAt(row, from) * kScale + 0.5, -kFar, kFar) * kOne);
        const auto step = static_cast<qint64>(std::clamp(perX_ * kScale, -kSteepest, kSteepest) * kOne);
        const qint64 last = fixed + step * (count - 1);
        if (std::min(fixed, last) >= 0 && std::max(fixed, last) >> 16 < kSteps) {
            // Inside the gradient at both ends, and so all along.
            for (int i = 0; i < count; ++i, fixed += step)
                out[i] = table_[static_cast<std::size_t>(fixed >> 16)];
            return;
        }
        for (int i = 0; i < count; ++i, fixed += step)
            out[i] = table_[static_cast<std::size_t>(std::clamp<qint64>(fixed >> 16, 0, kSteps - 1))];
        return;
    }
    if (type_ == QGradient::LinearGradient) {
        for (int i = 0; i < count; ++i)
            out[i] = table_[static_cast<std::size_t>(stepAt(linearAt(row, from + i)))];
        return;
    }
    // Read at pixel centres.
    const QPointF first = fromDevice_.map(QPointF(from + 0.5, row + 0.5));
    const double stepX = fromDevice_.m11();
    const double stepY = fromDevice_.m12();
    int i = 0;
#ifdef __SSE2__
    if (focalInside_ < 0) {
        // Two pixels at a time: the square root is most of the work.
        const __m128d toCentreX = _mm_set1_pd(towardCentre_.x());
        const __m128d toCentreY = _mm_set1_pd(towardCentre_.y());
        const __m128d inside = _mm_set1_pd(focalInside_);
        const __m128d byInside = _mm_set1_pd(1 / focalInside_);
        const double x0 = first.x() - focal_.x();
        const double y0 = first.y() - focal_.y();
        for (; i + 2 <= count; i += 2) {
            const __m128d dx = _mm_set_pd(x0 + (i + 1) * stepX, x0 + i * stepX);
            const __m128d dy = _mm_set_pd(y0 + (i + 1) * stepY, y0 + i * stepY);
            const __m128d b = _mm_add_pd(_mm_mul_pd(dx, toCentreX), _mm_mul_pd(dy, toCentreY));
            const __m128d d2 = _mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy));
            const __m128d root = _mm_sqrt_pd(_mm_sub_pd(_mm_mul_pd(b, b), _mm_mul_pd(inside, d2)));
            alignas(16) double t[2];
            _mm_store_pd(t, _mm_mul_pd(_mm_sub_pd(b, root), byInside));
            out[i] = table_[static_cast<std::size_t>(stepAt(t[0]))];
            out[i + 1] = table_[static_cast<std::size_t>(stepAt(t[1]))];
        }
    }
#endif
    for (; i < count; ++i)
        out[i] = table_[static_cast<std::size_t>(stepAt(radialAt(first.x() + i * stepX, first.y() + i * stepY)))];
}

} // namespace swf
