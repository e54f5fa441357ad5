// Rendering as a viewer sees it: "show all" placement, colour transforms, clipping layers
// and the background.

#include "SwfBytes.h"

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

namespace {

using swftest::Bytes;

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

swftest::Bytes rectShape(int id, QColor colour, int x, int y, int w, int h)
{
    swftest::ShapeRecords records;
    records.moveStyles(x, y, 0, 1, 0).lineBy(w, 0).lineBy(0, h).lineBy(-w, 0).lineBy(0, -h);
    return swftest::defineShape(3, id, {colour}, {}, records);
}

QImage render(const QByteArray& file, const QSize& size, int advances = 0)
{
    const auto movie = swf::Movie::load(file);
    if (!movie)
        return {};
    swf::TimelinePlayer player(*movie, movie->timeline);
    for (int i = 0; i < advances; ++i)
        player.advance();
    return swf::renderFrame(*movie, player, size, movie->background.value_or(Qt::white))
        .convertToFormat(QImage::Format_RGB32);
}

TEST(SwfShowAll, TheStageFitsCentredWithItsProportionsKept)
{
    const QRect stage(0, 0, 2000, 1000); // 100 x 50 pixels
    struct Case {
        const char* why;
        QSizeF target;
        QRectF area;
    };
    const Case cases[] = {
        {"wider target: bars left and right", {400, 100}, {100, 0, 200, 100}},
        {"taller target: bars above and below", {100, 400}, {0, 175, 100, 50}},
        {"same proportions: fills it", {300, 150}, {0, 0, 300, 150}},
        {"smaller than the stage: scales down", {50, 50}, {0, 12.5, 50, 25}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(swf::stageArea(stage, c.target), c.area) << c.why;
        const QTransform toPixels = swf::showAll(stage, c.target);
        EXPECT_EQ(toPixels.mapRect(QRectF(stage)), c.area) << c.why;
    }
    // A stage whose origin is not at zero still lands on the area.
    EXPECT_EQ(swf::showAll(QRect(-200, -100, 2000, 1000), {100, 50}).map(QPointF(-200, -100)), QPointF(0, 0));
    // A fractional stage counts in whole pixels: 101.3 x 25.3 lays out as 101 x 25, scaled by
    // 102 / 101 to fill the width, its origin still on the area's corner.
    const QRect fractional(-13, -13, 2026, 506);
    const QRectF area = swf::stageArea(fractional, {102, 26});
    EXPECT_DOUBLE_EQ(area.width(), 102.0);
    EXPECT_DOUBLE_EQ(area.height(), 25.0 * 102 / 101);
    EXPECT_DOUBLE_EQ(area.top(), (26 - 25.0 * 102 / 101) / 2);
    EXPECT_EQ(swf::showAll(fractional, {102, 26}).map(QPointF(-13, -13)), area.topLeft());
    // A stage under a pixel keeps its size rather than vanish.
    EXPECT_EQ(swf::stageArea(QRect(0, 0, 10, 10), {4, 4}), QRectF(0, 0, 4, 4));
    // A degenerate stage or target never divides by zero.
    EXPECT_TRUE(swf::stageArea(QRect(), {100, 100}).isValid());
    EXPECT_FALSE(swf::stageArea(stage, {0, 0}).isValid());
}

TEST(SwfRender, PartCoveredEdgeRowsTakeTheStagesShareOfTheBorder)
{
    swftest::Movie movie;
    // A 100 x 24.5 pixel stage lays out as 100 x 24 in 100 x 25, half a pixel of border above
    // and below; red reaches a pixel past the stage on every side.
    movie.background(Qt::green).tag(32, rectShape(1, kRed, -20, -20, 2040, 530)).place(1, 1).showFrame();
    const auto loaded = swf::Movie::load(movie.fws(2000, 490));
    ASSERT_TRUE(loaded);
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    const QImage image = swf::renderFrame(*loaded, player, QSize(100, 25), Qt::green, Qt::black)
                             .convertToFormat(QImage::Format_RGB32);
    for (const int row : {0, 24}) {
        const QColor edge = image.pixelColor(50, row);
        EXPECT_NEAR(edge.red(), 128, 2) << "row " << row << ": half red, half black border";
        EXPECT_EQ(edge.green(), 0) << "row " << row << ": no background shows under the red";
    }
    EXPECT_EQ(image.pixelColor(50, 12), kRed);

    // At any size the stage is scaled up to, where the red still covers every pixel the stage
    // covers in part, each such pixel is what the painter gives it when it lays the border,
    // antialiased, over all that lies outside the stage.
    for (const QSize size : {QSize(100, 25), QSize(137, 41), QSize(150, 300), QSize(333, 77), QSize(240, 59)}) {
        const QImage drawn = swf::renderFrame(*loaded, player, size, Qt::green, Qt::black)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage expected(size, QImage::Format_ARGB32_Premultiplied);
        expected.fill(kRed);
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath outside;
        outside.addRect(QRectF(expected.rect()));
        outside.addRect(swf::stageArea(loaded->stage, QSizeF(size)));
        painter.fillPath(outside, Qt::black);
        painter.end();
        EXPECT_TRUE(drawn == expected) << size.width() << " x " << size.height();
    }
}

TEST(SwfRender, BordersTakeTheBackgroundAndTheStageIsScaled)
{
    swftest::Movie movie;
    // A red square over the left half of a 100 x 50 pixel stage on green.
    movie.background(Qt::green).tag(32, rectShape(1, kRed, 0, 0, 1000, 1000)).place(1, 1).showFrame();
    const QImage image = render(movie.fws(2000, 1000), QSize(400, 100));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::green)) << "left border";
    EXPECT_EQ(image.pixelColor(350, 50), QColor(Qt::green)) << "right border";
    EXPECT_EQ(image.pixelColor(150, 50), kRed) << "stage scaled by 2, square covers 100..200";
    EXPECT_EQ(image.pixelColor(250, 50), QColor(Qt::green));
}

