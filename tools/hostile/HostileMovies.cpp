#include "hostile/HostileMovies.h"

#include "swfwriter/Bitmaps.h"
#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"
#include "swfwriter/Text.h"

#include <string_view>

namespace hostile {

namespace {

using namespace swf::write;
using swf::TagCode;

// The movie window's picture, 793 x 369 pixels, in twips: every crafted movie fills it.
constexpr std::int32_t kWidth = 793 * 20;
constexpr std::int32_t kHeight = 369 * 20;

MovieBuilder newMovie()
{
    return MovieBuilder(MovieHeader{10, Rect{0, kWidth, 0, kHeight}, 30.0, Compression::Zlib});
}

void placeAt(TimelineBuilder& timeline, std::uint16_t depth, std::uint16_t id, std::optional<std::uint16_t> ratio = {})
{
    PlaceObject place;
    place.depth = depth;
    place.characterId = id;
    place.ratio = ratio;
    timeline.place(place);
}

std::vector<std::uint8_t> oneFrame(MovieBuilder& movie)
{
    movie.root().showFrame();
    return movie.encode();
}

// Points alternately on the left and the right edge of the stage at heights that hop
// about it, so that every edge crosses the stage and most rows of pixels meet most edges.
std::vector<Point> crossingPoints(int count)
{
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto y = static_cast<std::int32_t>((std::int64_t{i} * 7919) % kHeight);
        points.push_back({i % 2 == 0 ? 0 : kWidth, y});
    }
    return points;
}

std::vector<std::uint8_t> crossingEdges(int count, bool stroked)
{
    MovieBuilder movie = newMovie();
    ShapeBuilder shape;
    const std::uint32_t fill = shape.addFill(Fill::solid({200, 40, 40, 255}));
    Line pen;
    pen.width = 40;
    pen.color = {0, 0, 80, 255};
    const std::uint32_t line = stroked ? shape.addLine(pen) : 0;
    shape.polygon(crossingPoints(count), fill, line);
    placeAt(movie.root(), 1, movie.defineShape(shape.shape()));
    return oneFrame(movie);
}

// A sawtooth along the stage: points alternately on two heights 100 pixel rows apart, a
// fraction of a pixel from one to the next, so that every edge is about 100 rows high and
// every row of the band meets every edge.
std::vector<std::uint8_t> zigzag(int edges)
{
    constexpr std::int32_t kTop = 100 * 20;
    constexpr std::int32_t kBottom = 200 * 20;
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(edges));
    for (int i = 0; i < edges; ++i) {
        const auto x = static_cast<std::int32_t>(std::int64_t{i} * kWidth / edges);
        points.push_back({x, i % 2 == 0 ? kTop : kBottom});
    }
    MovieBuilder movie = newMovie();
    ShapeBuilder shape;
    shape.polygon(points, shape.addFill(Fill::solid({40, 120, 200, 255})));
    placeAt(movie.root(), 1, movie.defineShape(shape.shape()));
    return oneFrame(movie);
}

// Each level places the level below twice: 2^29 squares asked for. Replacing, the second
// placement takes the first one's depth: few objects are alive at once, but as many are made.
std::vector<std::uint8_t> spriteTree(bool replacing)
{
    MovieBuilder movie = newMovie();
    ShapeBuilder square;
    square.polygon({{0, 0}, {400, 0}, {400, 400}, {0, 400}}, square.addFill(Fill::solid({40, 160, 40, 255})));
    std::uint16_t below = movie.defineShape(square.shape());
    for (int level = 1; level <= 30; ++level) {
        TimelineBuilder sprite;
        placeAt(sprite, 1, below);
        PlaceObject beside;
        beside.depth = replacing ? 1 : 2;
        beside.characterId = below;
        beside.matrix = Matrix::translation(level * 11, level * 7);
        sprite.place(beside);
        sprite.showFrame();
        below = movie.defineSprite(sprite);
    }
    placeAt(movie.root(), 1, below);
    return oneFrame(movie);
}

// count bitmaps of side x side pixels, the first drawn over the stage; each holds the
// packed pixels given.
std::vector<std::uint8_t> bitmaps(int count, int side, const std::vector<std::uint8_t>& packedPixels)
{
    MovieBuilder movie = newMovie();
    for (int i = 0; i < count; ++i)
        movie.root().add(losslessBitmap(static_cast<std::uint16_t>(1 + i), side, side, packedPixels));
    const auto shapeId = static_cast<std::uint16_t>(count + 1);
    movie.root().add(bitmapRectangle(shapeId, 1, {0, kWidth, 0, kHeight}));
    placeAt(movie.root(), 1, shapeId);
    return oneFrame(movie);
}

