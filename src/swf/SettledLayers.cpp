#include "swf/SettledLayers.h"

#include <algorithm>

namespace swf {

namespace {

std::uint32_t stageDepth(const DrawnLeaf& leaf)
{
    return leaf.depths.front();
}

// The depth of the stage's list below which a and b draw alike: that of the first leaf in
// which they part, kAboveAll when they do not.
std::uint32_t alikeBelow(const std::vector<DrawnLeaf>& a, const std::vector<DrawnLeaf>& b)
{
    const auto [inA, inB] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                          [](const DrawnLeaf& x, const DrawnLeaf& y) {
                                              return x.depths == y.depths && x.drawsLike(y);
                                          });
    std::uint32_t depth = SettledLayers::kAboveAll;
    if (inA != a.end())
        depth = std::min(depth, stageDepth(*inA));
    if (inB != b.end())
        depth = std::min(depth, stageDepth(*inB));
    return depth;
}

} // namespace

SettledLayers::Use SettledLayers::settle(const std::vector<DrawnLeaf>& leaves, const std::vector<DrawnLeaf>& before,
                                         const QSize& size, const QColor& background)
{
    const std::uint32_t steady = alikeBelow(leaves, before);
    // Alike in this frame, the last and the one before it.
    const std::uint32_t settled = std::min(steady, steady_);
    steady_ = steady;
    if (below_ > 0 && size == size_ && background == background_ && alikeBelow(leaves, kept_) >= below_)
        return {below_, false};
    const auto end = std::partition_point(leaves.begin(), leaves.end(),
                                          [settled](const DrawnLeaf& leaf) { return stageDepth(leaf) < settled; });
    // Where nothing has changed, nothing is drawn: the picture waits for a frame that shows
    // which layers stay.
    if (settled == kAboveAll || end == leaves.begin()) {
        kept_.clear();
        below_ = 0;
        return {};
    }
    kept_.assign(leaves.begin(), end);
    below_ = settled;
    size_ = size;
    background_ = background;
    return {below_, true};
}

void SettledLayers::forget()
{
    kept_.clear();
    below_ = 0;
    steady_ = 0;
    flat_.forget();
}

} // namespace swf
