#pragma once
// The rectangles a filler may draw in, cut to its image, and the parts of a row's span that
// lie in them.

#include <QImage>
#include <QRect>

#include <algorithm>
#include <vector>

namespace swf {

class ClipRects {
public:
    ClipRects(const QImage& image, const std::vector<QRect>& clip)
    {
        for (const QRect& rect : clip) {
            const QRect inside = rect.intersected(image.rect());
            if (inside.isEmpty())
                continue;
            rects_.push_back(inside);
            bounds_ |= inside;
        }
    }

    const QRect& bounds() const { return bounds_; }

    // Calls part(left, right) for each run [left, right) of [from, to) on row inside a rectangle.
    template <typename Part>
    void within(int row, int from, int to, Part&& part) const
    {
        for (const QRect& rect : rects_) {
            if (row < rect.top() || row > rect.bottom())
                continue;
            const int left = std::max(from, rect.left());
            const int right = std::min(to, rect.right() + 1);
            if (left < right)
                part(left, right);
        }
    }

private:
    std::vector<QRect> rects_;
    QRect bounds_;
};

} // namespace swf
