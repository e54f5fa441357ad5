// The flash analysis on made-up sequences whose answers are known by hand.

#include "flash/FlashAnalysis.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr int kFps = 60;
// Just larger than a field, so that a field can lie wholly inside it.
const QSize kPicture(344, 256);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

// The 8-bit sRGB grey level whose linear value is nearest `linear`, worked out from the
// inverse of the transfer curve so that the analysis' own curve is not taken on trust.
int greyFor(double linear)
{
    const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<int>(std::lround(encoded * 255));
}

// `seconds` of a picture shown at 60 frames a second; `paint` draws frame n on black.
flash::FlashReport record(double seconds, const std::function<void(QPainter&, int)>& paint,
                          QSize size = kPicture)
{
    flash::FlashAnalysis analysis(size);
    QImage frame(size, QImage::Format_RGB32);
    for (int n = 0; n <= seconds * kFps; ++n) {
        frame.fill(kBlack);
        QPainter painter(&frame);
        paint(painter, n);
        painter.end();
        EXPECT_TRUE(analysis.addFrame(frame, static_cast<double>(n) / kFps));
    }
    return analysis.report();
}

// True in the odd half periods of a square wave of `hz` (a whole number) at frame n.
bool secondHalf(int n, int hz)
{
    return n * 2 * hz / kFps % 2 == 1;
}

std::function<void(QPainter&, int)> alternating(QRect area, QColor first, QColor second, int hz)
{
    return [=](QPainter& painter, int n) { painter.fillRect(area, secondHalf(n, hz) ? second : first); };
}

const QRect kWholePicture(QPoint(0, 0), kPicture);

TEST(FlashAnalysis, FullFieldBlackAndWhiteFailsAboveThreeFlashesASecond)
{
    struct Row {
        int hz;
        int flashes;
        bool passes;
    };
    // 3 Hz is the last pass: the rule fails more than three flashes, not three.
    for (const Row& row : {Row{2, 2, true}, Row{3, 3, true}, Row{4, 4, false}, Row{10, 10, false}}) {
        SCOPED_TRACE(row.hz);
        const flash::FlashReport report = record(2.0, alternating(kWholePicture, kBlack, kWhite, row.hz));
        EXPECT_EQ(report.general.worstFlashes, row.flashes);
        EXPECT_EQ(report.passes(), row.passes);
        EXPECT_DOUBLE_EQ(report.general.worstFieldShare, row.passes ? 0.0 : 1.0);
        EXPECT_EQ(report.red.worstFlashes, 0);
    }
}

TEST(FlashAnalysis, AFlashingSpotFailsOnlyOverMoreThanAQuarterOfAField)
{
    // A quarter of a 341 x 256 field is 21,824 px; the spots lie on whole blocks.
    struct Row {
        QRect spot;
        bool passes;
    };
    for (const Row& row : {Row{QRect(104, 96, 96, 96), true}, Row{QRect(104, 96, 144, 144), true},
                           Row{QRect(104, 96, 152, 144), false}, Row{QRect(8, 8, 160, 160), false}}) {
        SCOPED_TRACE(row.spot.width());
        const flash::FlashReport report = record(2.0, alternating(row.spot, kBlack, kWhite, 10));
        EXPECT_EQ(report.general.worstFlashes, 10);
        EXPECT_TRUE(row.spot.contains(report.general.worstBlock));
        EXPECT_DOUBLE_EQ(report.general.worstFieldShare, row.spot.width() * row.spot.height() / (341.0 * 256.0));
        EXPECT_EQ(report.passes(), row.passes);
    }
}

TEST(FlashAnalysis, OnlyFlashesInTheSameSecondAddUpOverAField)
{
    // Two spots, each under a quarter of a field and together over it, flashing at 5 Hz.
    const QRect left(40, 40, 112, 112);
    const QRect right(160, 40, 112, 112);
    const auto spots = [&](int secondStart) {
        return [=](QPainter& painter, int n) {
            if (n < 72)
                painter.fillRect(left, secondHalf(n, 5) ? kWhite : kBlack);
            if (n >= secondStart && n < secondStart + 72)
                painter.fillRect(right, secondHalf(n, 5) ? kWhite : kBlack);
        };
    };
    const flash::FlashReport together = record(4.0, spots(0));
    EXPECT_FALSE(together.passes());
    EXPECT_NEAR(together.general.worstFieldShare, 2 * 112 * 112 / (341.0 * 256.0), 1e-9);

    // The second spot starts two and a half seconds later: no second holds both.
    const flash::FlashReport apart = record(4.0, spots(150));
    EXPECT_TRUE(apart.passes());
    EXPECT_NEAR(apart.general.worstFieldShare, 112 * 112 / (341.0 * 256.0), 1e-9);
    EXPECT_EQ(apart.general.worstFlashes, 5);
}

