// The command-line renderer, run as a user would run it.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int run(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(SWFRENDER_PATH), arguments);
    if (!process.waitForFinished(60000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

TEST(SwfRenderTool, WritesTheChosenFramesAtTheChosenSize)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("out"));
    const QString movie = QStringLiteral(SWF_CONFORMANCE_DIR "/shumway-morph.swf");
    ASSERT_EQ(run({movie, "--frames", "26,1", "--size", "110x80", "--out", prefix}), 0);
    const QImage first(prefix + ".f0001.png");
    const QImage later(prefix + ".f0026.png");
    EXPECT_EQ(first.size(), QSize(110, 80));
    EXPECT_EQ(later.size(), QSize(110, 80));
    EXPECT_NE(first, later) << "the morph has moved on by frame 26";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST(SwfRenderTool, FollowsAMovieThatStopsItself)
{
    // This movie's last frame, 52, stops it; without the stop frame 60 would be its eighth.
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("out"));
    const QString movie = QStringLiteral(SWF_CONFORMANCE_DIR "/shumway-morph2.swf");
    ASSERT_EQ(run({movie, "--frames", "8,52,60", "--size", "110x80", "--out", prefix}), 0);
    const QImage eighth(prefix + ".f0008.png");
    const QImage last(prefix + ".f0052.png");
    const QImage later(prefix + ".f0060.png");
    ASSERT_FALSE(last.isNull());
    EXPECT_EQ(later, last);
    EXPECT_NE(later, eighth);
}

TEST(SwfRenderTool, RefusesBadArgumentsAndUnreadableFiles)
{
    QTemporaryDir dir;
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"x.swf", "--frames", "0"}), 2);
    EXPECT_EQ(run({"x.swf", "--size", "10by10"}), 2);
    EXPECT_EQ(run({dir.filePath("missing.swf"), "--out", dir.filePath("m")}), 1);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
