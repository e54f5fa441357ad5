#pragma once
// Fills paths antialiased on a premultiplied ARGB image in one go: each pixel is sampled at
// four points, and the brush's colour, read once at the pixel's centre, is laid over the
// pixel by the share of them inside the path. Where one edge crosses a pixel, this gives the
// very bytes that four aliased drawings, one per sample, averaged, would give; where more
// than one does, the shares of a pixel are blended one after another instead.

#include "swf/ClipRects.h"
#include "swf/CoverageCache.h"
#include "swf/EdgeTable.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>

#include <array>
#include <cstdint>
#include <vector>

namespace swf {

class FillColours;

class CoverageFill {
public:
    using Samples = std::array<QPointF, 4>;

    // Draws into image, which must be Format_ARGB32_Premultiplied and keep its pixels while
    // this lives, only within the clip's rectangles, sampling each pixel at the samples,
    // measured from its top left and each within it. Coverage is kept in and taken from
    // kept, where there is one, which must always be given the same samples.
    CoverageFill(QImage& image, const std::vector<QRect>& clip, const Samples& samples, CoverageCache* kept = nullptr);

    // Whether fill() can draw with the brush (FillColours reads it).
    static bool draws(const QBrush& brush);

    // Fills path, mapped by toDevice into the image's pixels, with the brush laid over what
    // is there; a path with a point that maps to no finite place draws nothing.
    void fill(const QPainterPath& path, const QTransform& toDevice, const QBrush& brush);

private:
    using Change = CoverageCache::Change;

    // Lays the brush along row where changes_ has the path cover it.
    void lay(int row, const FillColours& colours);
    // Lays the kept coverage moved by whole pixels; false if it cannot be.
    bool move(const CoverageCache::Entry& entry, const QPointF& by, const FillColours& colours);

    uchar* pixels_;
    qsizetype bytesPerLine_;
    ClipRects clip_;
    QRect bounds_;
    // Kept from one fill to the next, with the memory they hold.
    EdgeTable table_;
    std::array<SampleScan, 4> scans_;
    CoverageCache* kept_;
    // Along the row being filled, where the samples the path covers grow or shrink.
    std::vector<Change> changes_;
    // The brush's colours along the part of the row being laid, by column from its left.
    std::vector<QRgb> colours_;
    // The rows of the path being filled, while it may yet be kept.
    std::vector<CoverageCache::Row> keptRows_;
    std::vector<Change> keptChanges_;
};

} // namespace swf
