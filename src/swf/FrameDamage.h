#pragma once
// Which pixels a frame may change. Each frame the renderer lists the leaves it draws (shapes,
// morphs, text, bitmaps, masks' shapes), each under the depths that lead to it from the
// stage and with everything that decides its pixels; comparing the list with the last
// frame's gives the area to draw again. A pixel's colour depends only on the leaves whose
// bounds hold it and on their order, which their depths fix: where no such leaf was added,
// removed or altered, the pixel stays as it was.

#include "swf/ColorTransform.h"

#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace swf {

struct DrawnLeaf {
    // The depths from the stage's display list down to the leaf.
    std::vector<std::uint16_t> depths;
    // The depths of the clipping layers that enclose it, innermost last, each ended by a
    // mark no depth takes, so that the chains of two leaves compare whole.
    std::vector<std::uint32_t> clips;
    // What it draws: the character, and a morph's ratio.
    const void* character = nullptr;
    std::uint16_t ratio = 0;
    // Drawn as a clipping layer's coverage rather than as itself.
    bool mask = false;
    // Into device pixels, before the passes' shifts.
    QTransform toDevice;
    ColorTransform colour;
    // Device pixels it may touch.
    QRectF bounds;

    bool drawsLike(const DrawnLeaf& other) const;
};

class FrameDamage {
public:
    // Past this many separate rectangles the area is taken whole by its bounding rectangle:
    // each costs every pass a clip of its own.
    static constexpr int kMostRectangles = 8;

    // The pixels of frame that may differ from the last frame given, whose leaves are taken
    // over; all of frame after forget() or a change of frame size.
    QRegion compare(std::vector<DrawnLeaf> leaves, const QRect& frame);
    // The next frame is drawn whole.
    void forget();
    // The leaves of the last frame given; none after forget().
    const std::vector<DrawnLeaf>& last() const { return last_; }

private:
    std::vector<DrawnLeaf> last_;
    QRect frame_;
    bool known_ = false;
};

// Ends each clipping layer's depths in a leaf's chain of clips: no depth takes it.
inline constexpr std::uint32_t kEndOfClip = 0x10000;

} // namespace swf
