#pragma once
// Fills a path with one colour, without antialiasing, on a premultiplied ARGB image: row by
// row, keeping only the edges that cross the row, so that the time grows with the edges that
// cross each row and the pixels covered. Qt's aliased rasteriser, which it stands in for,
// takes seconds a frame over a shape of thousands of tall edges a fraction of a pixel apart.
// A pixel is filled when its centre lies inside the path, with the path's points in 64ths of
// a pixel, under the path's fill rule; a centre on a rectangle's left or top edge lies
// outside it and one on its right or bottom edge inside, as Qt has it.

#include "swf/ClipRects.h"

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>

#include <vector>

namespace swf {

class ScanlineFill {
public:
    // Draws into image, which must be Format_ARGB32_Premultiplied and keep its pixels while
    // this lives, only within the clip's rectangles (those reaching outside the image for
    // their part inside it).
    ScanlineFill(QImage& image, const std::vector<QRect>& clip);

    // Fills path, mapped by toDevice into the image's pixels, with the premultiplied colour
    // laid over what is there (source over). Curves are flattened to the points Qt's aliased
    // fill takes; a path with a point that maps to no finite place draws nothing.
    void fill(const QPainterPath& path, const QTransform& toDevice, QRgb premultiplied);

private:
    void fillSpan(int row, int from, int to, QRgb premultiplied);

    uchar* pixels_;
    qsizetype bytesPerLine_;
    ClipRects clip_;
    QRect bounds_;
};

} // namespace swf
