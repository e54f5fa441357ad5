// The memory of rings: whatever it answers from memory must be what measuring afresh
// would give, within its budget, and for the picture it was last reset for.

#include "wheel/RingCache.h"

#include <gtest/gtest.h>

namespace {

bool sameRows(const RingRows& a, const RingRows& b)
{
    return a.firstRow == b.firstRow && a.rows == b.rows;
}

RingRows measured(const RingShape& shape, const PixelGrid& grid)
{
    RingRows ring;
    measureRing(shape, grid, ring);
    return ring;
}

std::vector<RingShape> pass(float centreX, int pen)
{
    std::vector<RingShape> shapes;
    for (float radius = 1.0f; radius <= 600.0f; radius += 7.5f)
        shapes.push_back({centreX, 1500.0f, radius, pen});
    return shapes;
}

// Three passes, the last with another pen, through a cache of the given budget; every
// answer is checked against a fresh measurement.
void drawPassesThrough(RingCache& cache, const PixelGrid& grid)
{
    std::vector<RingShape> shapes;
    for (const auto& part : {pass(2250.0f, 2), pass(2250.0f, 2), pass(2250.0f, 9)})
        shapes.insert(shapes.end(), part.begin(), part.end());
    const RingRows* held = nullptr;
    RingShape heldShape;
    for (const RingShape& shape : shapes) {
        const RingRows& next = cache.ring(shape);
        ASSERT_TRUE(sameRows(next, measured(shape, grid))) << "radius " << shape.radius;
        if (held) {
            // The held ring's answer is still good after the next one was asked for.
            ASSERT_TRUE(sameRows(*held, measured(heldShape, grid)));
            std::vector<RowPaint> expected;
            uncoveredRows(measured(heldShape, grid), next, expected);
            ASSERT_EQ(cache.uncovered(heldShape, *held, shape, next), expected) << "radius " << shape.radius;
        }
        held = &next;
        heldShape = shape;
    }
}

TEST(RingCache, AnswersAsMeasuringAfreshWouldWhetherItRemembersAllSomeOrNothing)
{
    const PixelGrid grid{QSize(300, 200), 1.0};
    for (const std::size_t budget : {std::size_t{1} << 20, std::size_t{900}, std::size_t{0}}) {
        SCOPED_TRACE(budget);
        RingCache cache(budget);
        cache.reset(grid);
        drawPassesThrough(cache, grid);
        EXPECT_LE(cache.rowsKept(), budget);
        if (budget > 0) {
            EXPECT_GT(cache.rowsKept(), 0u);
        }
    }
}

TEST(RingCache, AResetForAnotherPictureForgetsTheOldRings)
{
    RingCache cache(std::size_t{1} << 20);
    const RingShape shape{2250.0f, 1500.0f, 600.0f, 4};
    cache.reset(PixelGrid{QSize(300, 200), 1.0});
    cache.ring(shape);
    const PixelGrid denser{QSize(600, 400), 2.0};
    cache.reset(denser);
    EXPECT_EQ(cache.rowsKept(), 0u);
    EXPECT_TRUE(sameRows(cache.ring(shape), measured(shape, denser)));
    const PixelGrid narrower{QSize(120, 200), 1.0};
    cache.reset(narrower);
    EXPECT_TRUE(sameRows(cache.ring(shape), measured(shape, narrower)));
    drawPassesThrough(cache, narrower);
}

TEST(RingCache, ShapesThatDifferInAnyWayAreDifferentRings)
{
    const PixelGrid grid{QSize(300, 200), 1.0};
    RingCache cache(std::size_t{1} << 20);
    cache.reset(grid);
    const RingShape base{2250.0f, 1500.0f, 600.0f, 4};
    cache.ring(base);
    for (const RingShape& other : {RingShape{2265.0f, 1500.0f, 600.0f, 4}, RingShape{2250.0f, 1515.0f, 600.0f, 4},
                                   RingShape{2250.0f, 1500.0f, 615.0f, 4}, RingShape{2250.0f, 1500.0f, 600.0f, 6}})
        EXPECT_TRUE(sameRows(cache.ring(other), measured(other, grid)));
}

} // namespace
