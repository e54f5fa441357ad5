#include "wheel/WheelPicture.h"

#include "platform/Twips.h"

#include <algorithm>
#include <cmath>

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
    logical_ = logicalPixels;
    image_ = blankImage(logicalPixels, devicePixelRatio);
    changed_ = QRect(QPoint(0, 0), logical_);
}

void WheelPicture::setDevicePixelRatio(qreal devicePixelRatio)
{
    if (devicePixelRatio == image_.devicePixelRatio())
        return;
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
    image_.fill(Qt::black);
    changed_ = QRect(QPoint(0, 0), logical_);
}

void WheelPicture::Circle(float x, float y, float radius, modHypno::Rgb colour)
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
    const QRgb rgb = qRgb(colour.red, colour.green, colour.blue);

    // One detach check per circle rather than one per row.
    uchar* const bits = image_.bits();
    const qsizetype bytesPerLine = image_.bytesPerLine();
    const int width = image_.width();
    const auto fillSpan = [&](int row, int first, int last) {
        first = std::max(first, 0);
        last = std::min(last, width - 1);
        if (first > last)
            return;
        auto* line = reinterpret_cast<QRgb*>(bits + row * bytesPerLine);
        std::fill(line + first, line + last + 1, rgb);
    };

    const int height = image_.height();
    // The rows at the same distance above and below the centre, when the centre lies on
    // a pixel's edge or middle, share their spans exactly: the square roots, most of a
    // circle's cost, are then taken once for both.
    const bool mirrored = 2.0 * cy == std::floor(2.0 * cy);
    const int top = static_cast<int>(std::floor(cy - outer));
    const int bottom = static_cast<int>(std::ceil(cy + outer));
    const int first = mirrored ? top : std::max(0, top);
    const int last = mirrored ? static_cast<int>(std::floor(cy - 0.5)) : std::min(height - 1, bottom);
    for (int row = first; row <= last; ++row) {
        const int twin = mirrored ? static_cast<int>(2.0 * cy) - 1 - row : row;
        const bool rowShown = row >= 0 && row < height;
        const bool twinShown = twin != row && twin >= 0 && twin < height;
        const double dy = row + 0.5 - cy;
        if ((!rowShown && !twinShown) || std::abs(dy) > outer)
            continue;
        const auto fillRows = [&](int from, int to) {
            if (rowShown)
                fillSpan(row, from, to);
            if (twinShown)
                fillSpan(twin, from, to);
        };
        const double xo = std::sqrt(outer * outer - dy * dy);
        const int left = static_cast<int>(std::ceil(cx - xo - 0.5));
        const int right = static_cast<int>(std::floor(cx + xo - 0.5));
        if (std::abs(dy) >= inner) {
            fillRows(left, right);
            continue;
        }
        const double xi = std::sqrt(inner * inner - dy * dy);
        fillRows(left, static_cast<int>(std::floor(cx - xi - 0.5)));
        fillRows(static_cast<int>(std::ceil(cx + xi - 0.5)), right);
    }

    const QRectF bounds(cx - outer, cy - outer, 2 * outer, 2 * outer);
    const QRect logicalBounds =
        QRectF(bounds.topLeft() / dpr, bounds.size() / dpr).toAlignedRect().adjusted(-1, -1, 1, 1);
    changed_ |= logicalBounds & QRect(QPoint(0, 0), logical_);
}

QRect WheelPicture::takeChanged()
{
    const QRect changed = changed_;
    changed_ = QRect();
    return changed;
}
