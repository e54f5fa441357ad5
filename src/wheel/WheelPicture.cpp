#include "wheel/WheelPicture.h"

#include "platform/Twips.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

QImage blankImage(QSize logicalPixels, qreal devicePixelRatio)
{
    QImage image((QSizeF(logicalPixels) * devicePixelRatio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::black);
    return image;
}

} // namespace

WheelPicture::WheelPicture(QSize logicalPixels, qreal devicePixelRatio)
{
    resize(logicalPixels, devicePixelRatio);
}

void WheelPicture::resize(QSize logicalPixels, qreal devicePixelRatio)
{
    holding_ = false;
    logical_ = logicalPixels;
    image_ = blankImage(logicalPixels, devicePixelRatio);
    changed_ = QRect(QPoint(0, 0), logical_);
}

void WheelPicture::setDevicePixelRatio(qreal devicePixelRatio)
{
    if (devicePixelRatio == image_.devicePixelRatio())
        return;
    paintHeldRing();
    image_ = image_.scaled((QSizeF(logical_) * devicePixelRatio).toSize(), Qt::IgnoreAspectRatio,
                           Qt::FastTransformation);
    image_.setDevicePixelRatio(devicePixelRatio);
    changed_ = QRect(QPoint(0, 0), logical_);
}

float WheelPicture::ScaleWidth() const
{
    return static_cast<float>(platform::pixelsToTwips(logical_.width()));
}

float WheelPicture::ScaleHeight() const
{
    return static_cast<float>(platform::pixelsToTwips(logical_.height()));
}

void WheelPicture::Cls()
{
    holding_ = false;
    image_.fill(Qt::black);
    changed_ = QRect(QPoint(0, 0), logical_);
}

const QImage& WheelPicture::image() const
{
    paintHeldRing();
    return image_;
}

void WheelPicture::Circle(float x, float y, float radius, modHypno::Rgb colour)
{
    measureRing(x, y, radius, next_);
    next_.colour = qRgb(colour.red, colour.green, colour.blue);
    if (holding_) {
        uchar* const bits = image_.bits();
        for (int i = 0; i < static_cast<int>(held_.rows.size()); ++i) {
            const int row = held_.firstRow + i;
            const RowSpans* covering = next_.at(row);
            if (!covering || *covering != held_.rows[static_cast<std::size_t>(i)])
                paintRow(bits, row, held_.rows[static_cast<std::size_t>(i)], held_.colour);
        }
    }
    std::swap(held_, next_);
    holding_ = true;

    const double dpr = image_.devicePixelRatio();
    const double perTwip = dpr / platform::kTwipsPerPixel;
    const double outer = std::abs(radius) * perTwip + std::max(1, drawWidth_) * dpr / 2.0;
    const QRectF bounds(x * perTwip - outer, y * perTwip - outer, 2 * outer, 2 * outer);
    const QRect logicalBounds =
        QRectF(bounds.topLeft() / dpr, bounds.size() / dpr).toAlignedRect().adjusted(-1, -1, 1, 1);
    changed_ |= logicalBounds & QRect(QPoint(0, 0), logical_);
}

const WheelPicture::RowSpans* WheelPicture::Ring::at(int row) const
{
    const int i = row - firstRow;
    return i >= 0 && i < static_cast<int>(rows.size()) ? &rows[static_cast<std::size_t>(i)] : nullptr;
}

void WheelPicture::measureRing(float x, float y, float radius, Ring& ring) const
{
    // Everything in device pixels; a pixel belongs to the ring when its centre lies
    // within half the pen width of the circle.
    const double dpr = image_.devicePixelRatio();
    const double perTwip = dpr / platform::kTwipsPerPixel;
    const double cx = x * perTwip;
    const double cy = y * perTwip;
    const double r = std::abs(radius) * perTwip;
    const double halfPen = std::max(1, drawWidth_) * dpr / 2.0;
    const double outer = r + halfPen;
    const double inner = std::max(0.0, r - halfPen);
    const int width = image_.width();
    const int height = image_.height();

    const int top = std::max(0, static_cast<int>(std::floor(cy - outer)));
    const int bottom = std::min(height - 1, static_cast<int>(std::ceil(cy + outer)));
    ring.firstRow = top;
    ring.rows.assign(static_cast<std::size_t>(std::max(0, bottom - top + 1)), RowSpans{});
    const auto clipped = [width](int from, int to) {
        return std::pair{std::max(from, 0), std::min(to, width - 1)};
    };
    const auto measureRow = [&](double dy) {
        RowSpans spans;
        if (std::abs(dy) > outer)
            return spans;
        const double xo = std::sqrt(outer * outer - dy * dy);
        const int left = static_cast<int>(std::ceil(cx - xo - 0.5));
        const int right = static_cast<int>(std::floor(cx + xo - 0.5));
        if (std::abs(dy) >= inner) {
            std::tie(spans.from, spans.to) = clipped(left, right);
            return spans;
        }
        const double xi = std::sqrt(inner * inner - dy * dy);
        std::tie(spans.from, spans.to) = clipped(left, static_cast<int>(std::floor(cx - xi - 0.5)));
        std::tie(spans.from2, spans.to2) = clipped(static_cast<int>(std::ceil(cx + xi - 0.5)), right);
        return spans;
    };

    // The rows at the same distance above and below the centre, when the centre lies on
    // a pixel's edge or middle, have the same spans exactly: the square roots, most of
    // a ring's cost, are then taken once for both.
    const bool mirrored = 2.0 * cy == std::floor(2.0 * cy);
    const int mirror = static_cast<int>(2.0 * cy) - 1;
    for (int row = top; row <= bottom; ++row) {
        const int twin = mirror - row;
        RowSpans& spans = ring.rows[static_cast<std::size_t>(row - top)];
        if (mirrored && twin < row && twin >= top)
            spans = ring.rows[static_cast<std::size_t>(twin - top)];
        else
            spans = measureRow(row + 0.5 - cy);
    }
}

void WheelPicture::paintRow(uchar* bits, int row, const RowSpans& spans, QRgb colour) const
{
    auto* line = reinterpret_cast<QRgb*>(bits + row * image_.bytesPerLine());
    if (spans.from <= spans.to)
        std::fill(line + spans.from, line + spans.to + 1, colour);
    if (spans.from2 <= spans.to2)
        std::fill(line + spans.from2, line + spans.to2 + 1, colour);
}

void WheelPicture::paintHeldRing() const
{
    if (!holding_)
        return;
    holding_ = false;
    uchar* const bits = image_.bits();
    for (int i = 0; i < static_cast<int>(held_.rows.size()); ++i)
        paintRow(bits, held_.firstRow + i, held_.rows[static_cast<std::size_t>(i)], held_.colour);
}

QRect WheelPicture::takeChanged()
{
    const QRect changed = changed_;
    changed_ = QRect();
    return changed;
}