TEST(FlashAnalysis, APictureSmallerThanAFieldIsMeasuredAgainstTheWholeField)
{
    // 200 x 100 px flashing all over is 23% of a field: a small window may flash.
    const QSize small(200, 100);
    const flash::FlashReport report = record(2.0, alternating(QRect(QPoint(0, 0), small), kBlack, kWhite, 6), small);
    EXPECT_EQ(report.general.worstFlashes, 6);
    EXPECT_NEAR(report.general.worstFieldShare, 200 * 100 / (341.0 * 256.0), 1e-9);
    EXPECT_TRUE(report.passes());
}

TEST(FlashAnalysis, ABlockCutShortByTheEdgeIsAveragedOverItsOwnPixels)
{
    // The last three columns form blocks 3 px wide. A grey a little over a tenth of the
    // maximum luminance flashes there; spread over a whole block it would be under it.
    const QSize odd(403, 300);
    const int grey = greyFor(0.115);
    const flash::FlashReport report =
        record(2.0, alternating(QRect(400, 0, 3, 300), kBlack, QColor(grey, grey, grey), 4), odd);
    EXPECT_EQ(report.general.worstFlashes, 4);
    EXPECT_EQ(report.general.worstBlock.x(), 400);
    EXPECT_EQ(report.general.worstBlock.width(), 3);
}

