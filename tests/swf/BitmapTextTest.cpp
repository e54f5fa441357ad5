// Bitmaps (lossless and JPEG, with tables and with alpha) as shape fills, and static text
// drawn with an embedded font's glyphs.

#include "SwfBytes.h"

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using swftest::Bytes;

// zlib stream of data (qCompress adds a 4-byte length in front).
QByteArray zlibStream(const QByteArray& data)
{
    return qCompress(data).mid(4);
}

QByteArray jpegOf(const QColor& colour)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

// A 2000-twip square filled with bitmap 9 at `pixelTwips` twips per bitmap pixel.
Bytes bitmapSquare(int id, int fillType, double pixelTwips)
{
    Bytes body;
    body.u16(id).rect(0, 2000, 0, 2000);
    body.u8(1).u8(fillType).u16(9).scaleMatrix(pixelTwips, pixelTwips, 0, 0);
    body.u8(0);
    swftest::ShapeRecords records;
    records.moveStyles(0, 0, 0, 1, 0).lineBy(2000, 0).lineBy(0, 2000).lineBy(-2000, 0).lineBy(0, -2000);
    return body.append(records.finish());
}

QImage render(const swftest::Movie& movie)
{
    const auto loaded = swf::Movie::load(movie.fws());
    if (!loaded)
        return {};
    swf::TimelinePlayer player(*loaded, loaded->timeline);
    return swf::renderFrame(*loaded, player, QSize(100, 100), Qt::white).convertToFormat(QImage::Format_RGB32);
}

