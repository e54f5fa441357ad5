// The offline recording of the colour wheel: the same picture as the window's, refreshes
// on the virtual clock, and a schedule that really decides what the screen shows.

#include "flash/WheelRecorder.h"

#include "Controls.h"
#include "WheelRun.h"

#include <QScrollBar>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace std::chrono_literals;

namespace {

using flash::ScreenFrame;
using flash::VirtualTime;
using flash::WheelRecorder;
using flash::WheelSettings;

// One circle a refresh interval, a little over it, so refresh n shows exactly n circles.
class CirclePerRefresh final : public flash::WheelSchedule {
public:
    VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState&) override { return now + 16'666'667ns; }
    bool presents(VirtualTime, VirtualTime, const modHypno::WheelState&) override { return true; }
};

// Today's pace, but the picture goes to the screen only for every third refresh.
class EveryThirdRefresh final : public flash::WheelSchedule {
public:
    VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState& state) override
    {
        return steady_.nextCircle(now, state);
    }
    bool presents(VirtualTime now, VirtualTime nextRefresh, const modHypno::WheelState& state) override
    {
        const long long refresh = std::llround(nextRefresh.count() * 60 / 1e9);
        return steady_.presents(now, nextRefresh, state) && refresh % 3 == 0;
    }

private:
    flash::SteadySchedule steady_{100us};
};

// Today's pace, but only whole outward passes go to the screen, sent after their last
// circle while the next pass is drawn on.
class WholePasses final : public flash::WheelSchedule {
public:
    VirtualTime nextCircle(VirtualTime now, const modHypno::WheelState& state) override
    {
        return steady_.nextCircle(now, state);
    }
    bool presents(VirtualTime, VirtualTime, const modHypno::WheelState& state) override
    {
        return state.Radius + state.RadiusStep > static_cast<float>(state.MaxRadius);
    }

private:
    flash::SteadySchedule steady_{100us};
};

struct Frame {
    QImage screen;
    double seconds;
    long long circlesShown;
};

// Holding a picture per refresh costs a megabyte each; most tests need only the last.
enum class Keep { EveryFrame, LastFrame };

std::vector<Frame> recordFrames(const WheelSettings& settings, flash::WheelSchedule& schedule, double seconds,
                                Keep keep, flash::RecordingSummary* summary = nullptr)
{
    std::vector<Frame> frames;
    const flash::RecordingSummary done =
        WheelRecorder(settings, schedule).record(seconds, [&](const ScreenFrame& f) {
            if (keep == Keep::LastFrame)
                frames.clear();
            frames.push_back({f.screen, f.seconds, f.circlesShown});
        });
    if (summary)
        *summary = done;
    return frames;
}

QRgb pixelAt(const QImage& image, int dx, int dy)
{
    // The disc's centre: half of 11910 x 5400 twips, in pixels.
    return image.pixel(397 + dx, 180 + dy) & 0xffffffu;
}

TEST(WheelRecorder, DrawsThePassThatTheWindowDrawsWithTheSameSliders)
{
    struct Row {
        WheelSettings settings;
        int circlesInPass;
    };
    const Row rows[] = {
        {{1000, 500, 2, 1, false}, 200},
        {{300, 250, 50, 37, true}, 120},
        {{2200, 1000, 1, 1000, false}, 220},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.settings.size);
        WheelRun run;
        run.proceed();
        control<QScrollBar>(run.frame(), "ScrollBarSize")->setValue(row.settings.size);
        control<QScrollBar>(run.frame(), "ScrollBarDensity")->setValue(row.settings.density);
        control<QScrollBar>(run.frame(), "ScrollBarWidth")->setValue(row.settings.width);
        control<QScrollBar>(run.frame(), "ScrollBarColorMultiplier")->setValue(row.settings.colorMultiplier);
        if (row.settings.inward)
            run.wheel().mnuChangeDirection_Click();
        ASSERT_EQ(run.tick().size(), static_cast<std::size_t>(row.circlesInPass));

        CirclePerRefresh schedule;
        flash::RecordingSummary summary;
        const std::vector<Frame> frames =
            recordFrames(row.settings, schedule, row.circlesInPass / 60.0 + 0.01, Keep::LastFrame, &summary);
        ASSERT_EQ(frames.back().circlesShown, row.circlesInPass);
        EXPECT_EQ(frames.back().screen.convertToFormat(QImage::Format_RGB32),
                  run.wheel().picture().image().convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(summary.passesCompleted, 1);
    }
}

