// Movies drawn as the reference player draws them, where a movie author would see the
// difference. Each movie is made with the project's writer.

#include "samples/LargePhotoMovie.h"
#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"
#include "swfwriter/Bitmaps.h"
#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"
#include "swfwriter/Text.h"

#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <optional>

namespace w = swf::write;

namespace {

constexpr w::Rgba kRed{255, 0, 0, 255};
constexpr w::Rgba kGreen{0, 255, 0, 255};
constexpr w::Rgba kBlue{0, 0, 255, 255};
constexpr w::Rgba kWhite{255, 255, 255, 255};

w::MovieBuilder stageOf(int width, int height)
{
    w::MovieHeader header;
    header.stage = {0, width * 20, 0, height * 20};
    return w::MovieBuilder(header);
}

std::shared_ptr<const swf::Movie> load(const std::vector<std::uint8_t>& bytes, const swf::Limits& limits = {})
{
    return swf::Movie::load(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
                            limits);
}

QImage firstFrame(const swf::Movie& movie, const QSize& size)
{
    const swf::TimelinePlayer player(movie, movie.timeline);
    return swf::renderFrame(movie, player, size, movie.background.value_or(Qt::white))
        .convertToFormat(QImage::Format_RGB32);
}

void place(w::TimelineBuilder& timeline, std::uint16_t id)
{
    w::PlaceObject place;
    place.characterId = id;
    timeline.place(place);
}

::testing::AssertionResult near(const QColor& actual, const QColor& expected, int tolerance)
{
    if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << actual.name().toStdString() << ", expected "
                                         << expected.name().toStdString();
}

} // namespace

TEST(SwfBackground, TheFirstColourSetHoldsForTheWholeMovie)
{
    w::MovieBuilder movie = stageOf(100, 100);
    for (const w::Rgba colour : {kRed, kGreen, kBlue}) {
        movie.setBackgroundColor(colour);
        movie.root().showFrame();
    }
    const auto loaded = load(movie.encode());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->background, QColor(Qt::red));
}

