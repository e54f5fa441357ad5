// The renderer's passes, run whole on a recording surface; "inside the yield" is the
// hook that runs after each circle.

#include "RecordingSurface.h"
#include "wheel/modHypno.h"

#include <gtest/gtest.h>

#include <set>

using modHypno::Rgb;
using modHypno::WheelState;

namespace {

// The parameters the colour-wheel window gives the renderer when it loads.
WheelState loadTimeState()
{
    WheelState s;
    s.MaxRadius = 1000;
    s.RadiusStep = 5.0f;
    s.ColorSteps = 1;
    s.LineWidth = 2;
    s.Red = {0, 0, 1, 5, 255, 0, 0};
    s.Green = {0, 0, 1, 2, 254, 0, 0};
    s.Blue = {0, 0, 1, 3, 252, 0, 0};
    return s;
}

class Passes : public ::testing::Test {
protected:
    // Runs one pass; `during(n)` runs inside the yield after the n-th circle (from 1).
    void outward(const std::function<void(int)>& during = {}) { run(modHypno::DrawOutwardPass, during); }
    void inward(const std::function<void(int)>& during = {}) { run(modHypno::DrawInwardPass, during); }

    WheelState state = loadTimeState();
    RecordingSurface surface{11910.0f, 5400.0f};

private:
    using Pass = void (*)(WheelState&, modHypno::DrawingSurface&, const modHypno::YieldHook&);
    void run(Pass pass, const std::function<void(int)>& during)
    {
        int circle = 0;
        pass(state, surface, [&] {
            ++circle;
            if (during)
                during(circle);
        });
    }
};

TEST_F(Passes, FirstOutwardPassAfterLoadStartsTheColoursAfresh)
{
    outward();
    ASSERT_EQ(surface.circles.size(), 200u);
    EXPECT_FLOAT_EQ(surface.circles[0].radius, 1.0f);
    EXPECT_EQ(surface.circles[0].colour, (Rgb{5, 2, 3}));
    EXPECT_FLOAT_EQ(surface.circles[1].radius, 6.0f);
    EXPECT_EQ(surface.circles[1].colour, (Rgb{10, 4, 6}));
    EXPECT_FLOAT_EQ(surface.circles.back().radius, 996.0f);
    // The disc sits at the middle of the window's twips.
    EXPECT_FLOAT_EQ(surface.circles[0].x, 5955.0f);
    EXPECT_FLOAT_EQ(surface.circles[0].y, 2700.0f);
}

TEST_F(Passes, InwardPassRunsFromTheMaximumDownToTheLastRadiusAboveOne)
{
    inward();
    ASSERT_EQ(surface.circles.size(), 200u);
    EXPECT_FLOAT_EQ(surface.circles.front().radius, 1000.0f);
    EXPECT_EQ(surface.circles.front().colour, (Rgb{5, 2, 3}));
    EXPECT_FLOAT_EQ(surface.circles.back().radius, 5.0f);
}

TEST_F(Passes, EachCompletePassBeginsOneColourStepAfterThePassBefore)
{
    outward();
    const std::size_t second = surface.circles.size();
    outward();
    const std::size_t third = surface.circles.size();
    inward();
    EXPECT_EQ(surface.circles[second].colour, (Rgb{10, 4, 6}));
    EXPECT_EQ(surface.circles[third].colour, (Rgb{15, 6, 9}));
    // Each pass's rings are the previous pass's rings shifted by one step.
    EXPECT_EQ(surface.circles[second].colour, surface.circles[1].colour);
    EXPECT_EQ(surface.circles[second + 5].colour, surface.circles[6].colour);
}

TEST_F(Passes, ClearingCenterReadyRestartsTheSequenceAndMeasuresTheCentreAgain)
{
    outward();
    outward();
    RecordingSurface smaller(300.0f, 150.0f);
    state.CenterReady = false;
    modHypno::DrawOutwardPass(state, smaller, [] {});
    EXPECT_EQ(smaller.circles.front().colour, (Rgb{5, 2, 3}));
    EXPECT_FLOAT_EQ(smaller.circles.front().x, 150.0f);
    EXPECT_FLOAT_EQ(smaller.circles.front().y, 75.0f);
    // Without a restart the centre stays where it was measured, whatever the surface.
    RecordingSurface other(9000.0f, 9000.0f);
    modHypno::DrawOutwardPass(state, other, [] {});
    EXPECT_FLOAT_EQ(other.circles.front().x, 150.0f);
}

TEST(AdvanceColor, EachChannelBouncesBetweenItsBoundsWithItsOwnPeriod)
{
    WheelState s = loadTimeState();
    s.Red.Step = s.Green.Step = s.Blue.Step = 1;
    struct Seen {
        int min = 999, max = -1;
        std::vector<int> levels;
    } red, green, blue;
    for (int i = 0; i < 3000; ++i) {
        modHypno::AdvanceColor(s);
        for (auto [seen, level] : {std::pair{&red, s.Red.Level}, {&green, s.Green.Level}, {&blue, s.Blue.Level}}) {
            seen->min = std::min(seen->min, int(level));
            seen->max = std::max(seen->max, int(level));
            seen->levels.push_back(level);
        }
    }
    EXPECT_EQ(red.min, 5);
    EXPECT_EQ(red.max, 255);
    EXPECT_EQ(green.min, 2);
    EXPECT_EQ(green.max, 254);
    EXPECT_EQ(blue.min, 3);
    EXPECT_EQ(blue.max, 252);
    // Red turns on 255 exactly: ..., 250, 255, 250, ...
    EXPECT_EQ(red.levels[48], 245);
    EXPECT_EQ(red.levels[49], 250);
    EXPECT_EQ(red.levels[50], 255);
    EXPECT_EQ(red.levels[51], 250);
    for (auto [seen, period] : {std::pair{&red, 100}, {&green, 252}, {&blue, 166}}) {
        for (std::size_t i = 0; i + period < seen->levels.size(); ++i)
            ASSERT_EQ(seen->levels[i], seen->levels[i + period]) << "period " << period << " at step " << i;
        // ... and no shorter one.
        EXPECT_NE(seen->levels[0], seen->levels[period / 2]);
    }
}

TEST_F(Passes, AHundredColourStepsPerCircleKeepRedStillWhileGreenAndBlueMove)
{
    state.ColorSteps = 100;
    outward();
    std::set<int> reds, greens, blues;
    for (const DrawnCircle& c : surface.circles) {
        reds.insert(c.colour.red);
        greens.insert(c.colour.green);
        blues.insert(c.colour.blue);
    }
    EXPECT_EQ(reds.size(), 1u);
    EXPECT_GT(greens.size(), 10u);
    EXPECT_GT(blues.size(), 10u);
}

TEST_F(Passes, TinyAndCoarseDiscsDrawOneCircle)
{
    struct Row {
        std::int16_t maxRadius;
        float step;
        float outwardRadius;
        float inwardRadius;
    };
    // A one-twip disc, and a step wider than the whole disc.
    for (const Row& row : {Row{1, 5.0f, 1.0f, 1.0f}, Row{5, 10.0f, 1.0f, 5.0f}}) {
        state.MaxRadius = row.maxRadius;
        state.RadiusStep = row.step;
        surface.circles.clear();
        outward();
        ASSERT_EQ(surface.circles.size(), 1u) << row.maxRadius;
        EXPECT_FLOAT_EQ(surface.circles[0].radius, row.outwardRadius);
        inward();
        ASSERT_EQ(surface.circles.size(), 2u) << row.maxRadius;
        EXPECT_FLOAT_EQ(surface.circles[1].radius, row.inwardRadius);
    }
}

TEST_F(Passes, APendingStopRequestEndsTheNextPassBeforeItsFirstCircle)
{
    outward();
    const WheelState before = state;
    state.StopRequested = true;
    outward();
    EXPECT_EQ(surface.circles.size(), 200u);
    EXPECT_FALSE(state.StopRequested);
    EXPECT_EQ(state.Red.Level, before.Red.Level);
    EXPECT_EQ(state.Green.Level, before.Green.Level);
    EXPECT_EQ(state.Blue.Level, before.Blue.Level);
    EXPECT_EQ(state.Red.Step, before.Red.Step);

    outward();
    ASSERT_EQ(surface.circles.size(), 400u);
    EXPECT_EQ(surface.circles[200].colour, (Rgb{10, 4, 6}));
}

TEST_F(Passes, AStopRequestDuringTheLastYieldDoesNotStopThatPass)
{
    outward([&](int circle) {
        if (circle == 200)
            state.StopRequested = true;
    });
    ASSERT_EQ(surface.circles.size(), 200u);
    // Ended normally: restored to the restart and stepped once ...
    EXPECT_EQ(state.Red.Level, 5);
    EXPECT_EQ(state.Green.Level, 2);
    EXPECT_TRUE(state.StopRequested);
    // ... but the request, still pending, ends it before its first circle.
    inward();
    EXPECT_EQ(surface.circles.size(), 200u);
    EXPECT_FALSE(state.StopRequested);
    inward();
    EXPECT_EQ(surface.circles.size(), 400u);
    EXPECT_EQ(surface.circles[200].colour, (Rgb{10, 4, 6}));
}

TEST_F(Passes, AStoppedPassIsNotRestoredAndTheNextContinuesItsColours)
{
    for (const bool inwardFirst : {false, true}) {
        const auto pass = [&](const std::function<void(int)>& during) {
            inwardFirst ? inward(during) : outward(during);
        };
        state = loadTimeState();
        surface.circles.clear();
        pass({});
        const std::vector<DrawnCircle> uninterrupted = surface.circles;

        state = loadTimeState();
        surface.circles.clear();
        pass([&](int circle) {
            if (circle == 37)
                state.StopRequested = true;
        });
        ASSERT_EQ(surface.circles.size(), 37u);
        outward();
        ASSERT_EQ(surface.circles.size(), 237u);
        // No jump: the 38th colour comes next, as if the pass had gone on.
        EXPECT_EQ(surface.circles[37].colour, uninterrupted[37].colour);
        EXPECT_EQ(surface.circles[38].colour, uninterrupted[38].colour);
    }
}

TEST(CentreRounding, HalvesGoToTheEvenNeighbour)
{
    struct Row {
        float width;
        std::int32_t centre;
    };
    for (const Row& row : {Row{9.0f, 4}, Row{11.0f, 6}, Row{13.0f, 6}, Row{15.0f, 8}, Row{10.0f, 5}, Row{11910.0f, 5955}}) {
        WheelState s = loadTimeState();
        RecordingSurface surface(row.width, row.width);
        s.MaxRadius = 1;
        modHypno::DrawOutwardPass(s, surface, [] {});
        EXPECT_EQ(s.CenterX, row.centre) << row.width;
        EXPECT_EQ(s.CenterY, row.centre) << row.width;
    }
}

TEST_F(Passes, ChangesInsideAPassTakeEffectWhereTheyShould)
{
    outward([&](int circle) {
        if (circle == 10) {
            state.ColorSteps = 2;
            state.MaxRadius = 20;
            state.RadiusStep = 1.0f;
        }
    });
    // Size and density wait for the next pass; the colour multiplier acts on the next circle.
    ASSERT_EQ(surface.circles.size(), 200u);
    EXPECT_EQ(surface.circles[9].colour, (Rgb{50, 20, 30}));
    EXPECT_EQ(surface.circles[10].colour, (Rgb{60, 24, 36}));
    outward();
    EXPECT_EQ(surface.circles.size(), 220u);
}

TEST_F(Passes, AnInwardPassSavesAgainWhenMaxRadiusIsMovedOntoTheRadiusJustReached)
{
    inward([&](int circle) {
        // The yield after the 3rd circle (radius 990): the next radius is 985.
        if (circle == 3)
            state.MaxRadius = 985;
    });
    ASSERT_EQ(surface.circles.size(), 200u);
    // The restore goes back to the colours saved before the circle at 985, then one step on.
    inward();
    EXPECT_FLOAT_EQ(surface.circles[200].radius, 985.0f);
    EXPECT_EQ(surface.circles[200].colour, surface.circles[4].colour);
    EXPECT_NE(surface.circles[200].colour, surface.circles[1].colour);
}

} // namespace
