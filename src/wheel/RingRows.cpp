#include "wheel/RingRows.h"

#include "platform/Twips.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

const RowSpans* RingRows::at(int row) const
{
    const int i = row - firstRow;
    return i >= 0 && i < static_cast<int>(rows.size()) ? &rows[static_cast<std::size_t>(i)] : nullptr;
}

void measureRing(const RingShape& shape, const PixelGrid& grid, RingRows& ring)
{
    const double dpr = grid.devicePixelRatio;
    const double perTwip = dpr / platform::kTwipsPerPixel;
    const double cx = shape.x * perTwip;
    const double cy = shape.y * perTwip;
    const double r = std::abs(shape.radius) * perTwip;
    const double halfPen = shape.pen * dpr / 2.0;
    const double outer = r + halfPen;
    const double inner = std::max(0.0, r - halfPen);
    const int width = grid.devicePixels.width();
    const int height = grid.devicePixels.height();

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

void uncoveredRows(const RingRows& held, const RingRows& next, std::vector<RowPaint>& rows)
{
    rows.clear();
    for (int i = 0; i < static_cast<int>(held.rows.size()); ++i) {
        const int row = held.firstRow + i;
        const RowSpans& spans = held.rows[static_cast<std::size_t>(i)];
        const RowSpans* covering = next.at(row);
        if (!covering || *covering != spans)
            rows.push_back({row, spans});
    }
}
