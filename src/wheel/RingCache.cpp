#include "wheel/RingCache.h"

#include <bit>

namespace {

std::size_t mix(std::size_t seed, std::uint32_t value)
{
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

} // namespace

std::size_t RingCache::ShapeHash::operator()(const RingShape& shape) const
{
    std::size_t seed = std::bit_cast<std::uint32_t>(shape.radius);
    seed = mix(seed, std::bit_cast<std::uint32_t>(shape.x));
    seed = mix(seed, std::bit_cast<std::uint32_t>(shape.y));
    return mix(seed, static_cast<std::uint32_t>(shape.pen));
}

std::size_t RingCache::PairHash::operator()(const std::pair<RingShape, RingShape>& pair) const
{
    const ShapeHash hash;
    return mix(hash(pair.first), static_cast<std::uint32_t>(hash(pair.second)));
}

void RingCache::reset(const PixelGrid& grid)
{
    grid_ = grid;
    rings_.clear();
    uncovered_.clear();
    rowsKept_ = 0;
}

const RingRows& RingCache::ring(const RingShape& shape)
{
    if (const auto found = rings_.find(shape); found != rings_.end())
        return found->second;
    // The spare not holding the ring given last, which the caller may still hold.
    spareUsed_ ^= 1;
    RingRows& measured = spare_[spareUsed_];
    measureRing(shape, grid_, measured);
    if (!fits(measured.rows.size()))
        return measured;
    rowsKept_ += measured.rows.size();
    return rings_.emplace(shape, measured).first->second;
}

const std::vector<RowPaint>& RingCache::uncovered(const RingShape& heldShape, const RingRows& held,
                                                  const RingShape& nextShape, const RingRows& next)
{
    const std::pair key{heldShape, nextShape};
    if (const auto found = uncovered_.find(key); found != uncovered_.end())
        return found->second;
    uncoveredRows(held, next, spareUncovered_);
    if (!fits(spareUncovered_.size()))
        return spareUncovered_;
    rowsKept_ += spareUncovered_.size();
    return uncovered_.emplace(key, spareUncovered_).first->second;
}