TEST(SwfRender, ColourTransformsMultiplyAndAddWithAlpha)
{
    swftest::Movie movie;
    movie.background(Qt::white).tag(32, rectShape(1, kBlue, 0, 0, 2000, 2000));
    // PlaceObject2 with a colour transform: multiply R, G, B by 1 and alpha by 0.5, add 255 red.
    Bytes place;
    place.u8(0x0E).u16(1).u16(1).matrix(0, 0);
    place.bits(1, 1).bits(1, 1).bits(10, 4);
    place.sbits(256, 10).sbits(256, 10).sbits(256, 10).sbits(128, 10);
    place.sbits(255, 10).sbits(0, 10).sbits(0, 10).sbits(0, 10).align();
    movie.tag(26, place).showFrame();
    const QImage image = render(movie.fws(), QSize(100, 100));
    ASSERT_FALSE(image.isNull());
    const QColor seen = image.pixelColor(50, 50);
    // Magenta at half alpha over white.
    EXPECT_NEAR(seen.red(), 255, 2);
    EXPECT_NEAR(seen.green(), 127, 2);
    EXPECT_NEAR(seen.blue(), 255, 2);
}

TEST(SwfRender, AGradientOfNoColoursPaintsBlack)
{
    // The left half of the stage filled with a linear (type 0x10) or radial (0x12) gradient
    // whose count of colour stops is zero.
    for (const int type : {0x10, 0x12}) {
        swftest::ShapeRecords records;
        records.moveStyles(0, 0, 0, 1, 0).lineBy(1000, 0).lineBy(0, 2000).lineBy(-1000, 0).lineBy(0, -2000);
        Bytes shape;
        shape.u16(1).rect(0, 1000, 0, 2000).u8(1).u8(type).matrix(0, 0).u8(0x00).u8(0).append(records.finish());
        swftest::Movie movie;
        movie.background(Qt::white).tag(32, shape).place(1, 1).showFrame();
        const QImage image = render(movie.fws(), QSize(100, 100));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.pixelColor(25, 50), QColor(Qt::black)) << "fill type " << type;
        EXPECT_EQ(image.pixelColor(75, 50), QColor(Qt::white)) << "fill type " << type;
    }
}

TEST(SwfRender, AClippingLayerShowsWhatIsAboveItOnlyWhereItCovers)
{
    swftest::Movie movie;
    movie.background(Qt::white)
        .tag(32, rectShape(1, kBlue, 0, 0, 1000, 2000))
        .tag(32, rectShape(2, kRed, 0, 0, 2000, 2000))
        .tag(32, rectShape(3, Qt::black, 0, 1500, 2000, 500));
    // The mask (left half) clips depths 2..3; the black bar at depth 4 lies outside its reach.
    movie.tag(26, Bytes().u8(0x42).u16(1).u16(1).u16(3));
    movie.place(2, 2).place(4, 3).showFrame();
    const QImage image = render(movie.fws(), QSize(100, 100));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(25, 25), kRed) << "inside the mask";
    EXPECT_EQ(image.pixelColor(75, 25), QColor(Qt::white)) << "outside the mask, and the mask itself is not drawn";
    EXPECT_EQ(image.pixelColor(75, 90), QColor(Qt::black)) << "above the clip depth: not clipped";
}

TEST(SwfRender, DeeplyNestedClippingLayersStillDrawWhatTheyCover)
{
    swftest::Movie movie;
    movie.background(Qt::white).tag(32, rectShape(1, kBlue, 0, 0, 2000, 2000)).tag(32, rectShape(2, kRed, 500, 500, 1000, 1000));
    // Forty stage-sized masks, each clipping everything above it.
    for (int depth = 1; depth <= 40; ++depth)
        movie.tag(26, Bytes().u8(0x42).u16(depth).u16(1).u16(100));
    movie.place(50, 2).showFrame();
    const QImage image = render(movie.fws(), QSize(100, 100));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(50, 50), kRed);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white)) << "masks themselves are not drawn";
}

