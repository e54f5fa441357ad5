// The colour wheel's pace on the fake clock: circles at their own schedule, drawn in
// batches one display frame apart, with the event loop asleep in between and every
// event handled the moment it arrives.

#include "Controls.h"
#include "WheelRun.h"

#include <QAction>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using modHypno::Rgb;
using TimePoint = platform::MonotonicClock::time_point;

namespace {

constexpr auto Period = 100us;
// Circles in a pass at Density 0.5: radii 1, 1.5, ... 1000.
constexpr std::size_t LongPass = 1999;

class Paced : public ::testing::Test, public WheelRun {
protected:
    void SetUp() override { proceed(Yield::Paced); }

    std::chrono::nanoseconds frameTime()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::duration<double>(1.0 / wheel().screen()->refreshRate()));
    }
    // Passes of LongPass circles: a fifth of a second each, many frames.
    void longPasses() { control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(50); }

    std::vector<SeenCircle> ticks(int count)
    {
        std::vector<SeenCircle> all;
        for (int i = 0; i < count; ++i) {
            const std::vector<SeenCircle> one = tick();
            all.insert(all.end(), one.begin(), one.end());
        }
        return all;
    }
};

TEST_F(Paced, CirclesKeepTheirScheduleAndAreDrawnInTheFrameTheyFallDueIn)
{
    const long long presentsBefore = wheel().activity().framesPresented;
    const std::vector<SeenCircle> circles = ticks(10);
    ASSERT_EQ(circles.size(), 2000u);
    const TimePoint first = circles.front().at;
    for (std::size_t k = 0; k < circles.size(); ++k) {
        const TimePoint due = first + static_cast<int>(k) * Period;
        ASSERT_GE(circles[k].at, due) << "circle " << k << " drawn before its time";
        ASSERT_LT(circles[k].at, due + frameTime() + Period) << "circle " << k << " held past its frame";
    }

    // One sleep a frame, each until the next frame, and the event loop asked after
    // every circle that did not sleep.
    const auto elapsed = circles.back().at - first;
    const double frames = std::chrono::duration<double>(elapsed) / frameTime();
    EXPECT_GE(fx.events.waits, frames - 1);
    EXPECT_LE(fx.events.waits, frames + 2);
    EXPECT_EQ(fx.events.pendingCalls + fx.events.waits, static_cast<int>(circles.size()));
    for (std::size_t i = 2; i < fx.events.deadlines.size(); ++i) {
        ASSERT_TRUE(fx.events.deadlines[i]);
        const auto apart = *fx.events.deadlines[i] - *fx.events.deadlines[i - 1];
        EXPECT_NEAR(std::chrono::duration<double>(apart).count(), std::chrono::duration<double>(frameTime()).count(),
                    1e-6);
    }
    // The picture reached the screen once a frame, never more often.
    const long long presents = wheel().activity().framesPresented - presentsBefore;
    EXPECT_GE(presents, fx.events.waits - 1);
    EXPECT_LE(presents, fx.events.waits + 1);
}

TEST_F(Paced, InputDuringTheSleepIsHandledAtOnceAndTheNextCircleSeesIt)
{
    tick();
    std::size_t drawn = 0;
    std::size_t drawnAtArrival = 0;
    TimePoint arrival{};
    fx.events.arrive(3ms, [&] {
        drawnAtArrival = drawn;
        arrival = fx.monotonic.now();
        control<QScrollBar>(frame(), "ScrollBarWidth")->setValue(9);
    });
    const std::vector<SeenCircle> circles = tick([&](int n) { drawn = static_cast<std::size_t>(n); });
    ASSERT_EQ(circles.size(), 200u);
    ASSERT_GT(drawnAtArrival, 0u);
    ASSERT_LT(drawnAtArrival, 200u);
    EXPECT_EQ(circles[drawnAtArrival - 1].penWidth, 2);
    EXPECT_EQ(circles[drawnAtArrival].penWidth, 9);
    // The sleep went on to the frame after the event: input does not hurry the drawing.
    EXPECT_GE(circles[drawnAtArrival].at - arrival, Period);
}

struct PendingAtFrameEnd {
    const char* name;
    std::function<void(WheelRun&)> act;
    bool leaves;
    bool stops = false;
};

