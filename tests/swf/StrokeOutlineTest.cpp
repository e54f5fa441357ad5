// Stroke outlines: each open run takes its own start and end cap, a closed one none, and a
// run of no length is a dot of its caps.

#include "swf/StrokeOutline.h"

#include <gtest/gtest.h>

namespace {

swf::LineStyle capped(Qt::PenCapStyle start, Qt::PenCapStyle end)
{
    swf::LineStyle style;
    style.cap = start;
    style.endCap = end;
    style.join = Qt::MiterJoin;
    return style;
}

QPainterPath segment()
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(100, 0);
    return path;
}

} // namespace

TEST(SwfStrokeOutline, EachEndOfARunTakesItsOwnCap)
{
    struct Case {
        const char* why;
        Qt::PenCapStyle start;
        Qt::PenCapStyle end;
        double left;
        double right;
    };
    const Case cases[] = {
        {"round at the start only", Qt::RoundCap, Qt::FlatCap, -10, 100},
        {"square at the end only", Qt::FlatCap, Qt::SquareCap, 0, 110},
        {"round at both", Qt::RoundCap, Qt::RoundCap, -10, 110},
        {"flat at both", Qt::FlatCap, Qt::FlatCap, 0, 100},
    };
    for (const Case& c : cases) {
        const QRectF bounds = swf::strokeOutline(segment(), capped(c.start, c.end), 20).boundingRect();
        EXPECT_NEAR(bounds.left(), c.left, 0.01) << c.why;
        EXPECT_NEAR(bounds.right(), c.right, 0.01) << c.why;
        EXPECT_NEAR(bounds.top(), -10, 0.01) << c.why;
        EXPECT_NEAR(bounds.bottom(), 10, 0.01) << c.why;
    }
    // A round cap is round: its corner stays outside.
    const QPainterPath round = swf::strokeOutline(segment(), capped(Qt::RoundCap, Qt::FlatCap), 20);
    EXPECT_TRUE(round.contains(QPointF(-9, 0)));
    EXPECT_FALSE(round.contains(QPointF(-9, -9)));
}

TEST(SwfStrokeOutline, CapsFollowTheDirectionOfTheRunsEnds)
{
    // Down, then left: the end cap reaches further left, the start cap further up.
    QPainterPath path;
    path.moveTo(0, 0);
    path.lineTo(0, 100);
    path.lineTo(-100, 100);
    const QRectF bounds = swf::strokeOutline(path, capped(Qt::SquareCap, Qt::SquareCap), 20).boundingRect();
    EXPECT_NEAR(bounds.top(), -10, 0.01);
    EXPECT_NEAR(bounds.left(), -110, 0.01);
    const QRectF mixed = swf::strokeOutline(path, capped(Qt::SquareCap, Qt::FlatCap), 20).boundingRect();
    EXPECT_NEAR(mixed.top(), -10, 0.01);
    EXPECT_NEAR(mixed.left(), -100, 0.01);
}

TEST(SwfStrokeOutline, AClosedRunIsJoinedNotCapped)
{
    QPainterPath square;
    square.moveTo(0, 0);
    square.lineTo(100, 0);
    square.lineTo(100, 100);
    square.lineTo(0, 100);
    square.lineTo(0, 0);
    // A square cap at either end of the run would reach 10 past the corner along the edges.
    const QPainterPath outline = swf::strokeOutline(square, capped(Qt::FlatCap, Qt::SquareCap), 20);
    EXPECT_NEAR(outline.boundingRect().left(), -10, 0.01);
    EXPECT_NEAR(outline.boundingRect().top(), -10, 0.01);
    EXPECT_TRUE(outline.contains(QPointF(-9, -9))) << "mitred corner";
    EXPECT_FALSE(outline.contains(QPointF(50, 50))) << "the inside is not stroked";
}

TEST(SwfStrokeOutline, ARunOfNoLengthIsADotOfItsCaps)
{
    QPainterPath dot;
    dot.moveTo(50, 50);
    dot.lineTo(50, 50);
    const QPainterPath outline = swf::strokeOutline(dot, capped(Qt::RoundCap, Qt::SquareCap), 20);
    EXPECT_TRUE(outline.contains(QPointF(55, 50)));
    EXPECT_TRUE(outline.contains(QPointF(45, 50)));
    EXPECT_NEAR(outline.boundingRect().width(), 20, 0.01);
}