TEST(WheelRecorder, EachRefreshShowsTheCirclesThatFellBeforeIt)
{
    flash::SteadySchedule schedule(100us);
    flash::RecordingSummary summary;
    const std::vector<Frame> frames = recordFrames(WheelSettings{}, schedule, 1.0, Keep::EveryFrame, &summary);
    ASSERT_EQ(frames.size(), 61u);
    EXPECT_EQ(summary.frames, 61);
    // Refreshes fall on whole nanoseconds.
    EXPECT_NEAR(frames[1].seconds, 1 / 60.0, 1e-9);
    EXPECT_DOUBLE_EQ(frames[60].seconds, 1.0);
    // The first refresh is the cleared picture, before the circle due at the same moment.
    EXPECT_EQ(frames[0].circlesShown, 0);
    EXPECT_EQ(pixelAt(frames[0].screen, 0, 0), 0u);
    // Circles fall at 0, 100 µs, ...: 167 before 1/60 s; the one due at 50 ms is not yet
    // on the refresh at 50 ms.
    EXPECT_EQ(frames[1].circlesShown, 167);
    EXPECT_EQ(frames[3].circlesShown, 500);
    EXPECT_EQ(frames[60].circlesShown, 10'000);
    EXPECT_EQ(summary.circles, 10'000);
    // 200 circles a pass at the load-time values.
    EXPECT_EQ(summary.passesCompleted, 50);
}

TEST(WheelRecorder, ARefreshThatDoesNotTakeThePictureShowsTheOneBefore)
{
    EveryThirdRefresh schedule;
    const std::vector<Frame> frames = recordFrames(WheelSettings{}, schedule, 0.5, Keep::EveryFrame);
    ASSERT_EQ(frames.size(), 31u);
    for (std::size_t n = 1; n < frames.size(); ++n) {
        SCOPED_TRACE(n);
        if (n % 3 == 0) {
            EXPECT_GT(frames[n].circlesShown, frames[n - 1].circlesShown);
            EXPECT_NE(frames[n].screen, frames[n - 1].screen);
        } else {
            EXPECT_EQ(frames[n].circlesShown, frames[n - 1].circlesShown);
            EXPECT_EQ(frames[n].screen, frames[n - 1].screen);
        }
    }
}

TEST(WheelRecorder, APictureSentBetweenRefreshesIsTheOneShownNotTheDrawingSinceThen)
{
    // 200 circles a pass, 20 ms: passes end between refreshes, and the next pass is
    // under way when the screen shows the last one.
    WholePasses schedule;
    const std::vector<Frame> frames = recordFrames(WheelSettings{}, schedule, 0.5, Keep::EveryFrame);
    CirclePerRefresh onePerRefresh;
    const Frame firstPass = recordFrames(WheelSettings{}, onePerRefresh, 200 / 60.0, Keep::LastFrame).back();
    ASSERT_EQ(firstPass.circlesShown, 200);

    bool sawFirstPass = false;
    for (const Frame& frame : frames) {
        EXPECT_EQ(frame.circlesShown % 200, 0) << frame.seconds;
        if (frame.circlesShown == 200) {
            sawFirstPass = true;
            EXPECT_EQ(frame.screen, firstPass.screen);
        }
    }
    EXPECT_TRUE(sawFirstPass);
    // The 25th pass ends with the circle just before the last refresh.
    EXPECT_EQ(frames.back().circlesShown, 5'000);
}

TEST(WheelRecorder, OutwardPassesStartAtTheCentreAndInwardOnesAtTheRim)
{
    flash::SteadySchedule schedule(100us);
    // 440 circles a pass; the first refresh shows 167 of them, 830 twips (55 px) deep.
    const WheelSettings outward{2200, 500, 2, 1, false};
    WheelSettings inward = outward;
    inward.inward = true;
    const QImage out = recordFrames(outward, schedule, 1 / 60.0, Keep::LastFrame).back().screen;
    const QImage in = recordFrames(inward, schedule, 1 / 60.0, Keep::LastFrame).back().screen;
    // At the centre, and 140 px out (2100 twips).
    EXPECT_NE(pixelAt(out, 0, 0), 0u);
    EXPECT_EQ(pixelAt(out, -140, 0), 0u);
    EXPECT_EQ(pixelAt(in, 0, 0), 0u);
    EXPECT_NE(pixelAt(in, -140, 0), 0u);
}

TEST(WheelRecorder, EndsOnTimeInsideAPassAndKeepsTheSlidersRanges)
{
    flash::SteadySchedule schedule(100us);
    // 220,000 circles a pass: half a second is 5,000 of them, in either direction.
    for (const bool inward : {false, true}) {
        flash::RecordingSummary summary;
        recordFrames({2200, 1, 1, 1, inward}, schedule, 0.5, Keep::LastFrame, &summary);
        EXPECT_EQ(summary.frames, 31);
        EXPECT_EQ(summary.circles, 5'000);
        EXPECT_EQ(summary.passesCompleted, 0);
    }
    // Below its slider's range a Size or Density of 0 is 1, as the slider allows no less:
    // one circle a pass.
    flash::RecordingSummary zero;
    recordFrames({0, 0, 0, 0, false}, schedule, 0.1, Keep::LastFrame, &zero);
    EXPECT_EQ(zero.circles, 1'000);
    EXPECT_EQ(zero.passesCompleted, 1'000);
}

} // namespace
