// The program's pictures as the build compiled them into the program.

#include "platform/LinkLabel.h"
#include "platform/ProgramImages.h"

#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The sizes desktops look for in the icon theme; 32 is also every window's icon.
constexpr int kDesktopSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool isMirrorImage(const QImage& icon, int x, int y)
{
    const int last = icon.width() - 1;
    const int alpha = qAlpha(icon.pixel(x, y));
    // Antialiased edges may differ by a rounding step or two.
    auto same = [&](int mx, int my) { return std::abs(qAlpha(icon.pixel(mx, my)) - alpha) <= 2; };
    return same(last - x, y) && same(x, last - y) && same(y, x);
}

TEST(ProgramIcon, EveryDesktopSizeIsAColourfulRoundDiscOnAClearGround)
{
    for (const int size : kDesktopSizes) {
        SCOPED_TRACE(size);
        const QImage icon = platform::programIcon(size).toImage();
        ASSERT_EQ(icon.size(), QSize(size, size));
        ASSERT_TRUE(icon.hasAlphaChannel());
        const int last = size - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
            EXPECT_EQ(qAlpha(icon.pixel(corner)), 0) << "corner " << corner.x() << "," << corner.y();
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);

        int asymmetric = 0;
        bool red = false, green = false, blue = false;
        QSet<QRgb> colours;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                asymmetric += isMirrorImage(icon, x, y) ? 0 : 1;
                const QRgb pixel = icon.pixel(x, y);
                if (qAlpha(pixel) != 255)
                    continue;
                colours.insert(pixel);
                const QColor colour(pixel);
                red = red || (colour.red() > 200 && colour.green() < 120 && colour.blue() < 120);
                green = green || (colour.green() > 200 && colour.red() < 120 && colour.blue() < 120);
                blue = blue || (colour.blue() > 200 && colour.red() < 120 && colour.green() < 120);
            }
        }
        EXPECT_EQ(asymmetric, 0) << "the outline is not round";
        EXPECT_TRUE(red && green && blue) << "the rings run through red, green and blue";
        EXPECT_GE(colours.size(), 16) << "a true-colour picture, not a palette of a few";
    }
}

TEST(ProgramIcon, OtherSizesAreScaledAndSizesBelowOneGiveNothing)
{
    EXPECT_EQ(platform::programIcon(40).size(), QSize(40, 40));
    EXPECT_EQ(platform::programIcon(20).size(), QSize(20, 20));
    EXPECT_EQ(platform::programIcon(512).size(), QSize(512, 512)) << "larger than any drawing";
    EXPECT_EQ(platform::programIcon(1).size(), QSize(1, 1));
    EXPECT_TRUE(platform::programIcon(0).isNull());
    EXPECT_TRUE(platform::programIcon(-32).isNull());
}

TEST(ProgramIcon, WindowIconOffersEveryDesktopSizeAsDrawn)
{
    const QIcon icon = platform::programWindowIcon();
    const QList<QSize> offered = icon.availableSizes();
    for (const int size : kDesktopSizes) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(offered.contains(QSize(size, size)));
        EXPECT_EQ(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
                  platform::programIcon(size).toImage().convertToFormat(QImage::Format_ARGB32));
    }
}

TEST(LinkPointer, IsABlackAndWhiteHandWhoseHotSpotIsTheFingertip)
{
    const platform::PointerImage pointer = platform::linkPointerImage();
    const QImage image = pointer.pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));

    int black = 0, white = 0, topRow = -1;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            ASSERT_EQ(qAlpha(pixel), 255) << x << "," << y << " is half clear";
            if (pixel == qRgb(0, 0, 0))
                ++black;
            else if (pixel == qRgb(255, 255, 255))
                ++white;
            else
                FAIL() << x << "," << y << " is neither black nor white";
            if (topRow < 0)
                topRow = y;
        }
    }
    EXPECT_GT(white, 100) << "a hand, not a few dots";
    EXPECT_GT(black, 50) << "an outline keeps it visible on white";

    ASSERT_TRUE(image.rect().contains(pointer.hotSpot));
    EXPECT_EQ(image.pixel(pointer.hotSpot), qRgb(0, 0, 0)) << "the hot spot lies on the pointer";
    EXPECT_EQ(pointer.hotSpot.y(), topRow) << "the fingertip is the topmost point";
    EXPECT_GE(pointer.hotSpot.x(), 8) << "the finger, not the thumb, points";
}

TEST(LinkPointer, LinkLabelsShowIt)
{
    const platform::PointerImage pointer = platform::linkPointerImage();
    const platform::LinkLabel label(QStringLiteral("Click here"));
    const QCursor cursor = label.cursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), pointer.hotSpot);
    EXPECT_EQ(cursor.pixmap().toImage(), pointer.pixmap.toImage());
}

} // namespace
