#pragma once
// The colour wheel's picture: a backing image that keeps what was drawn while the window
// is covered, addressed in twips (15 to a logical pixel) and held at the screen's
// device-pixel ratio so that rings stay crisp on dense screens. The latest ring is held
// back until the next one or a look at the picture: where the next covers a row of it
// exactly, that row is never painted, as nobody could have seen it.

#include "wheel/RingCache.h"
#include "wheel/modHypno.h"

#include <QImage>
#include <QRect>
#include <QSize>

class WheelPicture final : public modHypno::DrawingSurface {
public:
    WheelPicture(QSize logicalPixels, qreal devicePixelRatio);

    // A new, black picture of the given size.
    void resize(QSize logicalPixels, qreal devicePixelRatio);
    // Follows the window to a screen of another density, keeping the picture.
    void setDevicePixelRatio(qreal devicePixelRatio);

    float ScaleWidth() const override;
    float ScaleHeight() const override;
    // An aliased outline with a pen of DrawWidth pixels centred on the circle.
    void Circle(float x, float y, float radius, modHypno::Rgb colour) override;
    void Cls() override;
    void setDrawWidth(int pixels) override { drawWidth_ = pixels; }
    int DrawWidth() const override { return drawWidth_; }

    const QImage& image() const;
    QSize logicalSize() const { return logical_; }
    // The part drawn on since the last call, in logical pixels.
    QRect takeChanged();

private:
    // The image's rows, looked up once per ring rather than once per row.
    struct Rows {
        uchar* bits;
        qsizetype bytesPerLine;
    };
    Rows rows() const;
    static void paintRow(const Rows& rows, int row, const RowSpans& spans, QRgb colour);
    void paintHeldRing() const;
    // Starts afresh: a new image, or new settings whose rings are not the old ones.
    void forgetRings();

    QSize logical_;
    // Painted on when looked at: the held ring belongs to what is shown.
    mutable QImage image_;
    int drawWidth_ = 1;
    QRect changed_;
    RingCache rings_;
    const RingRows* held_ = nullptr;
    RingShape heldShape_;
    QRgb heldColour_ = 0;
    mutable bool holding_ = false;
};
