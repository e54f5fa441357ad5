// Movies drawn as the reference player draws them, where a movie author would see the
// difference. Each movie is made with the project's writer.

#include "swf/Movie.h"
#include "swfwriter/MovieBuilder.h"

#include <gtest/gtest.h>

namespace w = swf::write;

namespace {

constexpr w::Rgba kRed{255, 0, 0, 255};
constexpr w::Rgba kGreen{0, 255, 0, 255};
constexpr w::Rgba kBlue{0, 0, 255, 255};

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
