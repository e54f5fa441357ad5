// Real movies, the program's own and every sample one (the large photograph among them),
// stay well inside a movie's budgets: each plays exactly alike with every movie-wide budget
// cut by a third. (The closest to one, a sample of a hundred layers over the whole stage,
// needs 63% of a frame's drawing work.)

#include "DisplayListCount.h"

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

swf::Limits twoThirdsOfEachBudget()
{
    swf::Limits limits;
    for (std::size_t* budget : {&limits.maxImageBytes, &limits.maxStyles, &limits.maxRecords, &limits.maxTextBytes,
                                &limits.maxDisplayObjects, &limits.maxEdgesAlive, &limits.maxWorkPerRow})
        *budget = *budget * 2 / 3;
    return limits;
}

QStringList moviesIn(const QString& path)
{
    QStringList files;
    const QDir dir(path);
    for (const QString& name : dir.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

TEST(SwfMovieBudgets, RealMoviesPlayAlikeWithEveryBudgetCutByAThird)
{
    const QStringList own = moviesIn(QStringLiteral(SOMNARA_MOVIE_DIR));
    ASSERT_EQ(own.size(), 3) << "the program's three movies";
    const QStringList files = own + moviesIn(QStringLiteral(SWF_CONFORMANCE_DIR)) + moviesIn(QStringLiteral(SOMNARA_SAMPLE_DIR));
    const QSize window(793, 369);
    const swf::Limits tight = twoThirdsOfEachBudget();
    int compared = 0;
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        QString refusal;
        const auto movie = swf::Movie::loadFile(file, {}, &refusal);
        EXPECT_TRUE(refusal.isEmpty()) << refusal.toStdString();
        // A sample that is damaged on purpose has nothing to compare.
        if (!movie)
            continue;
        const auto held = swf::Movie::loadFile(file, tight, &refusal);
        ASSERT_NE(held, nullptr) << refusal.toStdString();
        swf::TimelinePlayer player(*movie, movie->timeline);
        swf::TimelinePlayer heldPlayer(*held, held->timeline);
        const swf::Renderer renderer(*movie);
        const swf::Renderer heldRenderer(*held);
        const QColor background = movie->background.value_or(Qt::white);
        for (int frame = 0; frame < 3; ++frame) {
            SCOPED_TRACE(frame);
            EXPECT_EQ(swftest::objectsAlive(heldPlayer), swftest::objectsAlive(player));
            EXPECT_EQ(heldRenderer.renderImage(heldPlayer, window, background, background),
                      renderer.renderImage(player, window, background, background));
            player.advance();
            heldPlayer.advance();
        }
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

} // namespace