TEST(SwfGradientStops, StopsOutOfOrderOrSharingARatioMoveOnAStepAndThosePastTheEndAreDropped)
{
    // A linear gradient over the first 300 px of a stage 306 px wide; the last 6 px show the
    // gradient's final colour. Ratio r lies at r / 255 * 300 px.
    struct Probe {
        int x;
        QColor colour;
        // Beside a stop the colour table Qt draws gradients from is only so fine.
        int tolerance = 3;
    };
    struct Case {
        const char* why;
        std::vector<w::GradientStop> stops;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"red to 254, then blue one step on; green would lie past the end",
         {{254, kRed}, {0, kBlue}, {0, kGreen}},
         {{10, Qt::red}, {150, Qt::red}, {303, Qt::blue}}},
        {"three stops at 0 lie at 0, 1 and 2: red turns green over the first pixel, then blue",
         {{0, kRed}, {0, kGreen}, {0, kBlue}},
         {{0, QColor(128, 128, 0), 60}, {150, Qt::blue}, {303, Qt::blue}}},
        {"a stop before the one ahead of it follows it by a step",
         {{200, kRed}, {100, kBlue}, {255, kGreen}},
         {{10, Qt::red}, {240, QColor(0, 14, 241), 20}, {303, Qt::green}}},
        {"stops in order are left as they are",
         {{0, kRed}, {255, kBlue}},
         {{150, QColor(128, 0, 127)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        w::MovieBuilder movie = stageOf(306, 150);
        w::FillGradient gradient;
        gradient.stops = c.stops;
        w::ShapeBuilder builder;
        builder.polygon({{0, 0}, {6120, 0}, {6120, 3000}, {0, 3000}},
                        builder.addFill(w::Fill::linear(w::Matrix::gradientBox({0, 6000, 0, 3000}), gradient)));
        place(movie.root(), movie.defineShape(builder.shape()));
        movie.root().showFrame();
        const auto loaded = load(movie.encode());
        ASSERT_NE(loaded, nullptr);
        const QImage image = firstFrame(*loaded, QSize(306, 150));
        for (const Probe& probe : c.probes)
            EXPECT_TRUE(near(image.pixelColor(probe.x, 75), probe.colour, probe.tolerance)) << "at x = " << probe.x;
    }
}

TEST(SwfEditTextFlags, PasswordFieldsShowAsterisksAndFieldsWithoutOutlinesUseADeviceFont)
{
    struct Case {
        const char* why;
        std::u16string glyphs;
        bool password;
        bool useOutlines;
        bool drawn;
    };
    const Case cases[] = {
        {"a field draws its text with the font's glyphs", u"a", false, true, true},
        {"a password field draws an asterisk for each character", u"*", true, true, true},
        {"and not the characters themselves", u"a", true, true, false},
        {"a field without outlines uses a device font, which is not drawn", u"a", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        w::MovieBuilder movie = stageOf(100, 40);
        movie.setBackgroundColor(kWhite);
        movie.root().add(w::squareFont(1, c.glyphs));
        w::EditText field;
        field.bounds = {0, 2000, 0, 800};
        field.font = 1;
        field.height = 400;
        field.colour = w::Rgba{0, 0, 0, 255};
        field.password = c.password;
        field.useOutlines = c.useOutlines;
        field.text = "aa";
        movie.root().add(w::defineEditText(2, field));
        place(movie.root(), 2);
        movie.root().showFrame();
        const auto loaded = load(movie.encode());
        ASSERT_NE(loaded, nullptr);
        const QImage image = firstFrame(*loaded, QSize(100, 40));
        // Inside the first glyph's square, 4 to 11 px across and 4 to 17 px down.
        EXPECT_EQ(image.pixelColor(8, 10) == QColor(Qt::black), c.drawn);
    }
}

TEST(SwfLargeBitmaps, APhotographOfACamerasSizeIsDecodedAndDrawn)
{
    const auto movie = load(samples::largePhotoMovie());
    ASSERT_NE(movie, nullptr);
    const QImage photo = samples::largePhoto();
    const QSize stage = movie->stageSize();
    const QImage image = firstFrame(*movie, stage);
    for (const QPoint at : {QPoint(100, 100), QPoint(stage.width() / 2, stage.height() / 2), QPoint(800, 600)}) {
        const QColor expected = photo.pixelColor(at * samples::kPhotoWidth / stage.width());
        EXPECT_TRUE(near(image.pixelColor(at), expected, 6)) << "at " << at.x() << ", " << at.y();
    }
}

TEST(SwfLargeBitmaps, QtsOwnCapOnImageSizeDoesNotStandInForTheMovies)
{
    // A photograph past Qt's own cap (128 MiB unless a program sets another) takes seconds
    // to make; the cap lowered below this one's 37 MiB stands in for it.
    const int before = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(16);
    const auto movie = load(samples::largePhotoMovie(20));
    QImageReader::setAllocationLimit(before);
    ASSERT_NE(movie, nullptr);
    const auto* bitmap = std::get_if<swf::BitmapCharacter>(movie->character(1));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->image.size(), QSize(samples::kPhotoWidth, samples::kPhotoHeight));
}

TEST(SwfLargeBitmaps, ABitmapOfUpTo8192By8192PixelsFitsTheMoviesBudgets)
{
    struct Bitmap {
        int width;
        int height;
        bool kept;
    };
    struct Case {
        const char* why;
        std::vector<Bitmap> bitmaps;
        // The budget for decoded bitmaps, when not the movie's own.
        std::optional<std::size_t> imageBytes;
    };
    const Case cases[] = {
        {"the largest bitmap a movie may hold", {{8192, 8192, true}}, {}},
        {"a row more is past the cap on one bitmap", {{8192, 8193, false}}, {}},
        {"past the budget the next bitmap is left out", {{1, 1, true}, {1, 1, true}, {1, 1, false}}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        w::MovieBuilder movie = stageOf(100, 100);
        std::uint16_t id = 0;
        for (const Bitmap& bitmap : c.bitmaps) {
            // One row of pixels given: the rest of the bitmap is left transparent.
            const auto row = w::zlibPacked(std::vector<std::uint8_t>(static_cast<std::size_t>(bitmap.width) * 4, 0xFF));
            movie.root().add(w::losslessBitmap(++id, bitmap.width, bitmap.height, row));
        }
        movie.root().showFrame();
        swf::Limits limits;
        limits.maxImageBytes = c.imageBytes.value_or(limits.maxImageBytes);
        const auto loaded = load(movie.encode(), limits);
        ASSERT_NE(loaded, nullptr);
        id = 0;
        for (const Bitmap& bitmap : c.bitmaps)
            EXPECT_EQ(loaded->character(++id) != nullptr, bitmap.kept) << "bitmap " << id;
    }
}
