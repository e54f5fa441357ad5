// The colour wheel at the window's own pace, photosensitivity guard and all, recorded
// offline and measured: the settings that flash without the guard, those near the limit
// and the long thin passes must all pass, and the load-time values must look exactly as
// they would without a guard.

#include "flash/FlashAnalysis.h"
#include "flash/WheelRecorder.h"
#include "flash/WindowSchedule.h"

#include "TestPace.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using flash::WheelSettings;

struct Recording {
    flash::FlashReport report;
    flash::RecordingSummary summary;
    // Circles drawn when each refresh's picture was sent.
    std::vector<long long> circlesShown;
};

Recording record(const WheelSettings& settings, flash::WheelSchedule& schedule, double seconds,
                 std::vector<QImage>* pictures = nullptr)
{
    Recording recording;
    flash::FlashAnalysis analysis(flash::WheelRecorder::kPictureSize);
    recording.summary =
        flash::WheelRecorder(settings, schedule).record(seconds, [&](const flash::ScreenFrame& frame) {
            analysis.addFrame(frame.screen, frame.seconds);
            recording.circlesShown.push_back(frame.circlesShown);
            if (pictures)
                pictures->push_back(frame.screen.copy());
        });
    recording.report = analysis.report();
    return recording;
}

std::string describe(const WheelSettings& s, const flash::FlashReport& report)
{
    return "Size " + std::to_string(s.size) + ", Density " + std::to_string(s.density) + ", Width " +
           std::to_string(s.width) + ", Multiplier " + std::to_string(s.colorMultiplier) +
           (s.inward ? " inward" : " outward") + ": " + std::to_string(report.general.worstFlashes) + "/" +
           std::to_string(report.red.worstFlashes) + " flashes a second, " +
           std::to_string(100 * report.general.worstFieldShare) + "% / " +
           std::to_string(100 * report.red.worstFieldShare) + "% of a field";
}

TEST(GuardedWheel, NoSettingFlashes)
{
    const WheelSettings settings[] = {
        // The load-time values.
        {1000, 500, 2, 1, false},
        // Wide pens on dense rings, which strobe at up to 20 Hz without the guard.
        {2200, 1, 50, 1, true},
        {2200, 1, 50, 10, true},
        {2200, 1, 50, 50, true},
        {2200, 1, 50, 1, false},
        {1000, 50, 50, 1, false},
        {2200, 50, 50, 1, true},
        {2200, 500, 50, 1000, false},
        {2200, 1000, 50, 1000, true},
        // Near the limit without the guard: Width 50 at the load-time values and others.
        {1000, 500, 50, 1, false},
        {1000, 500, 50, 10, false},
        {1000, 500, 50, 1000, true},
        {1500, 100, 8, 1, true},
        {1296, 100, 14, 91, true},
        {1051, 184, 27, 575, false},
        {2021, 849, 41, 464, true},
        {1208, 384, 34, 743, true},
        // Long passes with thin pens, left at the usual pace.
        {2200, 1, 2, 1, true},
        {2200, 1, 2, 10, true},
        {1000, 1, 2, 1000, true},
        {1500, 100, 3, 285, true},
    };
    // Every fourth under ThreadSanitizer, which leaves each group above one at least.
    const std::size_t step = testpace::lighterUnderThreadSanitizer<std::size_t>(1, 4);
    for (std::size_t i = 0; i < std::size(settings); i += step) {
        const WheelSettings& s = settings[i];
        flash::WindowSchedule schedule;
        const Recording recording = record(s, schedule, 1.5);
        EXPECT_TRUE(recording.report.passes()) << describe(s, recording.report);
    }
}

TEST(GuardedWheel, LeavesTheLoadTimeValuesCirclesColoursAndPaceAlone)
{
    const WheelSettings loadTime;
    flash::SteadySchedule unguarded(wheelPace::CirclePeriod);
    flash::WindowSchedule guarded;
    std::vector<QImage> without;
    std::vector<QImage> with;
    const Recording a = record(loadTime, unguarded, 1.0, &without);
    const Recording b = record(loadTime, guarded, 1.0, &with);
    ASSERT_EQ(without.size(), 61u);
    ASSERT_EQ(with.size(), without.size());
    // The window shows its first circle at once and then settles on the refreshes; from
    // the second refresh on, every picture is the one an unguarded wheel shows.
    EXPECT_EQ(b.circlesShown[1], 1);
    for (std::size_t n = 2; n < with.size(); ++n) {
        ASSERT_EQ(b.circlesShown[n], a.circlesShown[n]) << "refresh " << n;
        ASSERT_EQ(with[n], without[n]) << "refresh " << n;
    }
    EXPECT_EQ(b.circlesShown.back(), 10'000);
}

TEST(GuardedWheel, Width50AtTheLoadTimeValuesShowsWholePassesAtTheUsualPace)
{
    // Outward only under ThreadSanitizer.
    const int directions = testpace::lighterUnderThreadSanitizer(2, 1);
    for (int direction = 0; direction < directions; ++direction) {
        const bool inward = direction == 1;
        const WheelSettings wide{1000, 500, 50, 1, inward};
        SCOPED_TRACE(inward ? "inward" : "outward");
        flash::SteadySchedule unguarded(wheelPace::CirclePeriod);
        const Recording before = record(wide, unguarded, 3.0);
        ASSERT_GT(before.report.general.worstFieldShare, 0.15) << "near the limit without the guard";

        flash::WindowSchedule guarded;
        const Recording after = record(wide, guarded, 3.0);
        EXPECT_LE(after.report.general.worstFlashes, 1) << describe(wide, after.report);
        EXPECT_EQ(after.report.general.worstFieldShare, 0.0);
        // 200 circles a pass, 20 ms: every picture is a whole pass, and every pass but
        // the few that end within a refresh of the one before reaches the screen.
        int pictures = 0;
        for (std::size_t n = 1; n < after.circlesShown.size(); ++n) {
            ASSERT_EQ(after.circlesShown[n] % 200, 0) << "refresh " << n;
            pictures += after.circlesShown[n] != after.circlesShown[n - 1] ? 1 : 0;
        }
        EXPECT_GE(pictures, 140);
        EXPECT_EQ(after.circlesShown.back(), 30'000);
    }
}

} // namespace
