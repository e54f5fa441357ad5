// The photosensitivity guard in the window, on the fake clock: the sliders moved in the
// middle of a pass switch it on and off at once, and the running pass keeps the pace that
// its own spacing and size call for.

#include "Controls.h"
#include "WheelRun.h"

#include <QScrollBar>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Size 2200 at Density 5: 440 circles a pass, 44 ms at the usual pace, some frames long.
constexpr std::size_t PassCircles = 440;
constexpr auto Period = 100us;

class Guarded : public ::testing::Test, public WheelRun {
protected:
    void SetUp() override
    {
        proceed(Yield::Paced);
        control<QScrollBar>(frame(), "ScrollBarSize")->setValue(2200);
    }

    void setWidth(int pixels) { control<QScrollBar>(frame(), "ScrollBarWidth")->setValue(pixels); }
    long long presents() { return wheel().activity().framesPresented; }

    // One pass, with `atCircle(n)` run after its n-th circle; `presentsBefore[n]` is then
    // how often the picture had gone to the screen before that circle's yield.
    std::vector<SeenCircle> pass(const std::function<void(int)>& atCircle = {})
    {
        presentsBefore.clear();
        return tick([&](int n) {
            presentsBefore.push_back(presents());
            if (atCircle)
                atCircle(n);
        });
    }

    std::vector<long long> presentsBefore;
};

TEST_F(Guarded, AWidePenSetMidPassHoldsThePictureUntilThePassIsComplete)
{
    pass();
    const std::vector<SeenCircle> circles = pass([&](int n) {
        if (n == 300)
            setWidth(50);
    });
    ASSERT_EQ(circles.size(), PassCircles);
    ASSERT_EQ(presentsBefore.size(), PassCircles);
    EXPECT_GT(presentsBefore[299], presentsBefore[0]) << "a thin pen shows every frame";
    // From the wide pen's first circle on, nothing until the pass's last circle is drawn.
    EXPECT_EQ(presentsBefore.back(), presentsBefore[300]);
    EXPECT_EQ(presents(), presentsBefore.back() + 1);
    // The circles kept their pace throughout.
    EXPECT_LT(circles.back().at - circles.front().at, static_cast<long>(PassCircles) * Period + 17ms);
}

TEST_F(Guarded, AThinPenSetMidPassShowsEveryFrameAgain)
{
    setWidth(50);
    pass();
    const long long afterWholePass = presents();
    const std::vector<SeenCircle> circles = pass([&](int n) {
        if (n == 100)
            setWidth(2);
    });
    ASSERT_EQ(circles.size(), PassCircles);
    EXPECT_EQ(presentsBefore[100], afterWholePass) << "nothing shown mid-pass with the wide pen";
    // 340 circles, 34 ms, after the change: a picture every frame.
    EXPECT_GE(presents() - presentsBefore[100], 2);
}

TEST_F(Guarded, ADensityMovedMidPassWaitsForTheNextPassToChangeThePace)
{
    setWidth(50);
    pass();
    const long long afterWholePass = presents();
    // Density 0.01 makes the next pass a long one, slowed to 150 circles a second; the
    // running pass keeps its own spacing, and so its pace and whole-pass showing.
    const std::vector<SeenCircle> circles = pass([&](int n) {
        if (n == 10)
            control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(1);
    });
    ASSERT_EQ(circles.size(), PassCircles);
    EXPECT_LT(circles.back().at - circles.front().at, static_cast<long>(PassCircles) * Period + 17ms);
    EXPECT_EQ(presents(), afterWholePass + 1);

    std::vector<SeenCircle> slowed;
    tick([&](int n) {
        slowed.push_back({state().Radius, {}, 0, fx.monotonic.now()});
        if (n == 61)
            state().StopRequested = true;
    });
    ASSERT_EQ(slowed.size(), 61u);
    // Drawn in batches a frame apart, so the average is good to a frame over the span.
    const double apart = std::chrono::duration<double>(slowed.back().at - slowed.front().at).count() / 60;
    EXPECT_NEAR(apart, 1 / 150.0, 1 / 60.0 / 60);
    // Not held back to whole passes: a picture every frame of the 0.4 s.
    EXPECT_GE(presents() - afterWholePass - 1, 20);
}

} // namespace
