// The colour wheel's backing picture: twips in, aliased rings out, at any density.

#include "wheel/WheelPicture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

bool lit(const QImage& image, int x, int y)
{
    return (image.pixel(x, y) & 0xffffffu) != 0;
}

int litCount(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += lit(image, x, y) ? 1 : 0;
    return count;
}

TEST(WheelPicture, MeasuresItselfInTwips)
{
    const WheelPicture picture(QSize(794, 360), 1.0);
    EXPECT_FLOAT_EQ(picture.ScaleWidth(), 11910.0f);
    EXPECT_FLOAT_EQ(picture.ScaleHeight(), 5400.0f);
    // The density of the screen does not change the logical size.
    EXPECT_FLOAT_EQ(WheelPicture(QSize(794, 360), 2.0).ScaleWidth(), 11910.0f);
}

TEST(WheelPicture, ThePenIsCentredOnTheOutline)
{
    // Radius 40 pixels, pen 6 pixels: lit from 37 to 43 pixels out, along every direction.
    for (const qreal dpr : {1.0, 2.0}) {
        WheelPicture picture(QSize(200, 200), dpr);
        picture.setDrawWidth(6);
        picture.Circle(100 * 15.0f, 100 * 15.0f, 40 * 15.0f, {200, 100, 50});
        const QImage& image = picture.image();
        ASSERT_EQ(image.width(), static_cast<int>(200 * dpr));
        for (double angle = 0.0; angle < 6.28; angle += 0.05) {
            const auto at = [&](double distance) {
                const double x = (100 + distance * std::cos(angle)) * dpr;
                const double y = (100 + distance * std::sin(angle)) * dpr;
                return lit(image, static_cast<int>(x), static_cast<int>(y));
            };
            EXPECT_TRUE(at(38.0)) << angle << " at " << dpr;
            EXPECT_TRUE(at(40.0)) << angle << " at " << dpr;
            EXPECT_TRUE(at(42.0)) << angle << " at " << dpr;
            EXPECT_FALSE(at(35.0)) << angle << " at " << dpr;
            EXPECT_FALSE(at(45.0)) << angle << " at " << dpr;
        }
        EXPECT_EQ(image.pixel(static_cast<int>(140 * dpr), static_cast<int>(100 * dpr)), qRgb(200, 100, 50));
    }
}

TEST(WheelPicture, RingsAreAliasedAndClosed)
{
    WheelPicture picture(QSize(100, 100), 1.0);
    picture.setDrawWidth(1);
    picture.Circle(50 * 15.0f, 50 * 15.0f, 30 * 15.0f, {255, 0, 0});
    const QImage& image = picture.image();
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_TRUE(image.pixel(x, y) == qRgb(255, 0, 0) || image.pixel(x, y) == qRgb(0, 0, 0));
    // A one-pixel pen leaves no gap: every column the ring spans is lit above the centre.
    for (int x = 21; x < 80; ++x) {
        bool any = false;
        for (int y = 0; y < 50; ++y)
            any = any || lit(image, x, y);
        EXPECT_TRUE(any) << x;
    }
}

TEST(WheelPicture, TheSmallestCircleStillShowsAndLargeOnesAreCutAtTheEdges)
{
    WheelPicture picture(QSize(794, 360), 1.0);
    picture.setDrawWidth(2);
    picture.Circle(5955.0f, 2700.0f, 1.0f, {5, 2, 3});
    EXPECT_GT(litCount(picture.image()), 0);
    picture.Cls();
    picture.setDrawWidth(50);
    // Larger than the picture and off its corner: only the part inside is drawn.
    picture.Circle(0.0f, 0.0f, 2200.0f, {255, 255, 255});
    picture.Circle(11910.0f, 5400.0f, 2200.0f, {255, 255, 255});
    EXPECT_TRUE(lit(picture.image(), 0, 146));
    EXPECT_TRUE(lit(picture.image(), 793, 359 - 146));
}

