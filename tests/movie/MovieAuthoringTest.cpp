// The program's movies as authored: the motion each frame asks for, before any player
// draws it. A seam at the loop point, a jump or a flash shows here as a number.

#include "movies/ColourBoxMovie.h"
#include "movies/MovieStage.h"
#include "movies/PendulumMovie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

using namespace movies;
using swf::write::Matrix;
using swf::write::Point;

namespace {

struct Mapped {
    double x;
    double y;
};

Mapped apply(const Matrix& m, Point p)
{
    return {m.scaleX * p.x + m.rotateSkew1 * p.y + m.translateX, m.rotateSkew0 * p.x + m.scaleY * p.y + m.translateY};
}

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

} // namespace

TEST(PendulumMovie, SwingsFromRightThroughTheBottomToLeftAndBackInTwoSeconds)
{
    using namespace pendulum;
    EXPECT_EQ(kLoopFrames / kFrameRate, 2.0);
    const PendulumPose start = pendulumPose(0);
    const PendulumPose quarter = pendulumPose(kLoopFrames / 4);
    const PendulumPose half = pendulumPose(kLoopFrames / 2);
    EXPECT_NEAR(degrees(start.angle), 27, 3);
    EXPECT_GT(start.bobCentre.x, kPivot.x + 1500);
    EXPECT_NEAR(quarter.angle, 0.0, 1e-9);
    EXPECT_EQ(quarter.bobCentre, (Point{kPivot.x, kPivot.y + kRodLength}));
    EXPECT_NEAR(half.angle, -start.angle, 1e-9);
    EXPECT_EQ(half.bobCentre.x - kPivot.x, kPivot.x - start.bobCentre.x);
}

TEST(PendulumMovie, MovesFastestAtTheBottomAndLoopsWithoutASeam)
{
    using namespace pendulum;
    double largestStep = 0;
    for (int frame = 0; frame < kLoopFrames; ++frame) {
        const double step = std::abs(pendulumPose(frame + 1).angle - pendulumPose(frame).angle);
        largestStep = std::max(largestStep, step);
    }
    // The step across the loop point, 59 to 0, is as small as the slowest steps at the
    // ends of the swing, and the largest step falls at the bottom.
    const double seam = std::abs(pendulumPose(0).angle - pendulumPose(kLoopFrames - 1).angle);
    const double atBottom =
        std::abs(pendulumPose(kLoopFrames / 4).angle - pendulumPose(kLoopFrames / 4 - 1).angle);
    EXPECT_LT(seam, largestStep / 5);
    EXPECT_NEAR(atBottom, largestStep, largestStep * 0.01);
    EXPECT_EQ(pendulumPose(kLoopFrames).bobCentre, pendulumPose(0).bobCentre);
    // Smooth: no step larger than the motion's own top speed allows.
    EXPECT_LE(largestStep, kAmplitude * 2 * std::numbers::pi / kLoopFrames);
}

TEST(PendulumMovie, LightBelowIsBrightestWhenTheBobSwingsLowest)
{
    using namespace pendulum;
    const PendulumPlacement bottom = pendulumPlacement(kLoopFrames / 4);
    const PendulumPlacement end = pendulumPlacement(0);
    EXPECT_NEAR(bottom.glowOpacity, 1.0, 1e-9);
    EXPECT_LT(end.glowOpacity, 0.6);
    EXPECT_GT(end.glowOpacity, 0.3); // fainter, never gone
    EXPECT_GT(end.glow.scaleX, bottom.glow.scaleX);
}

TEST(PendulumMovie, RodEndsAtTheBobInEveryFrameAndStaysOnStage)
{
    using namespace pendulum;
    for (int frame = 0; frame < kLoopFrames; ++frame) {
        const PendulumPlacement placement = pendulumPlacement(frame);
        const Mapped rodEnd = apply(placement.rod, {0, kRodLength});
        const Mapped bob = apply(placement.bob, {0, 0});
        EXPECT_NEAR(rodEnd.x, bob.x, 2.0) << "frame " << frame;
        EXPECT_NEAR(rodEnd.y, bob.y, 2.0) << "frame " << frame;
        const Mapped pivot = apply(placement.rod, {0, 0});
        EXPECT_NEAR(pivot.x, kPivot.x, 0.5);
        EXPECT_NEAR(pivot.y, kPivot.y, 0.5);
        // The pool of light lies right below the bob, under the stage's lower edge.
        EXPECT_NEAR(apply(placement.glow, {0, 0}).x, bob.x, 0.5);
        EXPECT_LT(kGlowY, kStageHeight);
        EXPECT_GT(kGlowY, bob.y + kBobRadius);
        EXPECT_GE(bob.x - kBobRadius, 0);
        EXPECT_LE(bob.x + kBobRadius, kStageWidth);
        EXPECT_LE(bob.y + kBobRadius, kStageHeight);
    }
}