bool near(const QColor& a, const QColor& b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Lossless 32-bit bitmap 9 of 2 x 2 pixels: red, green / blue, transparent.
Bytes losslessBitmap(bool withAlpha)
{
    QByteArray pixels;
    for (const QColor& c : {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(0, 0, 0, 0)})
        pixels.append(static_cast<char>(withAlpha ? c.alpha() : 0)).append(static_cast<char>(c.red()))
            .append(static_cast<char>(c.green())).append(static_cast<char>(c.blue()));
    return Bytes().u16(9).u8(5).u16(2).u16(2).append(zlibStream(pixels));
}

// The 2 x 2 lossless bitmap as a fill of ten screen pixels per bitmap pixel.
QImage losslessSquare(int bitmapTag, int fillType)
{
    swftest::Movie movie;
    movie.tag(bitmapTag, losslessBitmap(bitmapTag == 36)).tag(2, bitmapSquare(1, fillType, 200)).place(1, 1).showFrame();
    return render(movie);
}

TEST(SwfBitmaps, LosslessBitmapFillsRepeatOrNotAndKeepTheirAlpha)
{
    const QImage repeating = losslessSquare(36, 0x42);
    ASSERT_FALSE(repeating.isNull());
    EXPECT_EQ(repeating.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(repeating.pixelColor(15, 5), QColor(0, 255, 0));
    EXPECT_EQ(repeating.pixelColor(5, 15), QColor(0, 0, 255));
    EXPECT_EQ(repeating.pixelColor(15, 15), QColor(Qt::white)) << "transparent pixel shows the background";
    EXPECT_EQ(repeating.pixelColor(25, 25), QColor(255, 0, 0)) << "repeats";

    const QImage clipped = losslessSquare(36, 0x43);
    EXPECT_EQ(clipped.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(clipped.pixelColor(25, 5), QColor(0, 255, 0)) << "clipped: the edge pixel reaches out, no repeat";
    EXPECT_EQ(clipped.pixelColor(5, 45), QColor(0, 0, 255));

    const QImage versionOne = losslessSquare(20, 0x42);
    EXPECT_EQ(versionOne.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(versionOne.pixelColor(15, 15), QColor(0, 0, 0)) << "no alpha in version 1: opaque black";
}

TEST(SwfBitmaps, JpegWithAStrayMarkerPairDecodes)
{
    swftest::Movie movie;
    const QByteArray jpeg = QByteArray("\xFF\xD9\xFF\xD8", 4) + jpegOf(QColor(0, 0, 255));
    movie.tag(21, Bytes().u16(9).append(jpeg)).tag(2, bitmapSquare(1, 0x40, 20)).place(1, 1).showFrame();
    const QImage image = render(movie);
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(near(image.pixelColor(8, 8), QColor(0, 0, 255))) << image.pixelColor(8, 8).name().toStdString();
}

TEST(SwfBitmaps, JpegWithSharedTablesDecodes)
{
    // The tables tag carries the stream up to the scan; the bitmap carries the scan.
    const QByteArray jpeg = jpegOf(QColor(0, 255, 0));
    const auto scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    ASSERT_GT(scan, 0);
    const QByteArray tables = jpeg.left(scan) + QByteArray("\xFF\xD9", 2);
    const QByteArray image = QByteArray("\xFF\xD8", 2) + jpeg.mid(scan);
    swftest::Movie movie;
    movie.tag(8, Bytes().append(tables)).tag(6, Bytes().u16(9).append(image));
    movie.tag(2, bitmapSquare(1, 0x40, 20)).place(1, 1).showFrame();
    const QImage rendered = render(movie);
    ASSERT_FALSE(rendered.isNull());
    EXPECT_TRUE(near(rendered.pixelColor(8, 8), QColor(0, 255, 0))) << rendered.pixelColor(8, 8).name().toStdString();
}

TEST(SwfBitmaps, JpegsWithAnAlphaPlaneBlend)
{
    // Half alpha; the colour planes of such bitmaps are stored premultiplied.
    const QByteArray alpha = zlibStream(QByteArray(16 * 16, '\x80'));
    const QByteArray premultipliedRed = jpegOf(QColor(128, 0, 0));
    const auto size = static_cast<std::uint32_t>(premultipliedRed.size());
    // Version 4 adds a deblocking strength before the image.
    const std::pair<int, Bytes> versions[] = {
        {35, Bytes().u16(9).u32(size).append(premultipliedRed).append(alpha)},
        {90, Bytes().u16(9).u32(size).u16(0x100).append(premultipliedRed).append(alpha)},
    };
    for (const auto& [code, bitmap] : versions) {
        swftest::Movie movie;
        movie.tag(code, bitmap);
        movie.tag(2, bitmapSquare(1, 0x40, 20)).place(1, 1).showFrame();
        const QImage image = render(movie);
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(near(image.pixelColor(8, 8), QColor(255, 127, 127))) << image.pixelColor(8, 8).name().toStdString();
    }
}

TEST(SwfBitmaps, AMissingBitmapFillsNothing)
{
    swftest::Movie movie;
    movie.tag(2, bitmapSquare(1, 0x40, 20)).place(1, 1).showFrame();
    const QImage image = render(movie);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::white));
}

TEST(SwfStaticText, GlyphsOfAnEmbeddedFontAreDrawnInTheRecordColour)
{
    // Font 3 with one glyph: a square filling the em above the baseline (1024 units).
    swftest::ShapeRecords glyph;
    glyph.moveStyles(0, -1024, 0, 1, 0).lineBy(1024, 0).lineBy(0, 1024).lineBy(-1024, 0).lineBy(0, -1024);
    const Bytes glyphBytes = glyph.finish();
    Bytes font;
    font.u16(3).u16(2).append(glyphBytes);

    // Text 4: two copies of glyph 0, 400 twips (20 px) high, 600 twips apart, baseline at y=1000.
    Bytes text;
    text.u16(4).rect(0, 2000, 0, 2000).matrix(0, 0).u8(8).u8(16);
    text.u8(0x8F).u16(3).rgb(QColor(0, 0, 255)).u16(200).u16(1000).u16(400);
    text.u8(2).bits(0, 8).sbits(600, 16).bits(0, 8).sbits(600, 16).align();
    text.u8(0);

    swftest::Movie movie;
    movie.tag(10, font).tag(11, text).place(1, 4).showFrame();
    const QImage image = render(movie);
    ASSERT_FALSE(image.isNull());
    // The first glyph spans 200..600 twips across (10..30 px) and 600..1000 down (30..50 px).
    EXPECT_EQ(image.pixelColor(20, 40), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(50, 40), QColor(0, 0, 255)) << "second glyph after the advance";
    EXPECT_EQ(image.pixelColor(35, 40), QColor(Qt::white)) << "gap between the glyphs";
    EXPECT_EQ(image.pixelColor(20, 60), QColor(Qt::white)) << "below the baseline";
}

} // namespace