class BatchEndsMidPass : public ::testing::TestWithParam<PendingAtFrameEnd>, public WheelRun {};

TEST_P(BatchEndsMidPass, TheEventActsAsItWouldBetweenAnyTwoCircles)
{
    proceed(Yield::Paced);
    control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(50);
    std::size_t drawn = 0;
    std::size_t drawnAtArrival = 0;
    TimePoint arrival{};
    const std::vector<SeenCircle> circles = tick([&](int n) {
        drawn = static_cast<std::size_t>(n);
        if (n == 555)
            fx.events.arrive(1us, [&] {
                drawnAtArrival = drawn;
                arrival = fx.monotonic.now();
                GetParam().act(*this);
            });
    });
    ASSERT_GE(drawnAtArrival, 555u);
    ASSERT_LT(drawnAtArrival, LongPass) << "the event must fall in a sleep in the middle of the pass";

    if (GetParam().leaves) {
        EXPECT_EQ(circles.size(), drawnAtArrival) << "no circle after leaving";
        EXPECT_EQ(fx.monotonic.now(), arrival) << "the sleep ended with the event, not at the frame";
        EXPECT_EQ(program.loaded<frmHypno>(), nullptr);
        EXPECT_EQ(program.loaded<mdifrm>(), nullptr);
        EXPECT_TRUE(program.form<frmMain>().isVisible());
        EXPECT_FALSE(state().StopRequested);
        return;
    }
    ASSERT_EQ(circles.size(), LongPass) << "the pass runs to its end";
    EXPECT_GE(circles.back().at - circles.front().at, static_cast<int>(LongPass - 1) * Period) << "at its pace";
    EXPECT_EQ(control<platform::FormTimer>(wheel(), "Timer1")->isTicking(), !GetParam().stops);
}

INSTANTIATE_TEST_SUITE_P(
    Wheel, BatchEndsMidPass,
    ::testing::Values(
        PendingAtFrameEnd{"StopMenu",
                          [](WheelRun& run) { control<QAction>(run.wheel(), "mnuFileStopHypnodisc")->trigger(); },
                          false, true},
        PendingAtFrameEnd{"BackMenu", [](WheelRun& run) { control<QAction>(run.wheel(), "mnuFileBAck")->trigger(); },
                          true},
        PendingAtFrameEnd{"BackButton", [](WheelRun& run) { control<QPushButton>(run.frame(), "cmdBack")->click(); },
                          true},
        PendingAtFrameEnd{"CloseBox", [](WheelRun& run) { run.frame().close(); }, true},
        PendingAtFrameEnd{"SizeSlider",
                          [](WheelRun& run) { control<QScrollBar>(run.frame(), "ScrollBarSize")->setValue(500); },
                          false}),
    [](const ::testing::TestParamInfo<PendingAtFrameEnd>& info) { return std::string(info.param.name); });

TEST_F(Paced, ASizeChangeInTheSleepClearsAtOnceAndRestartsTheColoursAtTheNextPass)
{
    longPasses();
    tick([&](int n) {
        if (n == 500)
            fx.events.arrive(1us, [&] { control<QScrollBar>(frame(), "ScrollBarSize")->setValue(500); });
    });
    const std::vector<SeenCircle> next = tick();
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next.front().colour, (Rgb{5, 2, 3}));
    EXPECT_LE(next.back().radius, 500.0f);
}

TEST_F(Paced, AfterALongBlockItCatchesUpNoMoreThanBeforeAndThenKeepsItsPace)
{
    longPasses();
    TimePoint blockEnd{};
    std::size_t drawn = 0;
    std::size_t drawnAtBlockEnd = 0;
    const std::vector<SeenCircle> circles = tick([&](int n) {
        drawn = static_cast<std::size_t>(n);
        if (n == 300)
            fx.events.arrive(1us, [&] {
                // A modal box held the event loop for two seconds.
                fx.monotonic.at += 2s;
                blockEnd = fx.monotonic.now();
                drawnAtBlockEnd = drawn;
            });
    });
    ASSERT_EQ(circles.size(), LongPass);
    ASSERT_GT(drawnAtBlockEnd, 0u);
    // Twenty thousand circles fell due meanwhile; at most half a tenth of a second's
    // worth are drawn at once, and then the pace is the usual one.
    for (std::size_t k = drawnAtBlockEnd; k < circles.size(); ++k) {
        const auto since = circles[k].at - blockEnd;
        const auto allowed = static_cast<std::size_t>((since + 50ms + frameTime()) / Period) + 1;
        ASSERT_LE(k - drawnAtBlockEnd, allowed) << "circle " << k;
        ASSERT_GE(circles[k].at, blockEnd);
    }
    const auto rest = circles.back().at - circles[drawnAtBlockEnd].at;
    EXPECT_GE(rest + 50ms, static_cast<long>(circles.size() - drawnAtBlockEnd - 1) * Period);
}

