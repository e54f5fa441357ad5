// The crafted hostile movies: what each movie's budgets decide for it, and each played through
// the real player widget at the movie window's size, within generous bounds of time and
// memory that only a player doing what the file asks would pass.

#include "DisplayListCount.h"
#include "TestPace.h"

#include "swf/Movie.h"
#include "swf/PlayerWidget.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

const QString kDir = QStringLiteral(HOSTILE_MOVIE_DIR);

std::shared_ptr<const swf::Movie> load(const QString& name, QString* refusal = nullptr)
{
    QFile file(kDir + '/' + name);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return swf::Movie::load(file.readAll(), {}, refusal);
}

std::size_t bitmapsKept(const swf::Movie& movie)
{
    return static_cast<std::size_t>(std::ranges::count_if(movie.dictionary, [](const auto& entry) {
        return std::holds_alternative<swf::BitmapCharacter>(entry.second);
    }));
}

struct Decision {
    const char* file;
    // What the refusal says, or nullptr when the movie plays.
    const char* refusedFor;
    // Objects on the display lists after the first frame, sprites' included.
    std::size_t objects;
};

// Each row says why the budgets decide as they do.
const Decision kDecisions[] = {
    // Edges that cross the whole stage, drawn or dropped while drawing: the object stays.
    {"crossing-edges-5000.swf", nullptr, 1},
    {"zigzag-edges-5000.swf", nullptr, 1},
    {"stroked-edges-10000.swf", nullptr, 1},
    {"stroked-edges-20000.swf", nullptr, 1},
    {"stroked-edges-100000.swf", nullptr, 1},
    // Two to the 29th squares asked for; objects stop at their budget.
    {"sprite-tree-30.swf", nullptr, 20000},
    // Two to the 30th objects made, but one chain of 31 alive at a time: what is made in
    // one frame stops at the objects' budget, and past it each replacement is dropped while
    // the object it replaces goes, all the way up to the movie's own sprite.
    {"sprite-tree-30-replacing.swf", nullptr, 1},
    // Bitmaps without data are never made; the shape that shows the first remains.
    {"empty-bitmaps-32.swf", nullptr, 1},
    {"full-bitmaps-8.swf", nullptr, 1},
    {"gradient-styles-6.6M.swf", "fill and line styles", 0},
    // Its body passes the 16 MiB a body may have: it is read as a file cut short, up to the
    // text field, which is lost with the cut.
    {"edit-text-40MB.swf", nullptr, 0},
    {"html-ampersands-1M.swf", "bytes of text", 0},
    // 60,000 glyphs of five elements pass what all objects alive may draw together.
    {"html-ampersands-60k.swf", nullptr, 0},
    {"morph-300k-edges-50-times.swf", "edges and style changes", 0},
    {"morph-5000-edges-50-times.swf", nullptr, 50},
};

TEST(SwfHostileMovies, TheBudgetsRefuseOrTrimEachAsDesigned)
{
    ASSERT_EQ(QDir(kDir).entryList({QStringLiteral("*.swf")}, QDir::Files).size(), std::size(kDecisions))
        << "a crafted movie without a row here";
    for (const Decision& row : kDecisions) {
        SCOPED_TRACE(row.file);
        QString refusal;
        const auto movie = load(QString::fromLatin1(row.file), &refusal);
        if (row.refusedFor != nullptr) {
            EXPECT_EQ(movie, nullptr);
            EXPECT_TRUE(refusal.contains(QLatin1String(row.refusedFor))) << refusal.toStdString();
            continue;
        }
        ASSERT_NE(movie, nullptr);
        EXPECT_TRUE(refusal.isEmpty());
        const swf::TimelinePlayer player(*movie, movie->timeline);
        EXPECT_EQ(swftest::objectsAlive(player), row.objects);
    }
}

TEST(SwfHostileMovies, BitmapsWithoutDataAreNotMadeAndTheRestAreWithinTheirBudget)
{
    const auto empty = load(QStringLiteral("empty-bitmaps-32.swf"));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(bitmapsKept(*empty), 0u);
    // Eight of 16 MiB each: all fit the budget.
    const auto full = load(QStringLiteral("full-bitmaps-8.swf"));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(bitmapsKept(*full), 8u);
}

TEST(SwfHostileMovies, ObjectsShowingOneMorphAtOneRatioShareItsShape)
{
    const auto movie = load(QStringLiteral("morph-5000-edges-50-times.swf"));
    ASSERT_NE(movie, nullptr);
    swf::TimelinePlayer player(*movie, movie->timeline);
    const swf::Renderer renderer(*movie);
    renderer.renderImage(player, QSize(793, 369), Qt::white, Qt::white);
    EXPECT_EQ(renderer.morphShapesKept(), 1u);
}

// The peak of this process's resident memory since the last reset, in MiB.
std::optional<double> peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return std::nullopt;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Far above what any of them takes, far below what a player doing as they ask took: seconds
// to minutes a frame, and gigabytes.
constexpr qint64 kMostMsToFirstFrame = 20000;
constexpr qint64 kMostMsBetweenFrames = 10000;
constexpr double kMostMiBMore = 600;

TEST(SwfHostileMovies, EachPlaysInTheRealPlayerWidgetWithinBoundsOfTimeAndMemory)
{
    for (const Decision& row : kDecisions) {
        SCOPED_TRACE(row.file);
        resetPeak();
        const std::optional<double> before = peakMiB();
        {
            swf::PlayerWidget widget;
            widget.resize(793, 369);
            widget.show();
            QSignalSpy drawn(&widget, &swf::PlayerWidget::frameShown);
            QElapsedTimer timer;
            timer.start();
            widget.setMovie(kDir + '/' + QString::fromLatin1(row.file));
            while (!widget.settled() && timer.elapsed() < kMostMsToFirstFrame)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            ASSERT_TRUE(widget.settled());
            EXPECT_EQ(widget.currentFrame() == 0, row.refusedFor != nullptr);
            // A movie that moves draws two more frames, each in its own time; one at rest is
            // not drawn again.
            const auto movie = load(QString::fromLatin1(row.file));
            const bool plays = movie && swf::TimelinePlayer(*movie, movie->timeline).advance();
            for (int frame = 0; frame < 2 && plays; ++frame) {
                drawn.clear();
                EXPECT_TRUE(drawn.wait(kMostMsBetweenFrames));
            }
        }
        // ThreadSanitizer keeps shadow memory several times the size of what it watches, so
        // there the figures measure the sanitizer, not the player.
        const std::optional<double> after = peakMiB();
        if (before && after && !testpace::kUnderThreadSanitizer) {
            EXPECT_LT(*after - *before, kMostMiBMore);
        }
    }
}

} // namespace
