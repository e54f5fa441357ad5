#include "swf/FrameDamage.h"

#include "swf/DrawnBounds.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

bool sameTransform(const QTransform& a, const QTransform& b)
{
    // Compared exactly: the pixels come from these very numbers.
    return a.m11() == b.m11() && a.m12() == b.m12() && a.m13() == b.m13() && a.m21() == b.m21() &&
           a.m22() == b.m22() && a.m23() == b.m23() && a.m31() == b.m31() && a.m32() == b.m32() &&
           a.m33() == b.m33();
}

} // namespace

bool DrawnLeaf::drawsLike(const DrawnLeaf& other) const
{
    return character == other.character && ratio == other.ratio && mask == other.mask && clips == other.clips &&
           sameTransform(toDevice, other.toDevice) && colour.mult == other.colour.mult &&
           colour.add == other.colour.add;
}

void FrameDamage::forget()
{
    known_ = false;
    last_.clear();
}

QRegion FrameDamage::compare(std::vector<DrawnLeaf> leaves, const QRect& frame)
{
    const bool whole = !known_ || frame != frame_;
    std::vector<QRect> rects;
    bool unbounded = whole;
    const auto add = [&](const DrawnLeaf& leaf) {
        if (unbounded || leaf.bounds.isEmpty())
            return;
        if (!isFinite(leaf.bounds)) {
            unbounded = true;
            return;
        }
        // Rounded outwards to whole pixels, and kept on the frame, far-flung numbers and all.
        const QRectF shown = leaf.bounds & QRectF(frame);
        if (!shown.isEmpty())
            rects.push_back(shown.toAlignedRect() & frame);
    };
    if (!whole) {
        // Both lists run in drawing order, which is the order of their depths.
        auto before = last_.cbegin();
        auto now = leaves.cbegin();
        while (before != last_.cend() || now != leaves.cend()) {
            if (now == leaves.cend() || (before != last_.cend() && before->depths < now->depths)) {
                add(*before++);
            } else if (before == last_.cend() || now->depths < before->depths) {
                add(*now++);
            } else {
                if (!before->drawsLike(*now)) {
                    add(*before);
                    add(*now);
                }
                ++before;
                ++now;
            }
        }
    }
    last_ = std::move(leaves);
    frame_ = frame;
    known_ = true;
    if (unbounded)
        return QRegion(frame);
    // Joined one by one only while few: each join costs as much as the rectangles so far.
    QRegion damage;
    for (const QRect& rect : rects) {
        damage += rect;
        if (damage.rectCount() > kMostRectangles) {
            QRect bounds;
            for (const QRect& each : rects)
                bounds |= each;
            return QRegion(bounds);
        }
    }
    return damage;
}

} // namespace swf
