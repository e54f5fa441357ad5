#include "wheel/WheelPicture.h"

#include "platform/Twips.h"

#include <algorithm>
#include <cmath>

namespace {

// Rows of rings kept between passes: some 2 MB at most, enough for every pass of up to
// about a thousand circles of the largest size at the usual pen widths.
constexpr std::size_t RingRowBudget = std::size_t{1} << 17;

QImage blankImage(QSize logicalPixels, qreal devicePixelRatio)
{
    QImage image((QSizeF(logicalPixels) * devicePixelRatio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::black);
    return image;
}

} // namespace

WheelPicture::WheelPicture(QSize logicalPixels, qreal devicePixelRatio) : rings_(RingRowBudget)
{
    resize(logicalPixels, devicePixelRatio);
}

void WheelPicture::forgetRings()
{
    holding_ = false;
    held_ = nullptr;
    rings_.reset(PixelGrid{image_.size(), image_.devicePixelRatio()});
}

void WheelPicture::resize(QSize logicalPixels, qreal devicePixelRatio)
{
    logical_ = logicalPixels;
    image_ = blankImage(logicalPixels, devicePixelRatio);
    changed_ = QRect(QPoint(0, 0), logical_);
    forgetRings();
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
    forgetRings();
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
    forgetRings();
}

const QImage& WheelPicture::image() const
{
    paintHeldRing();
    return image_;
}

void WheelPicture::Circle(float x, float y, float radius, modHypno::Rgb colour)
{
    const RingShape shape{x, y, radius, std::max(1, drawWidth_)};
    const RingRows& next = rings_.ring(shape);
    if (holding_) {
        const Rows rows = this->rows();
        for (const RowPaint& paint : rings_.uncovered(heldShape_, *held_, shape, next))
            paintRow(rows, paint.row, paint.spans, heldColour_);
    }
    held_ = &next;
    heldShape_ = shape;
    heldColour_ = qRgb(colour.red, colour.green, colour.blue);
    holding_ = true;

    const double dpr = image_.devicePixelRatio();
    const double perTwip = dpr / platform::kTwipsPerPixel;
    const double outer = std::abs(radius) * perTwip + shape.pen * dpr / 2.0;
    const QRectF bounds(x * perTwip - outer, y * perTwip - outer, 2 * outer, 2 * outer);
    const QRect logicalBounds =
        QRectF(bounds.topLeft() / dpr, bounds.size() / dpr).toAlignedRect().adjusted(-1, -1, 1, 1);
    changed_ |= logicalBounds & QRect(QPoint(0, 0), logical_);
}

WheelPicture::Rows WheelPicture::rows() const
{
    return Rows{image_.bits(), image_.bytesPerLine()};
}

void WheelPicture::paintRow(const Rows& rows, int row, const RowSpans& spans, QRgb colour)
{
    auto* line = reinterpret_cast<QRgb*>(rows.bits + row * rows.bytesPerLine);
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
    const Rows rows = this->rows();
    for (int i = 0; i < static_cast<int>(held_->rows.size()); ++i)
        paintRow(rows, held_->firstRow + i, held_->rows[static_cast<std::size_t>(i)], heldColour_);
}

QRect WheelPicture::takeChanged()
{
    const QRect changed = changed_;
    changed_ = QRect();
    return changed;
}