TEST(SwfRender, MorphShapesFollowTheRatio)
{
    // A square of 1000 twips at ratio 0 that grows to 2000 twips at ratio 65535.
    Bytes morph;
    morph.u16(1).rect(0, 1000, 0, 1000).rect(0, 2000, 0, 2000);
    Bytes styles;
    styles.u8(1).u8(0).rgba(kRed).rgba(kBlue).u8(0);
    swftest::ShapeRecords start;
    start.moveStyles(0, 0, 0, 1, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0).lineBy(0, -1000);
    swftest::ShapeRecords end;
    end.moveTo(0, 0).lineBy(2000, 0).lineBy(0, 2000).lineBy(-2000, 0).lineBy(0, -2000);
    const Bytes startBytes = start.finish();
    morph.u32(static_cast<std::uint32_t>(styles.size() + startBytes.size())).append(styles).append(startBytes).append(end.finish());

    const auto placeAt = [](int ratio) { return Bytes().u8(0x16).u16(1).u16(1).matrix(0, 0).u16(ratio); };
    swftest::Movie movie;
    movie.background(Qt::white).tag(46, morph).tag(26, placeAt(0)).showFrame();
    movie.tag(28, Bytes().u16(1)).tag(26, placeAt(65535)).showFrame();
    const QImage first = render(movie.fws(), QSize(100, 100), 0);
    const QImage last = render(movie.fws(), QSize(100, 100), 1);
    EXPECT_EQ(first.pixelColor(25, 25), kRed);
    EXPECT_EQ(first.pixelColor(75, 75), QColor(Qt::white));
    EXPECT_EQ(last.pixelColor(75, 75), kBlue);
}

TEST(SwfRender, StrokesScaleWithTheObjectUnlessMarkedNotTo)
{
    // DefineShape4 with one line style 2: 20 twips wide, flags as given, black; a horizontal
    // line at y = 100 twips, placed at ten times its size.
    const auto lineShape = [](int flags) {
        Bytes body;
        body.u16(1).rect(0, 200, 0, 200).rect(0, 200, 0, 200).u8(0);
        body.u8(0).u8(1).u16(20).u8(flags).u8(0).rgba(Qt::black);
        swftest::ShapeRecords records;
        records.moveStyles(0, 100, 0, 0, 1).lineBy(200, 0);
        return body.append(records.finish());
    };
    const auto lineImage = [&](int flags) {
        swftest::Movie movie;
        movie.background(Qt::white).tag(83, lineShape(flags));
        movie.tag(26, Bytes().u8(0x06).u16(1).u16(1).scaleMatrix(10, 10, 0, 0)).showFrame();
        return render(movie.fws(), QSize(100, 100));
    };
    // The line's centre is at 1000 twips, 50 px; 3 px off the centre lies inside a 10 px stroke.
    EXPECT_EQ(lineImage(0x00).pixelColor(50, 53), QColor(Qt::black)) << "scaled: 10 px wide";
    EXPECT_EQ(lineImage(0x06).pixelColor(50, 53), QColor(Qt::white)) << "not scaled: 1 px wide";
    EXPECT_NE(lineImage(0x06).pixelColor(50, 50), QColor(Qt::white)) << "but drawn";
}

} // namespace

TEST(SwfRender, AHighDensityTargetIsDrawnInItsOwnPixels)
{
    // A red square from x = 10.5 px to the right edge: at two device pixels a pixel its
    // edge falls between device pixels 20 and 21, sharp, where scaling a drawing made at one
    // pixel a pixel would blur it over both.
    swftest::Movie movie;
    movie.background(Qt::white).tag(32, rectShape(1, kRed, 210, 0, 1790, 400)).place(1, 1).showFrame();
    const auto loaded = swf::Movie::load(movie.fws(2000, 400));
    ASSERT_TRUE(loaded);
    const swf::TimelinePlayer player(*loaded, loaded->timeline);
    QImage target(200, 40, QImage::Format_RGB32);
    target.setDevicePixelRatio(2.0);
    {
        QPainter painter(&target);
        swf::Renderer(*loaded).render(painter, player, QSize(100, 20), Qt::white, Qt::white);
    }
    EXPECT_EQ(target.pixelColor(20, 20), QColor(Qt::white));
    EXPECT_EQ(target.pixelColor(21, 20), kRed);
    // Nothing to draw into: no image, and no painter on one.
    EXPECT_TRUE(swf::renderFrame(*loaded, player, QSize(0, 20), Qt::white).isNull());
}
