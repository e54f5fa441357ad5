#pragma once
// The pixels an aliased ring covers, row by row, in device pixels of a picture: a pixel
// belongs to the ring when its centre lies within half the pen width of the circle.

#include <QSize>

#include <bit>
#include <cstdint>
#include <vector>

// A ring's pixels in one row: one span, or two either side of the hole.
struct RowSpans {
    int from = 0;
    int to = -1;
    int from2 = 0;
    int to2 = -1;
    friend bool operator==(const RowSpans&, const RowSpans&) = default;
};

struct RingRows {
    int firstRow = 0;
    std::vector<RowSpans> rows;
    const RowSpans* at(int row) const;
};

// One row of a ring to be painted.
struct RowPaint {
    int row = 0;
    RowSpans spans;
    friend bool operator==(const RowPaint&, const RowPaint&) = default;
};

// A circle as the wheel draws it: centre and radius in twips, pen in logical pixels.
struct RingShape {
    float x = 0.0f;
    float y = 0.0f;
    float radius = 0.0f;
    int pen = 1;
    // Bit for bit, so that equal shapes always hash alike.
    friend bool operator==(const RingShape& a, const RingShape& b)
    {
        return std::bit_cast<std::uint32_t>(a.x) == std::bit_cast<std::uint32_t>(b.x) &&
               std::bit_cast<std::uint32_t>(a.y) == std::bit_cast<std::uint32_t>(b.y) &&
               std::bit_cast<std::uint32_t>(a.radius) == std::bit_cast<std::uint32_t>(b.radius) && a.pen == b.pen;
    }
};

// The picture the rings are measured for: its size in device pixels and its density.
struct PixelGrid {
    QSize devicePixels;
    double devicePixelRatio = 1.0;
    friend bool operator==(const PixelGrid&, const PixelGrid&) = default;
};

void measureRing(const RingShape& shape, const PixelGrid& grid, RingRows& ring);

// The rows of `held` that `next` does not cover exactly: painted as the next ring comes,
// since a row the next ring paints over with the same pixels could never be seen.
void uncoveredRows(const RingRows& held, const RingRows& next, std::vector<RowPaint>& rows);
