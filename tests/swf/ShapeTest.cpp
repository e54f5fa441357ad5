// Edge records into fill paths: which side a fill lies on, runs that arrive out of order,
// style changes without a move, and new style tables.

#include "SwfBytes.h"

#include "swf/Movie.h"

#include <gtest/gtest.h>

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);

swf::ShapeGeometry geometryOf(int version, std::initializer_list<QColor> fills,
                              std::initializer_list<std::pair<int, QColor>> lines, swftest::ShapeRecords records)
{
    swftest::Movie movie;
    const int code = version == 1 ? 2 : (version == 2 ? 22 : 32);
    movie.tag(code, swftest::defineShape(version, 1, fills, lines, std::move(records))).showFrame();
    const auto loaded = swf::Movie::load(movie.fws());
    if (!loaded)
        return {};
    const auto* shape = std::get_if<swf::ShapeCharacter>(loaded->character(1));
    return shape != nullptr ? shape->geometry : swf::ShapeGeometry{};
}

// The path of the given fill colour in the first layer, or an empty one.
QPainterPath fillOf(const swf::ShapeGeometry& geometry, const QColor& colour, std::size_t layer = 0)
{
    if (layer >= geometry.layers.size())
        return {};
    for (const auto& [style, path] : geometry.layers[layer].fills)
        if (style.colour == colour)
            return path;
    return {};
}

TEST(SwfShapePaths, ASquareFilledOnEitherSideCoversTheSameArea)
{
    // Clockwise with the fill on the right (fill1), and the same edges with the fill on the
    // left (fill0): both must fill the square, and only the square.
    swftest::ShapeRecords right;
    right.moveStyles(0, 0, 0, 1, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0).lineBy(0, -1000);
    swftest::ShapeRecords left;
    left.moveStyles(0, 0, 1, 0, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0).lineBy(0, -1000);
    for (const auto& records : {right, left}) {
        const QPainterPath path = fillOf(geometryOf(1, {kRed}, {}, records), kRed);
        EXPECT_TRUE(path.contains(QPointF(500, 500)));
        EXPECT_FALSE(path.contains(QPointF(1500, 500)));
        EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 1000, 1000));
    }
}

TEST(SwfShapePaths, AnEdgeSharedByTwoFillsBoundsBoth)
{
    // Two squares side by side drawn as one outline plus the shared edge, which has red on
    // its left (fill0) and green on its right (fill1).
    swftest::ShapeRecords records;
    records.moveStyles(0, 0, 0, 1, 0)
        .lineBy(1000, 0)
        .styles(0, 2, 0)
        .lineBy(1000, 0)
        .lineBy(0, 1000)
        .lineBy(-1000, 0)
        .styles(0, 1, 0)
        .lineBy(-1000, 0)
        .lineBy(0, -1000)
        .moveStyles(1000, 0, 2, 1, 0)
        .lineBy(0, 1000);
    const auto geometry = geometryOf(1, {kRed, kGreen}, {}, records);
    const QPainterPath red = fillOf(geometry, kRed);
    const QPainterPath green = fillOf(geometry, kGreen);
    EXPECT_TRUE(red.contains(QPointF(500, 500)));
    EXPECT_FALSE(red.contains(QPointF(1500, 500)));
    EXPECT_TRUE(green.contains(QPointF(1500, 500)));
    EXPECT_FALSE(green.contains(QPointF(500, 500)));
}

TEST(SwfShapePaths, RunsArrivingOutOfOrderLinkIntoOneClosedContour)
{
    // A triangle drawn as three separate moves in scrambled order. Filled without linking,
    // each run would be closed on its own and cover nothing.
    swftest::ShapeRecords records;
    records.moveStyles(1000, 0, 0, 1, 0).lineBy(-500, 1000);
    records.moveTo(0, 0).lineBy(1000, 0);
    records.moveTo(500, 1000).lineBy(-500, -1000);
    const QPainterPath path = fillOf(geometryOf(1, {kRed}, {}, records), kRed);
    EXPECT_TRUE(path.contains(QPointF(500, 400)));
    EXPECT_FALSE(path.contains(QPointF(100, 900)));
}

