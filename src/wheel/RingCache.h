#pragma once
// A memory of the wheel's rings. A pass draws the same rings as the pass before, at
// the same places, in new colours; measuring each ring and comparing it with the next
// was most of the drawing's cost. Here each ring is measured, and each pair compared,
// once, for as long as the picture keeps its size and the wheel its settings. What is
// kept is bounded: past the budget, rings are measured afresh each time instead.

#include "wheel/RingRows.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

class RingCache {
public:
    // At most `rowBudget` rows kept, of rings and of comparisons together.
    explicit RingCache(std::size_t rowBudget) : budget_(rowBudget) {}

    // Forgets everything, for a picture of this grid.
    void reset(const PixelGrid& grid);

    // The ring's rows. The answer stays valid until the next reset and at least until
    // the second call after this one.
    const RingRows& ring(const RingShape& shape);

    // The rows of the held ring that the next ring does not cover exactly: both as
    // `ring` gave them, `held` the one before `next`. Valid until the next call.
    const std::vector<RowPaint>& uncovered(const RingShape& heldShape, const RingRows& held,
                                           const RingShape& nextShape, const RingRows& next);

    std::size_t rowsKept() const { return rowsKept_; }

private:
    struct ShapeHash {
        std::size_t operator()(const RingShape& shape) const;
    };
    struct PairHash {
        std::size_t operator()(const std::pair<RingShape, RingShape>& pair) const;
    };
    bool fits(std::size_t rows) const { return rowsKept_ + rows <= budget_; }

    std::size_t budget_;
    std::size_t rowsKept_ = 0;
    PixelGrid grid_;
    std::unordered_map<RingShape, RingRows, ShapeHash> rings_;
    std::unordered_map<std::pair<RingShape, RingShape>, std::vector<RowPaint>, PairHash> uncovered_;
    // Over budget: the last two rings measured, and the last comparison.
    RingRows spare_[2];
    int spareUsed_ = 0;
    std::vector<RowPaint> spareUncovered_;
};
