#pragma once
// The colour wheel's picture: a backing image that keeps what was drawn while the window
// is covered, addressed in twips (15 to a logical pixel) and held at the screen's
// device-pixel ratio so that rings stay crisp on dense screens.

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

    const QImage& image() const { return image_; }
    QSize logicalSize() const { return logical_; }
    // The part drawn on since the last call, in logical pixels.
    QRect takeChanged();

private:
    QSize logical_;
    QImage image_;
    int drawWidth_ = 1;
    QRect changed_;
};