TEST_F(Paced, AMinimisedFrameHoldsTheDrawingAndTheTimerUntilItIsBack)
{
    auto* timer = control<platform::FormTimer>(wheel(), "Timer1");
    std::size_t drawn = 0;
    std::size_t drawnWhenMinimised = 0;
    std::size_t drawnWhenRestored = 0;
    TimePoint restored{};
    const std::vector<SeenCircle> circles = tick([&](int n) {
        drawn = static_cast<std::size_t>(n);
        if (n == 20)
            fx.events.arrive(1us, [&] {
                frame().showMinimized();
                drawnWhenMinimised = drawn;
                fx.events.arrive(10s, [&] {
                    EXPECT_FALSE(timer->isTicking());
                    EXPECT_TRUE(timer->isEnabled());
                    drawnWhenRestored = drawn;
                    restored = fx.monotonic.now();
                    frame().showNormal();
                });
            });
    });
    ASSERT_EQ(circles.size(), 200u);
    ASSERT_GT(drawnWhenMinimised, 0u);
    EXPECT_EQ(drawnWhenRestored, drawnWhenMinimised) << "nothing drawn while out of sight";
    ASSERT_FALSE(fx.events.deadlines.empty());
    EXPECT_NE(std::find(fx.events.deadlines.begin(), fx.events.deadlines.end(), std::nullopt),
              fx.events.deadlines.end())
        << "out of sight, the loop sleeps without a deadline";
    // No circles are owed for the ten seconds out of sight.
    EXPECT_GE(circles.back().at - restored, static_cast<long>(circles.size() - drawnWhenRestored - 2) * Period);
    EXPECT_TRUE(timer->isTicking());

    // Between passes the timer alone is held.
    frame().showMinimized();
    EXPECT_FALSE(timer->isTicking());
    frame().showNormal();
    EXPECT_TRUE(timer->isTicking());
}

TEST_F(Paced, APassThatEndsBehindItsScheduleIsFollowedAtOnceNotAfterTheTimersInterval)
{
    // Passes of one circle: the smallest disc at the widest spacing.
    control<QScrollBar>(frame(), "ScrollBarSize")->setValue(10);
    control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(1000);

    // The first circle starts the schedule and its pass sleeps to the next frame, where
    // a whole frame's circles are due: the next tick draws them all, one pass after
    // another, and ends when the drawing has caught up and sleeps again.
    ASSERT_EQ(tick().size(), 1u);
    const TimePoint frameStart = fx.monotonic.now();
    const std::vector<SeenCircle> caughtUp = tick();
    EXPECT_GE(caughtUp.size(), static_cast<std::size_t>(frameTime() / Period) - 1);
    EXPECT_LE(caughtUp.size(), static_cast<std::size_t>(frameTime() / Period) + 2);
    for (const SeenCircle& circle : caughtUp)
        ASSERT_LT(circle.at - frameStart, frameTime()) << "a circle drawn after the frame it fell due in";
    EXPECT_EQ(wheel().activity().passes, static_cast<long long>(caughtUp.size()) + 1);

    // A stop ends the run of passes at the end of the pass running.
    control<QAction>(wheel(), "mnuFileStopHypnodisc")->trigger();
    EXPECT_LE(tick().size(), 1u);
}

TEST_F(Paced, AStoppedWheelHasNoTimerRunning)
{
    control<QAction>(wheel(), "mnuFileStopHypnodisc")->trigger();
    EXPECT_FALSE(control<platform::FormTimer>(wheel(), "Timer1")->isTicking());
    control<QAction>(wheel(), "mnuFileStartHypnodisc")->trigger();
    EXPECT_TRUE(control<platform::FormTimer>(wheel(), "Timer1")->isTicking());
}

} // namespace
