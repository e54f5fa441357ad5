#pragma once
// Where each row of a picture holds one colour across a run of columns, so that a copy of
// the picture can write those pixels from the colour instead of reading them. A backdrop
// that every frame starts from is often a flat colour or a gradient from top to bottom:
// copied this way, a frame's start reads next to nothing and leaves the caches to the
// drawing over it.

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

namespace swf {

class FlatRows {
public:
    // Finds each row's longest run of one colour in picture, of 32-bit pixels.
    void measure(const QImage& picture);
    void forget();

    // Copies rect, which both images hold, from picture to target: what copyPixels() does.
    // Only a picture of the size measured is taken to be the one measured.
    void copy(const QImage& picture, QImage& target, const QRect& rect) const;

private:
    struct Run {
        int from = 0;
        int to = 0;
        std::uint32_t colour = 0;
    };
    QSize size_;
    std::vector<Run> rows_;
};

} // namespace swf
