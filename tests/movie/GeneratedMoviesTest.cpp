// The program's three movies as the build wrote them, read back and drawn by the
// program's own player: the files are whole, the pendulum's bob is where its swing
// puts it, and the boxes travel the way their movie's name says.

#include "movies/ColourBoxMovie.h"
#include "movies/MovieStage.h"
#include "movies/PendulumMovie.h"
#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr int kTwipsPerPixel = 15;
const QSize kStagePixels(movies::kStageWidth / kTwipsPerPixel, movies::kStageHeight / kTwipsPerPixel);

std::shared_ptr<const swf::Movie> load(const char* name)
{
    return swf::Movie::loadFile(QStringLiteral(SOMNARA_MOVIE_DIR "/") + QString::fromLatin1(name));
}

// Frame `frame` (1-based) of a movie, drawn at the stage's size in pixels.
QImage drawFrame(const swf::Movie& movie, int frame)
{
    swf::TimelinePlayer root(movie, movie.timeline);
    while (root.currentFrame() != frame)
        root.advance();
    return swf::renderFrame(movie, root, kStagePixels, Qt::black);
}

// The centre of the bob: the lit pixels below the mount that sit inside a solid lit
// patch, which leaves out the thin rod.
QPointF bobCentre(const QImage& image, int below)
{
    const auto lit = [&image, below](int x, int y) {
        if (x < 0 || y < below || x >= image.width() || y >= image.height())
            return false;
        const QColor c = image.pixelColor(x, y);
        return std::max({c.red(), c.green(), c.blue()}) > 110;
    };
    constexpr int kPatch = 5;
    double sumX = 0;
    double sumY = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            bool solid = true;
            for (int dy = -kPatch; dy <= kPatch && solid; ++dy)
                for (int dx = -kPatch; dx <= kPatch && solid; ++dx)
                    solid = lit(x + dx, y + dy);
            if (solid) {
                sumX += x + 0.5;
                sumY += y + 0.5;
                ++count;
            }
        }
    }
    return count == 0 ? QPointF(-1, -1) : QPointF(sumX / count, sumY / count);
}

// How far the picture in a lane of `later` lies below the same lane of `earlier`, in
// whole pixels, found as the shift that matches best.
int laneShift(const QImage& earlier, const QImage& later, int laneCentreX)
{
    int best = 0;
    double bestError = 1e300;
    for (int shift = -20; shift <= 20; ++shift) {
        double error = 0;
        for (int y = 40; y < earlier.height() - 40; ++y) {
            for (int x = laneCentreX - 20; x <= laneCentreX + 20; ++x) {
                const QColor a = earlier.pixelColor(x, y);
                const QColor b = later.pixelColor(x, y + shift);
                error += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
            }
        }
        if (error < bestError) {
            bestError = error;
            best = shift;
        }
    }
    return best;
}

} // namespace

TEST(GeneratedMovies, EachFileIsWholeWithTheStageRateAndFrames)
{
    struct Expected {
        const char* name;
        int frames;
    };
    for (const Expected expected : {Expected{"Pendulum.swf", movies::pendulum::kLoopFrames},
                                    {"BoxUpward.swf", movies::boxes::kLoopFrames},
                                    {"BoxDownward.swf", movies::boxes::kLoopFrames}}) {
        const auto movie = load(expected.name);
        ASSERT_TRUE(movie) << expected.name;
        EXPECT_FALSE(movie->truncated) << expected.name;
        EXPECT_EQ(movie->stage, QRect(0, 0, movies::kStageWidth, movies::kStageHeight)) << expected.name;
        EXPECT_EQ(movie->frameRate, movies::kFrameRate) << expected.name;
        EXPECT_EQ(movie->declaredFrames, expected.frames) << expected.name;
        EXPECT_EQ(static_cast<int>(movie->timeline.frames.size()), expected.frames) << expected.name;
    }
}

TEST(GeneratedMovies, PendulumBobHangsAtTheAngleOfItsSwing)
{
    using namespace movies::pendulum;
    const auto movie = load("Pendulum.swf");
    ASSERT_TRUE(movie);
    const QPointF pivot(kPivot.x / double(kTwipsPerPixel), kPivot.y / double(kTwipsPerPixel));
    for (int frame : {1, 8, 16, 24, 31, 46}) {
        const QPointF bob = bobCentre(drawFrame(*movie, frame), static_cast<int>(pivot.y()) + 30);
        const movies::PendulumPose pose = movies::pendulumPose(frame - 1);
        const double drawnAngle = std::atan2(bob.x() - pivot.x(), bob.y() - pivot.y());
        EXPECT_NEAR(drawnAngle * 180 / std::numbers::pi, pose.angle * 180 / std::numbers::pi, 0.5)
            << "frame " << frame;
        EXPECT_NEAR(std::hypot(bob.x() - pivot.x(), bob.y() - pivot.y()), kRodLength / double(kTwipsPerPixel), 1.5)
            << "frame " << frame;
    }
}

TEST(GeneratedMovies, PendulumLoopsBackToItsFirstPicture)
{
    const auto movie = load("Pendulum.swf");
    ASSERT_TRUE(movie);
    swf::TimelinePlayer root(*movie, movie->timeline);
    const QImage first = swf::renderFrame(*movie, root, kStagePixels, Qt::black);
    for (int i = 0; i < movies::pendulum::kLoopFrames; ++i)
        root.advance();
    EXPECT_EQ(root.currentFrame(), 1);
    EXPECT_EQ(swf::renderFrame(*movie, root, kStagePixels, Qt::black), first);
}

TEST(GeneratedMovies, BoxesClimbInTheUpwardMovieAndSinkInTheDownwardOne)
{
    using namespace movies::boxes;
    // Ten frames of the slowest lane: 1800 twips a loop of 240 frames, 5 pixels.
    constexpr int kFrames = 10;
    const int laneX = kColumnPitch / 2 / kTwipsPerPixel;
    const int expected = kSpacing * kFrames / kLoopFrames / kTwipsPerPixel;
    const auto up = load("BoxUpward.swf");
    const auto down = load("BoxDownward.swf");
    ASSERT_TRUE(up && down);
    EXPECT_EQ(laneShift(drawFrame(*up, 1), drawFrame(*up, 1 + kFrames), laneX), -expected);
    EXPECT_EQ(laneShift(drawFrame(*down, 1), drawFrame(*down, 1 + kFrames), laneX), expected);
}

TEST(GeneratedMovies, DownwardMovieShowsTheUpwardFramesInReverse)
{
    using namespace movies::boxes;
    const auto up = load("BoxUpward.swf");
    const auto down = load("BoxDownward.swf");
    ASSERT_TRUE(up && down);
    for (int frame : {1, 2, 100, kLoopFrames}) {
        const int mirrored = (kLoopFrames - (frame - 1)) % kLoopFrames + 1;
        EXPECT_EQ(drawFrame(*down, frame), drawFrame(*up, mirrored)) << "frame " << frame;
    }
}
