#include "swf/ScanlineFill.h"

#include "swf/EdgeTable.h"
#include "swf/PixelBlend.h"

#include <algorithm>

namespace swf {

ScanlineFill::ScanlineFill(QImage& image, const std::vector<QRect>& clip)
    : pixels_(image.bits()), bytesPerLine_(image.bytesPerLine()), clip_(image, clip), bounds_(clip_.bounds())
{
}

void ScanlineFill::fill(const QPainterPath& path, const QTransform& toDevice, QRgb premultiplied)
{
    if (bounds_.isEmpty() || qAlpha(premultiplied) == 0)
        return;
    // Pixels are sampled at their centres.
    constexpr double kCentre = 0.5;
    EdgeTable table(bounds_, kCentre, kCentre);
    if (!table.build(path, toDevice))
        return;
    const bool winding = path.fillRule() == Qt::WindingFill;
    SampleScan scan(bounds_, QPointF(kCentre, kCentre));
    scanRows(table, std::span(&scan, 1), [&](int row) {
        scan.spans(winding, [&](int from, int to) { fillSpan(row, from, to, premultiplied); });
    });
}

void ScanlineFill::fillSpan(int row, int from, int to, QRgb premultiplied)
{
    if (from >= to)
        return;
    auto* line = reinterpret_cast<QRgb*>(pixels_ + qsizetype(row) * bytesPerLine_);
    clip_.within(row, from, to, [&](int left, int right) { layOver(line + left, right - left, premultiplied); });
}

} // namespace swf