namespace {

// A frame's picture as a sorted list of what each box looks like, whichever depth it
// sits at.
using BoxLook = std::tuple<int, std::int32_t, std::int32_t, std::int32_t, long, int, int, int>;

std::vector<BoxLook> picture(int frame, BoxDirection direction)
{
    std::vector<BoxLook> looks;
    for (const BoxState& s : boxStates(frame, direction))
        looks.emplace_back(s.column, s.centre.x, s.centre.y, s.size, std::lround(s.turn * 1e6), s.colour.r,
                           s.colour.g, s.colour.b);
    std::sort(looks.begin(), looks.end());
    return looks;
}

bool offStage(const BoxState& box)
{
    // Half the diagonal: out of sight whatever the box's turn.
    const double reach = box.size * std::numbers::sqrt2 / 2;
    return box.centre.y + reach < 0 || box.centre.y - reach > kStageHeight;
}

// The fastest column climbs three spacings a loop.
constexpr std::int32_t kLargestStep = 3 * boxes::kSpacing / boxes::kLoopFrames + 1;

int sign(BoxDirection direction)
{
    return direction == BoxDirection::Up ? -1 : 1;
}

// The box of `next` that lies one small step on from `box` in its lane: the same box a
// frame later, or across the loop point the one that takes its place.
const BoxState* follower(const BoxState& box, const std::vector<BoxState>& next, BoxDirection direction)
{
    const auto found = std::find_if(next.begin(), next.end(), [&](const BoxState& other) {
        const std::int32_t step = (other.centre.y - box.centre.y) * sign(direction);
        return other.column == box.column && other.centre.x == box.centre.x && step > 0 && step <= kLargestStep;
    });
    return found == next.end() ? nullptr : &*found;
}

} // namespace

TEST(ColourBoxMovie, LastFrameLeadsIntoTheFirstAndDownwardIsUpwardReversed)
{
    using namespace boxes;
    EXPECT_EQ(picture(kLoopFrames, BoxDirection::Up), picture(0, BoxDirection::Up));
    for (int frame : {0, 1, 17, 120, kLoopFrames - 1})
        EXPECT_EQ(picture(frame, BoxDirection::Down), picture((kLoopFrames - frame) % kLoopFrames, BoxDirection::Up))
            << "frame " << frame;
    // And the two directions are not simply the same movie.
    EXPECT_NE(picture(1, BoxDirection::Down), picture(1, BoxDirection::Up));
}

TEST(ColourBoxMovie, EveryBoxInSightMovesOnASmallStepTheRightWay)
{
    using namespace boxes;
    for (const BoxDirection direction : {BoxDirection::Up, BoxDirection::Down}) {
        // Across the loop point too, where a box may hand its place to the next one in
        // its lane as long as the picture moves on by one step.
        for (int frame = 0; frame < kLoopFrames; ++frame) {
            const auto now = boxStates(frame, direction);
            const auto next = boxStates(frame + 1, direction);
            for (const BoxState& box : now) {
                if (!offStage(box)) {
                    EXPECT_TRUE(follower(box, next, direction)) << "frame " << frame << " column " << box.column;
                }
            }
            // Nothing turns up in sight that was not one step back a frame before.
            for (const BoxState& box : next) {
                if (offStage(box))
                    continue;
                const bool cameFromSomewhere = std::any_of(now.begin(), now.end(), [&](const BoxState& before) {
                    return follower(before, {box}, direction) != nullptr;
                });
                EXPECT_TRUE(cameFromSomewhere) << "frame " << frame + 1 << " column " << box.column;
            }
        }
    }
}

TEST(ColourBoxMovie, ColoursAndSwayChangeGentlyFromFrameToFrame)
{
    using namespace boxes;
    int largestColourStep = 0;
    double largestTurnStep = 0;
    for (int frame = 0; frame < kLoopFrames; ++frame) {
        const auto now = boxStates(frame, BoxDirection::Up);
        const auto next = boxStates(frame + 1, BoxDirection::Up);
        for (const BoxState& box : now) {
            const BoxState* later = follower(box, next, BoxDirection::Up);
            if (!later)
                continue; // leaving the stage
            for (auto channel : {&swf::write::Rgba::r, &swf::write::Rgba::g, &swf::write::Rgba::b})
                largestColourStep = std::max(largestColourStep, std::abs(later->colour.*channel - box.colour.*channel));
            largestTurnStep = std::max(largestTurnStep, std::abs(later->turn - box.turn));
        }
    }
    // A few levels of 255 and a fraction of a degree a frame: drifting, never flashing.
    EXPECT_LE(largestColourStep, 4);
    EXPECT_LT(degrees(largestTurnStep), 0.5);

    // The colours do differ: neighbours in a lane show different hues.
    const auto states = boxStates(0, BoxDirection::Up);
    EXPECT_NE(states[0].colour, states[1].colour);
}

TEST(ColourBoxMovie, EachColumnKeepsSomeBoxesInSightAndTheColumnsApart)
{
    using namespace boxes;
    for (int frame = 0; frame < kLoopFrames; frame += 7) {
        std::array<int, kColumns> inSight{};
        for (const BoxState& box : boxStates(frame, BoxDirection::Up)) {
            if (!offStage(box))
                ++inSight[static_cast<std::size_t>(box.column)];
            // Turned as it is, a box stays in its own lane and on the stage.
            const double halfExtent = box.size / 2.0 * (std::abs(std::cos(box.turn)) + std::abs(std::sin(box.turn)));
            EXPECT_LT(halfExtent, kColumnPitch / 2.0);
            EXPECT_GE(box.centre.x - halfExtent, 0);
            EXPECT_LE(box.centre.x + halfExtent, kStageWidth);
        }
        for (int count : inSight)
            EXPECT_GE(count, 2) << "frame " << frame;
    }
}
