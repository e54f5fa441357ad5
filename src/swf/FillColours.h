#pragma once
// The colour a brush gives each device pixel, read at the pixel's centre: one colour, or a
// linear or radial gradient's through a table of 1024 steps, as Qt's raster engine reads
// them: stops a ratio apart still blend across the pixels between them. Colours come
// premultiplied.

#include <QBrush>
#include <QRgb>
#include <QTransform>

#include <array>
#include <vector>

namespace swf {

class FillColours {
public:
    // Whether the brush is one this reads: a solid colour, or a linear or radial gradient in
    // the painter's coordinates.
    static bool reads(const QBrush& brush);

    // The brush drawn with toDevice as the painter's transform: the brush's pattern reaches
    // the device through brush.transform() * toDevice.
    FillColours(const QBrush& brush, const QTransform& toDevice);

    // One colour for every pixel, and which.
    bool uniform() const { return table_.empty(); }
    QRgb colour() const { return colour_; }

    // Whether pixels [from, from + count) of row all take one colour, and which.
    bool steady(int row, int from, int count, QRgb& colour) const;
    // The colours of pixels [from, from + count) of row.
    void colours(int row, int from, int count, QRgb* out) const;

private:
    static constexpr int kSteps = 1024;

    // How far along a radial gradient a point of its own coordinates lies, 0 to 1 within it.
    double radialAt(double x, double y) const;
    // The table's step for that, spread as the gradient spreads.
    int stepAt(double t) const;
    // How far along a linear gradient the pixel lies, before it is spread, and the step a
    // padded one takes.
    double linearAt(int row, int column) const;
    std::size_t linearStep(int row, int column) const;

    QRgb colour_ = 0;
    std::vector<QRgb> table_;
    QGradient::Type type_ = QGradient::NoGradient;
    QGradient::Spread spread_ = QGradient::PadSpread;
    // Device pixels into the gradient's own coordinates.
    QTransform fromDevice_;
    // Linear: how far along the gradient a device point lies, a plane over the pixels.
    double perX_ = 0;
    double perY_ = 0;
    double atOrigin_ = 0;
    // Radial: circles grow from the focal point to the gradient's own. Of the focal point,
    // the way to the centre and how far inside the circle it lies (negative inside).
    QPointF focal_;
    QPointF towardCentre_;
    double focalInside_ = -1;
};

} // namespace swf