TEST(SwfShapePaths, AStyleChangeWithoutAMoveStartsTheNextRunAtThePen)
{
    // The fill changes half-way along the top edge with no move: the green run must start
    // where the red one stopped, not at the origin.
    swftest::ShapeRecords records;
    records.moveStyles(0, 0, 0, 1, 0).lineBy(500, 0).styles(0, 2, 0).lineBy(500, 0).lineBy(0, 1000).lineBy(-1000, 0);
    const QPainterPath green = fillOf(geometryOf(1, {kRed, kGreen}, {}, records), kGreen);
    EXPECT_EQ(green.elementAt(0).x, 500.0);
    EXPECT_EQ(green.elementAt(0).y, 0.0);
}

TEST(SwfShapePaths, CurvesKeepTheirControlPoints)
{
    swftest::ShapeRecords records;
    records.moveStyles(0, 0, 0, 1, 0).curveBy(500, -500, 500, 500).lineBy(-1000, 0);
    const QPainterPath path = fillOf(geometryOf(1, {kRed}, {}, records), kRed);
    // The bulge of the curve above the baseline is filled; a straight edge would leave it empty.
    EXPECT_TRUE(path.contains(QPointF(500, -100)));
}

TEST(SwfShapePaths, NewStyleTablesStartALayerDrawnAbove)
{
    swftest::ShapeRecords records;
    records.moveStyles(0, 0, 0, 1, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0).lineBy(0, -1000);
    records.newSolidFills({kBlue}, 2).moveStyles(500, 500, 0, 1, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0).lineBy(0, -1000);
    const auto geometry = geometryOf(2, {kRed}, {}, records);
    ASSERT_EQ(geometry.layers.size(), 2u);
    EXPECT_TRUE(fillOf(geometry, kRed, 0).contains(QPointF(250, 250)));
    // Index 1 in the second layer means the new table's blue, not the first table's red.
    EXPECT_TRUE(fillOf(geometry, kBlue, 1).contains(QPointF(1250, 1250)));
    EXPECT_TRUE(fillOf(geometry, kRed, 1).isEmpty());
}

TEST(SwfShapePaths, LinesBecomeStrokesAndOutOfRangeStylesDrawNothing)
{
    swftest::ShapeRecords records;
    records.moveStyles(0, 0, 0, 0, 1).lineBy(1000, 0).lineBy(0, 1000);
    records.moveStyles(0, 0, 0, 9, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0);
    const auto geometry = geometryOf(1, {kRed}, {{40, kBlue}}, records);
    ASSERT_EQ(geometry.layers.size(), 1u);
    EXPECT_TRUE(geometry.layers[0].fills.empty());
    ASSERT_EQ(geometry.layers[0].strokes.size(), 1u);
    const auto& [style, path] = geometry.layers[0].strokes[0];
    EXPECT_EQ(style.width, 40.0);
    EXPECT_EQ(style.fill.colour, kBlue);
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 1000, 1000));
}

TEST(SwfShapeStyles, ShapeThreeReadsAlphaAndEarlierVersionsDoNot)
{
    swftest::ShapeRecords records;
    records.moveStyles(0, 0, 0, 1, 0).lineBy(1000, 0).lineBy(0, 1000).lineBy(-1000, 0);
    const QColor translucent(10, 20, 30, 128);
    const auto three = geometryOf(3, {translucent}, {}, records);
    ASSERT_EQ(three.layers.size(), 1u);
    EXPECT_EQ(three.layers[0].fills[0].first.colour, translucent);
    const auto one = geometryOf(1, {translucent}, {}, records);
    ASSERT_EQ(one.layers.size(), 1u);
    EXPECT_EQ(one.layers[0].fills[0].first.colour, QColor(10, 20, 30));
}

} // namespace
