// The command-line renderer, run as a user would run it.

#include "SwfBytes.h"
#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"

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

TEST(SwfRenderTool, FollowsAMovieThatJumpsBack)
{
    // Frame 1 shows a red square, frame 2 adds a blue one, and frame 3 goes back to frame 1
    // and stops there, so the third frame a viewer sees is the first again, and so is the
    // fifth; played straight through, frame 3 would show both squares.
    namespace w = swf::write;
    w::MovieBuilder movie({10, {0, 2000, 0, 2000}, 12.0, w::Compression::None});
    const auto square = [&movie](std::uint8_t red, std::uint8_t blue, int left) {
        w::ShapeBuilder builder;
        builder.polygon({{left, 0}, {left + 800, 0}, {left + 800, 800}, {left, 800}},
                        builder.addFill(w::Fill::solid({red, 0, blue, 255})));
        return movie.defineShape(builder.shape());
    };
    const std::uint16_t red = square(255, 0, 0);
    const std::uint16_t blue = square(0, 255, 1000);
    w::PlaceObject placement;
    placement.depth = 1;
    placement.characterId = red;
    movie.root().place(placement);
    movie.root().showFrame();
    placement.depth = 2;
    placement.characterId = blue;
    movie.root().place(placement);
    movie.root().showFrame();
    movie.root().add(w::doAction({w::GotoFrame{0}}));
    movie.root().showFrame();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("jumps.swf"));
    const std::vector<std::uint8_t> bytes = movie.encode();
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    out.close();

    const QString prefix = dir.filePath(QStringLiteral("out"));
    ASSERT_EQ(run({file, "--frames", "1,2,3,5", "--size", "100x100", "--out", prefix}), 0);
    const QImage first(prefix + ".f0001.png");
    const QImage second(prefix + ".f0002.png");
    ASSERT_FALSE(first.isNull());
    EXPECT_NE(second, first) << "frame 2 adds the blue square";
    EXPECT_EQ(QImage(prefix + ".f0003.png"), first);
    EXPECT_EQ(QImage(prefix + ".f0005.png"), first);
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
