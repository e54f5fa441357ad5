// The command-line renderer, run as a user would run it.

#include "SwfBytes.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int run(const QStringList& arguments, QString* errors = nullptr)
{
    QProcess process;
    process.start(QStringLiteral(SWFRENDER_PATH), arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (errors)
        *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A one-frame movie whose header declares a stage of width x height px.
QString writeStage(const QTemporaryDir& dir, int width, int height)
{
    const QString path = dir.filePath(QStringLiteral("stage-%1x%2.swf").arg(width).arg(height));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(swftest::Movie().background(Qt::blue).showFrame().end().fws(width * 20, height * 20));
    return path;
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

TEST(SwfRenderTool, RefusesBadArgumentsAndUnreadableFiles)
{
    QTemporaryDir dir;
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"x.swf", "--frames", "0"}), 2);
    EXPECT_EQ(run({"x.swf", "--size", "10by10"}), 2);
    EXPECT_EQ(run({dir.filePath("missing.swf"), "--out", dir.filePath("m")}), 1);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(SwfRenderTool, RefusesAStageBeyondTheBoundUnlessASizeIsGiven)
{
    QTemporaryDir dir;
    // A damaged header's stages: too tall, too large in all, too tall for its width.
    for (const QSize stage : {QSize(91, 438553), QSize(20000, 20000), QSize(1, 53000000), QSize(9000, 8000)}) {
        SCOPED_TRACE(stage.width());
        const QString movie = writeStage(dir, stage.width(), stage.height());
        QString errors;
        EXPECT_EQ(run({movie, "--out", dir.filePath("big")}, &errors), 1);
        EXPECT_TRUE(errors.contains(QStringLiteral("declares a stage of %1 x %2 px").arg(stage.width()).arg(stage.height())))
            << errors.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("big.f0001.png")));
        // Asked for a size, the tool renders the same movie at it.
        ASSERT_EQ(run({movie, "--size", "40x30", "--out", dir.filePath("small")}), 0);
        EXPECT_EQ(QImage(dir.filePath("small.f0001.png")).size(), QSize(40, 30));
        ASSERT_TRUE(QFile::remove(dir.filePath("small.f0001.png")));
    }
    // The largest stage allowed renders at its own size.
    const QString wide = writeStage(dir, 16384, 2);
    ASSERT_EQ(run({wide, "--out", dir.filePath("wide")}), 0);
    EXPECT_EQ(QImage(dir.filePath("wide.f0001.png")).size(), QSize(16384, 2));
}

TEST(SwfRenderTool, AnImageThatCannotBeWrittenLeavesNoFileBehind)
{
    QTemporaryDir dir;
    const QString movie = QStringLiteral(SWF_CONFORMANCE_DIR "/shumway-morph.swf");
    // More rows than a PNG writer accepts: the image is made, but writing it fails.
    EXPECT_EQ(run({movie, "--size", "1x1000001", "--out", dir.filePath("tall")}), 1);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