TEST(FlashAnalysis, WhichColourPairsMakeGeneralAndRedFlashes)
{
    // Each pair alternates over the whole picture at 4 Hz, fast enough to fail if it counts.
    struct Row {
        const char* why;
        QColor first;
        QColor second;
        int general;
        int red;
    };
    const QColor greyNearTenth(greyFor(0.115), greyFor(0.115), greyFor(0.115));
    const QColor greyUnderTenth(greyFor(0.085), greyFor(0.085), greyFor(0.085));
    const Row rows[] = {
        {"black and white", kBlack, kWhite, 4, 0},
        {"a change just over a tenth of the maximum luminance", kBlack, greyNearTenth, 4, 0},
        {"a change under a tenth, though a third of the way up in sRGB values", kBlack, greyUnderTenth, 0, 0},
        {"grey 100 and 110: a small flicker", QColor(100, 100, 100), QColor(110, 110, 110), 0, 0},
        {"full blue: 7% of white's luminance", kBlack, QColor(0, 0, 255), 0, 0},
        {"full green: 72%", kBlack, QColor(0, 255, 0), 4, 0},
        {"light grey and white: the darker state is above 0.8", QColor(240, 240, 240), kWhite, 0, 0},
        {"mid grey and white: the darker state is below 0.8", QColor(200, 200, 200), kWhite, 4, 0},
        {"red and black", kBlack, QColor(255, 0, 0), 4, 4},
        {"red and a green of the same luminance", QColor(255, 0, 0), QColor(0, 149, 0), 0, 4},
        {"dark red and black: too dark for a general flash", kBlack, QColor(100, 0, 0), 0, 4},
        {"very dark red and black: the red value changes by under 20", kBlack, QColor(40, 0, 0), 0, 0},
        {"pink and black: not a saturated red", kBlack, QColor(255, 128, 128), 4, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const flash::FlashReport report = record(1.5, alternating(kWholePicture, row.first, row.second, 4));
        EXPECT_EQ(report.general.worstFlashes, row.general);
        EXPECT_EQ(report.red.worstFlashes, row.red);
        EXPECT_EQ(report.general.fails(), row.general > 3);
        EXPECT_EQ(report.red.fails(), row.red > 3);
    }
}

TEST(FlashAnalysis, SlowChangesAreNotFlashes)
{
    // Black to white and back in 1.6 s: a turn every 0.8 s, so two in the busiest second.
    const auto triangle = [](int n) {
        const double phase = std::fmod(static_cast<double>(n) / kFps, 1.6) / 0.8;
        return phase <= 1.0 ? phase : 2.0 - phase;
    };
    const flash::FlashReport ramp = record(2.0, [&](QPainter& painter, int n) {
        const int grey = greyFor(triangle(n));
        painter.fillRect(kWholePicture, QColor(grey, grey, grey));
    });
    EXPECT_EQ(ramp.general.worstFlashes, 1);
    EXPECT_TRUE(ramp.passes());

    // The same ramp with a flicker of 0.05 on top every frame: still one swing each way.
    const flash::FlashReport rippled = record(2.0, [&](QPainter& painter, int n) {
        const double ripple = n % 2 == 0 ? 0.025 : -0.025;
        const int grey = greyFor(std::clamp(triangle(n) * 0.9 + 0.05 + ripple, 0.0, 1.0));
        painter.fillRect(kWholePicture, QColor(grey, grey, grey));
    });
    EXPECT_EQ(rippled.general.worstFlashes, 1);

    // Up a staircase of nine steps of 0.11 within a second, then down it the next: each
    // step is a change of over a tenth, but the climb is one transition.
    const flash::FlashReport stairs = record(2.0, [&](QPainter& painter, int n) {
        const int step = n < 60 ? std::min(9, n / 6) : std::max(0, 8 - (n - 60) / 6);
        const int grey = greyFor(step * 0.11);
        painter.fillRect(kWholePicture, QColor(grey, grey, grey));
    });
    EXPECT_EQ(stairs.general.worstFlashes, 1);
    EXPECT_TRUE(stairs.passes());
}

TEST(FlashAnalysis, FlickerOnTheBrightSideDoesNotHideTheFlashesUnderIt)
{
    // A 2 Hz black and white flash whose white half shimmers between 240 and 255 every
    // frame: the shimmer turns above 0.8 and counts for nothing; the flashes still count.
    const flash::FlashReport report = record(2.0, [](QPainter& painter, int n) {
        const int white = n % 2 == 0 ? 255 : 240;
        painter.fillRect(kWholePicture, secondHalf(n, 2) ? QColor(white, white, white) : kBlack);
    });
    EXPECT_EQ(report.general.worstFlashes, 2);
    EXPECT_TRUE(report.passes());
}

TEST(FlashAnalysis, CountsBySecondsNotByFrames)
{
    // Frames alternating black and white; only their times differ.
    const auto analyse = [](const std::vector<double>& times) {
        flash::FlashAnalysis analysis(kPicture);
        QImage frame(kPicture, QImage::Format_RGB32);
        for (std::size_t i = 0; i < times.size(); ++i) {
            frame.fill(i % 2 == 1 ? kWhite : kBlack);
            EXPECT_TRUE(analysis.addFrame(frame, times[i]));
        }
        return analysis.report();
    };
    // Nine changes within 0.9 s: four flashes in one second.
    const flash::FlashReport quick = analyse({0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 5.0});
    EXPECT_EQ(quick.general.worstFlashes, 4);
    EXPECT_FALSE(quick.passes());
    // The same frames 0.3 s apart: at most four changes in a second.
    const flash::FlashReport slow = analyse({0.0, 0.3, 0.6, 0.9, 1.2, 1.5, 1.8, 2.1, 2.4, 2.7, 5.0});
    EXPECT_EQ(slow.general.worstFlashes, 2);
    EXPECT_TRUE(slow.passes());
    // Uneven steps, as a busy screen shows them. Eight changes from 0.1 s to 1.09 s fall
    // within one second; moved to 1.1 s, the last one starts the next second, and seven
    // never make four.
    const flash::FlashReport eightInASecond = analyse({0.0, 0.1, 0.2, 0.25, 0.6, 0.65, 0.9, 1.0, 1.09, 3.0});
    EXPECT_EQ(eightInASecond.general.worstFlashes, 4);
    EXPECT_FALSE(eightInASecond.passes());
    const flash::FlashReport justOutside = analyse({0.0, 0.1, 0.2, 0.25, 0.6, 0.65, 0.9, 1.0, 1.1, 3.0});
    EXPECT_EQ(justOutside.general.worstFlashes, 3);
    EXPECT_TRUE(justOutside.passes());
}

TEST(FlashAnalysis, RefusesFramesOfAnotherSizeOrOutOfOrderAndCarriesOn)
{
    flash::FlashAnalysis analysis(kPicture);
    QImage black(kPicture, QImage::Format_RGB32);
    black.fill(kBlack);
    QImage white(kPicture, QImage::Format_RGB32);
    white.fill(kWhite);
    QImage wrongSize(kPicture + QSize(1, 0), QImage::Format_RGB32);
    wrongSize.fill(kWhite);

    ASSERT_TRUE(analysis.addFrame(black, 0.0));
    EXPECT_FALSE(analysis.addFrame(wrongSize, 0.1));
    EXPECT_FALSE(analysis.addFrame(white, 0.0));
    EXPECT_FALSE(analysis.addFrame(white, -1.0));
    EXPECT_EQ(analysis.frameCount(), 1);
    // The refused white frames left no trace: 8 changes in a second from here on.
    for (int i = 1; i <= 8; ++i)
        ASSERT_TRUE(analysis.addFrame(i % 2 == 1 ? white : black, 0.1 * i));
    EXPECT_EQ(analysis.report().general.worstFlashes, 4);

    // Any RGB format is read as the colours it shows.
    flash::FlashAnalysis converted(kPicture);
    for (int i = 0; i <= 8; ++i)
        ASSERT_TRUE(converted.addFrame((i % 2 == 1 ? white : black).convertToFormat(QImage::Format_RGB888), 0.1 * i));
    EXPECT_EQ(converted.report().general.worstFlashes, 4);
}

} // namespace
