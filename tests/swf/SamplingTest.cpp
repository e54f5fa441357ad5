// Antialiasing as the reference player's high quality does it: four samples a pixel, so edges
// come out in quarter steps; colours read once at each pixel's centre; strokes thinner than
// a device pixel drawn a whole device pixel wide.

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"
#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"

#include <QImage>

#include <gtest/gtest.h>

namespace w = swf::write;

namespace {

constexpr w::Rgba kWhite{255, 255, 255, 255};
constexpr w::Rgba kRed{255, 0, 0, 255};
constexpr w::Rgba kBlue{0, 0, 255, 255};
constexpr w::Rgba kBlack{0, 0, 0, 255};

// A movie with a stage of 100 x 20 pixels on white.
w::MovieBuilder whiteStage()
{
    w::MovieHeader header;
    header.stage = {0, 2000, 0, 400};
    header.compression = w::Compression::None;
    w::MovieBuilder movie(header);
    movie.setBackgroundColor(kWhite);
    return movie;
}

QImage renderFirstFrame(const w::MovieBuilder& written)
{
    const std::vector<std::uint8_t> bytes = written.encode();
    const auto movie = swf::Movie::load(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    if (!movie)
        return {};
    const swf::TimelinePlayer player(*movie, movie->timeline);
    return swf::renderFrame(*movie, player, QSize(100, 20), Qt::white).convertToFormat(QImage::Format_RGB32);
}

// Character id at depth 1, scaled about the origin.
w::PlaceObject place(std::uint16_t id, double scale = 1.0)
{
    w::PlaceObject place;
    place.characterId = id;
    w::Matrix m;
    m.scaleX = m.scaleY = scale;
    place.matrix = m;
    return place;
}

// A black horizontal line width twips wide at height y across the shape, 4000 twips long.
w::Shape line(std::uint16_t width, std::int32_t y)
{
    w::ShapeBuilder builder;
    w::Line style;
    style.width = width;
    style.color = kBlack;
    const std::uint32_t pen = builder.addLine(style);
    builder.moveTo({0, y});
    builder.setStyles(0, 0, pen);
    builder.lineTo({4000, y});
    return builder.shape();
}

} // namespace

TEST(SwfSampling, AnEdgeCoversAPixelInQuarters)
{
    // A red square whose left edge lies 0.05, 0.3, 0.55 and 0.8 of the way into pixel 10: the
    // samples right of the edge (at 0.1875, 0.4375, 0.6875 and 0.9375 across) turn red.
    struct Case {
        std::int32_t edgeTwips;
        int redSamples;
    };
    for (const Case c : {Case{201, 4}, Case{206, 3}, Case{211, 2}, Case{216, 1}}) {
        w::MovieBuilder movie = whiteStage();
        w::ShapeBuilder builder;
        builder.polygon({{c.edgeTwips, 0}, {1000, 0}, {1000, 400}, {c.edgeTwips, 400}}, builder.addFill(w::Fill::solid(kRed)));
        movie.root().place(place(movie.defineShape(builder.shape())));
        movie.root().showFrame();
        const QImage image = renderFirstFrame(movie);
        ASSERT_FALSE(image.isNull());
        const int expectedGreen = (255 * (4 - c.redSamples) + 2) / 4;
        EXPECT_NEAR(image.pixelColor(10, 10).green(), expectedGreen, 1) << "edge at " << c.edgeTwips << " twips";
        EXPECT_EQ(image.pixelColor(9, 10), QColor(Qt::white));
        EXPECT_EQ(image.pixelColor(11, 10), QColor(Qt::red));
    }
}

TEST(SwfSampling, ColoursAreReadAtPixelCentresNotBlendedAcrossSamples)
{
    // A gradient that turns from red to blue over its step from ratio 127 to 128, which ends
    // 0.196 px into pixel 50: one sample of that pixel lies in the step, but its colour is
    // read at its centre, which is blue.
    w::MovieBuilder movie = whiteStage();
    w::FillGradient gradient;
    gradient.stops = {{0, kRed}, {127, kRed}, {128, kBlue}, {255, kBlue}};
    w::ShapeBuilder builder;
    builder.polygon({{0, 0}, {2000, 0}, {2000, 400}, {0, 400}},
                    builder.addFill(w::Fill::linear(w::Matrix::gradientBox({0, 2000, 0, 400}), gradient)));
    movie.root().place(place(movie.defineShape(builder.shape())));
    movie.root().showFrame();
    const QImage image = renderFirstFrame(movie);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(49, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(50, 10), QColor(Qt::blue));
}

TEST(SwfSampling, AStrokeIsAtLeastADevicePixelWide)
{
    // Each line lands on pixel row 10 (10.0 to 11.0 for a pixel-wide line).
    struct Case {
        const char* why;
        std::uint16_t width;
        bool inSprite;
        double scale;
        int expectedGrey;
    };
    const Case cases[] = {
        {"a 1-twip line on the stage is a whole pixel", 1, false, 1.0, 0},
        {"and stays one when the shape is scaled down on the stage", 1, false, 0.5, 0},
        {"in a sprite scaled to 0.73 it is still a whole pixel", 1, true, 0.73, 0},
        {"and in one scaled to half", 1, true, 0.5, 0},
        {"and in one scaled to 0.4", 1, true, 0.4, 0},
        {"a line two pixels wide in a sprite scaled to half is a whole pixel", 40, true, 0.5, 0},
    };
    for (const Case& c : cases) {
        w::MovieBuilder movie = whiteStage();
        // The line at 210 / scale twips in the shape comes to 210 twips (10.5 px) on the stage.
        const std::uint16_t shape = movie.defineShape(line(c.width, static_cast<std::int32_t>(210 / c.scale)));
        if (c.inSprite) {
            w::TimelineBuilder sprite;
            sprite.place(place(shape));
            sprite.showFrame();
            movie.root().place(place(movie.defineSprite(sprite), c.scale));
        } else {
            movie.root().place(place(shape, c.scale));
        }
        movie.root().showFrame();
        const QImage image = renderFirstFrame(movie);
        ASSERT_FALSE(image.isNull()) << c.why;
        EXPECT_NEAR(image.pixelColor(50, 10).red(), c.expectedGrey, 2) << c.why;
        EXPECT_EQ(image.pixelColor(50, 8), QColor(Qt::white)) << c.why;
        EXPECT_EQ(image.pixelColor(50, 12), QColor(Qt::white)) << c.why;
    }
}