// Shapes of 65,535 gradient fills each, three bytes a fill: no matrix and no stops.
std::vector<std::uint8_t> gradientStyles()
{
    constexpr int kShapes = 101;
    constexpr int kFillsEach = 65535;
    MovieBuilder movie = newMovie();
    for (int shape = 1; shape <= kShapes; ++shape) {
        ByteWriter out;
        out.u16(static_cast<std::uint16_t>(shape));
        writeRect(out, {0, 400, 0, 400});
        out.u8(0xFF);
        out.u16(kFillsEach);
        for (int i = 0; i < kFillsEach; ++i) {
            out.u8(static_cast<std::uint8_t>(FillKind::LinearGradient));
            out.u8(0);
            out.u8(0);
        }
        out.u8(0);
        writeShapeRecords(out, {}, ShapeVersion::Shape3, 0, 0);
        movie.root().add({TagCode::DefineShape3, out.take()});
    }
    placeAt(movie.root(), 1, 1);
    return oneFrame(movie);
}

std::vector<std::uint8_t> textField(bool html, std::string_view text)
{
    MovieBuilder movie = newMovie();
    movie.root().add(squareFont(1, u" Iacelm.&"));
    // A word-wrapped, read-only field of several lines over the stage.
    EditText field;
    field.bounds = {0, kWidth, 0, kHeight};
    field.font = 1;
    field.wordWrap = field.multiline = field.readOnly = true;
    field.html = html;
    field.text = text;
    movie.root().add(defineEditText(2, field));
    placeAt(movie.root(), 1, 2);
    return oneFrame(movie);
}

std::string repeated(std::string_view piece, std::size_t bytes)
{
    std::string text;
    text.reserve(bytes);
    while (text.size() + piece.size() <= bytes)
        text += piece;
    return text;
}

// A morph of edges from one side of the stage to the other, the end shape mirroring the
// start, placed on many objects at one ratio.
std::vector<std::uint8_t> morphManyTimes(int edges, int objects)
{
    const auto records = [edges](bool mirrored) {
        std::vector<ShapeElement> out;
        std::vector<Point> points = crossingPoints(edges);
        if (mirrored)
            for (Point& p : points)
                p.y = kHeight - p.y;
        StyleChange start;
        start.moveTo = points.front();
        if (!mirrored)
            start.fill1 = 1;
        out.emplace_back(start);
        for (std::size_t i = 1; i <= points.size(); ++i) {
            const Point from = points[i - 1];
            const Point to = points[i % points.size()];
            out.emplace_back(StraightEdge{to.x - from.x, to.y - from.y});
        }
        return out;
    };
    MorphShape morph;
    MorphFill fill;
    fill.startColor = {200, 40, 40, 255};
    fill.endColor = {40, 40, 200, 255};
    morph.fills.push_back(fill);
    morph.startRecords = records(false);
    morph.endRecords = records(true);
    MovieBuilder movie = newMovie();
    const std::uint16_t id = movie.defineMorphShape(morph);
    for (int depth = 1; depth <= objects; ++depth)
        placeAt(movie.root(), static_cast<std::uint16_t>(depth), id, 0x8000);
    return oneFrame(movie);
}

} // namespace

const std::vector<HostileMovie>& hostileMovies()
{
    static const std::vector<HostileMovie> movies = {
        {"crossing-edges-5000.swf", "one shape, 5,000 edges crossing the stage",
         [] { return crossingEdges(5000, false); }},
        {"zigzag-edges-5000.swf", "one shape, a zigzag of 5,000 edges each about 100 rows high",
         [] { return zigzag(5000); }},
        {"stroked-edges-10000.swf", "10,000 stroked edges crossing the stage",
         [] { return crossingEdges(10000, true); }},
        {"stroked-edges-20000.swf", "20,000 stroked edges crossing the stage",
         [] { return crossingEdges(20000, true); }},
        {"stroked-edges-100000.swf", "100,000 stroked edges crossing the stage",
         [] { return crossingEdges(100000, true); }},
        {"sprite-tree-30.swf", "a binary tree of sprites 30 deep", [] { return spriteTree(false); }},
        {"sprite-tree-30-replacing.swf", "a binary tree of sprites 30 deep, each replacing its first child",
         [] { return spriteTree(true); }},
        {"empty-bitmaps-32.swf", "32 lossless bitmaps of 4096 x 4096 without data",
         [] { return bitmaps(32, 4096, {}); }},
        {"full-bitmaps-8.swf", "8 lossless bitmaps of 2048 x 2048, 16 MiB each decoded",
         [] { return bitmaps(8, 2048, zlibPacked(std::vector<std::uint8_t>(std::size_t{2048} * 2048 * 4, 0x80))); }},
        {"gradient-styles-6.6M.swf", "6.6 million gradient fill styles", gradientStyles},
        {"edit-text-40MB.swf", "a text field of 40 MB",
         [] { return textField(false, repeated("I am calm. ", 40'000'000)); }},
        {"html-ampersands-1M.swf", "an HTML text field of a million &",
         [] { return textField(true, std::string(1'000'000, '&')); }},
        {"html-ampersands-60k.swf", "an HTML text field of 60,000 &",
         [] { return textField(true, std::string(60'000, '&')); }},
        {"morph-300k-edges-50-times.swf", "a morph shape of 300,000 edges placed 50 times",
         [] { return morphManyTimes(300000, 50); }},
        {"morph-5000-edges-50-times.swf", "a morph shape of 5,000 edges placed 50 times",
         [] { return morphManyTimes(5000, 50); }},
    };
    return movies;
}

} // namespace hostile