TEST(WheelPicture, ACircleCutByTheTopEdgeIsTheMirrorImageOfOneCutByTheBottom)
{
    // Centres on a pixel's edge and on its middle, where rows above and below the centre
    // are drawn in pairs, and one off both, where each row is drawn alone.
    for (const float centreRow : {30.0f, 30.5f, 30.4f}) {
        WheelPicture top(QSize(200, 120), 1.0);
        WheelPicture bottom(QSize(200, 120), 1.0);
        top.setDrawWidth(7);
        bottom.setDrawWidth(7);
        top.Circle(1500.0f, centreRow * 15.0f, 600.0f, {200, 100, 50});
        bottom.Circle(1500.0f, (120.0f - centreRow) * 15.0f, 600.0f, {200, 100, 50});
        EXPECT_GT(litCount(top.image()), 0);
        EXPECT_EQ(top.image(), bottom.image().mirrored(false, true)) << "centre row " << centreRow;
    }
}

TEST(WheelPicture, RingsHeldBackShowTheSameAsRingsPaintedAtOnce)
{
    // One picture is looked at after every ring, which paints each at once; the other
    // only now and then. Runs of nearly equal rings, as a dense wide wheel draws them,
    // with a pen change, a clear and a move to a denser screen between them.
    WheelPicture eager(QSize(300, 200), 1.0);
    WheelPicture lazy(QSize(300, 200), 1.0);
    int ring = 0;
    const auto draw = [&](float radius, int pen) {
        const modHypno::Rgb colour{static_cast<std::uint8_t>(ring * 5), static_cast<std::uint8_t>(ring * 2),
                                   static_cast<std::uint8_t>(ring * 3)};
        for (WheelPicture* picture : {&eager, &lazy}) {
            picture->setDrawWidth(pen);
            picture->Circle(2250.0f, 1500.0f, radius, colour);
        }
        eager.image();
        ++ring;
    };
    for (int i = 0; i < 400; ++i)
        draw(600.0f + 0.01f * static_cast<float>(i) * 37.0f, 20);
    ASSERT_EQ(eager.image(), lazy.image());
    for (int i = 0; i < 50; ++i)
        draw(300.0f + 5.0f * static_cast<float>(i), i < 25 ? 2 : 9);
    // The same passes again, in other colours: the rings now come from memory.
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < 50; ++i)
            draw(300.0f + 5.0f * static_cast<float>(i), pass == 2 || i < 25 ? 2 : 9);
    ASSERT_EQ(eager.image(), lazy.image());
    for (WheelPicture* picture : {&eager, &lazy})
        picture->Cls();
    draw(900.0f, 30);
    for (WheelPicture* picture : {&eager, &lazy})
        picture->setDevicePixelRatio(2.0);
    draw(910.0f, 30);
    draw(910.5f, 30);
    EXPECT_EQ(eager.image(), lazy.image());
    EXPECT_GT(litCount(lazy.image()), 0);
}

TEST(WheelPicture, ClearingBlanksItAndReportsTheWholeAsChanged)
{
    WheelPicture picture(QSize(120, 80), 1.0);
    picture.takeChanged();
    picture.setDrawWidth(2);
    picture.Circle(60 * 15.0f, 40 * 15.0f, 10 * 15.0f, {10, 20, 30});
    const QRect changed = picture.takeChanged();
    EXPECT_TRUE(changed.contains(QRect(49, 29, 22, 22)));
    EXPECT_LT(changed.width(), 30);
    EXPECT_TRUE(picture.takeChanged().isEmpty());
    picture.Cls();
    EXPECT_EQ(litCount(picture.image()), 0);
    EXPECT_EQ(picture.takeChanged(), QRect(0, 0, 120, 80));
}

TEST(WheelPicture, MovingToADenserScreenKeepsThePicture)
{
    WheelPicture picture(QSize(100, 100), 1.0);
    picture.setDrawWidth(4);
    picture.Circle(750.0f, 750.0f, 450.0f, {0, 255, 0});
    picture.setDevicePixelRatio(2.0);
    EXPECT_EQ(picture.image().size(), QSize(200, 200));
    EXPECT_TRUE(lit(picture.image(), 160, 100));
    EXPECT_FALSE(lit(picture.image(), 100, 100));
}

} // namespace
