// What the writer writes, the reader reads back: shape records and styles of every
// shape version, and whole movies with their display-list tags, sprites and morphs.

#include "swf/ByteReader.h"
#include "swf/Movie.h"
#include "swf/Shape.h"
#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <numbers>

namespace w = swf::write;

namespace {

std::shared_ptr<const swf::Movie> readBack(const w::MovieBuilder& movie)
{
    const std::vector<std::uint8_t> bytes = movie.encode();
    return swf::Movie::load(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

QColor toQColor(w::Rgba c, bool alpha)
{
    return QColor(c.r, c.g, c.b, alpha ? c.a : 255);
}

QTransform toQTransform(const w::Matrix& m)
{
    return QTransform(m.scaleX, m.rotateSkew0, m.rotateSkew1, m.scaleY, m.translateX, m.translateY);
}

void expectSameTransform(const QTransform& read, const w::Matrix& written)
{
    const QTransform expected = toQTransform(written);
    constexpr double kStep = 1.0 / 65536.0;
    EXPECT_NEAR(read.m11(), expected.m11(), kStep);
    EXPECT_NEAR(read.m12(), expected.m12(), kStep);
    EXPECT_NEAR(read.m21(), expected.m21(), kStep);
    EXPECT_NEAR(read.m22(), expected.m22(), kStep);
    EXPECT_EQ(read.dx(), expected.dx());
    EXPECT_EQ(read.dy(), expected.dy());
}

w::Shape sampleShape()
{
    w::ShapeBuilder builder;
    w::FillGradient gradient;
    gradient.stops = {{0, {255, 0, 0, 200}}, {128, {0, 255, 0, 255}}, {255, {0, 0, 255, 100}}};
    const std::uint32_t solid = builder.addFill(w::Fill::solid({10, 20, 30, 40}));
    const std::uint32_t linear = builder.addFill(w::Fill::linear(w::Matrix::gradientBox({0, 800, 0, 400}, 0.3), gradient));
    w::Line line;
    line.width = 60;
    line.color = {200, 100, 50, 150};
    line.startCap = w::CapStyle::None;
    line.endCap = w::CapStyle::Square;
    const std::uint32_t pen = builder.addLine(line);
    builder.polygon({{0, 0}, {800, 0}, {800, 400}, {0, 400}}, linear, pen);
    builder.polygon({{100, 100}, {100, 300}, {300, 300}}, solid);
    builder.moveTo({-70000, 5});
    builder.setStyles(solid, 0, pen);
    builder.lineTo({70000, -3});
    builder.curveTo({0, 9000}, {-70000, 5});
    builder.ellipse({400, 200}, 90, 60, solid);
    return builder.shape();
}

// The writer's records as absolute pen positions, the way the reader keeps them.
std::vector<QPointF> anchors(const std::vector<w::ShapeElement>& records)
{
    std::vector<QPointF> points;
    QPointF pen;
    for (const w::ShapeElement& record : records) {
        if (const auto* change = std::get_if<w::StyleChange>(&record)) {
            if (change->moveTo)
                pen = QPointF(change->moveTo->x, change->moveTo->y);
        } else if (const auto* edge = std::get_if<w::StraightEdge>(&record)) {
            pen += QPointF(edge->dx, edge->dy);
        } else {
            const auto& curve = std::get<w::CurvedEdge>(record);
            pen += QPointF(curve.controlDx + curve.anchorDx, curve.controlDy + curve.anchorDy);
        }
        points.push_back(pen);
    }
    return points;
}

} // namespace

TEST(SwfRoundTrip, ShapeRecordsAndStylesOfEveryVersionReadBackAsWritten)
{
    const w::Shape shape = sampleShape();
    for (const w::ShapeVersion version :
         {w::ShapeVersion::Shape1, w::ShapeVersion::Shape2, w::ShapeVersion::Shape3, w::ShapeVersion::Shape4}) {
        const int v = static_cast<int>(version);
        w::ByteWriter out;
        w::writeShapeWithStyle(out, shape, version);
        const std::vector<std::uint8_t> bytes = out.take();
        swf::ByteReader reader(bytes);
        std::vector<swf::StyleTable> tables(1);
        tables[0].fills = swf::readFillStyles(reader, v);
        tables[0].lines = swf::readLineStyles(reader, v);
        std::vector<swf::ShapeRecord> records;
        ASSERT_TRUE(swf::readShapeRecords(reader, swf::ShapeReadContext{v, 1u << 20}, records, tables)) << v;
        EXPECT_TRUE(reader.atEnd()) << v;

        const bool alpha = version >= w::ShapeVersion::Shape3;
        ASSERT_EQ(tables[0].fills.size(), 2u);
        EXPECT_EQ(tables[0].fills[0].colour, toQColor({10, 20, 30, 40}, alpha));
        EXPECT_EQ(tables[0].fills[1].kind, swf::FillStyle::Kind::Linear);
        ASSERT_EQ(tables[0].fills[1].gradient.stops.size(), 3u);
        EXPECT_EQ(tables[0].fills[1].gradient.stops[2].first, 255);
        EXPECT_EQ(tables[0].fills[1].gradient.stops[2].second, toQColor({0, 0, 255, 100}, alpha));
        ASSERT_EQ(tables[0].lines.size(), 1u);
        EXPECT_EQ(tables[0].lines[0].width, 60.0);
        // Caps are a LINESTYLE2 matter; earlier lines are round at both ends.
        EXPECT_EQ(tables[0].lines[0].cap, version == w::ShapeVersion::Shape4 ? Qt::FlatCap : Qt::RoundCap) << v;
        EXPECT_EQ(tables[0].lines[0].endCap, version == w::ShapeVersion::Shape4 ? Qt::SquareCap : Qt::RoundCap) << v;

        ASSERT_EQ(records.size(), shape.records.size()) << v;
        const std::vector<QPointF> expected = anchors(shape.records);
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (const auto* change = std::get_if<w::StyleChange>(&shape.records[i])) {
                ASSERT_EQ(records[i].type, swf::ShapeRecord::Type::Style) << i;
                EXPECT_EQ(records[i].moves, change->moveTo.has_value()) << i;
                EXPECT_EQ(records[i].setsFill0, change->fill0.has_value()) << i;
                EXPECT_EQ(records[i].setsFill1, change->fill1.has_value()) << i;
                EXPECT_EQ(records[i].setsLine, change->line.has_value()) << i;
                EXPECT_EQ(records[i].fill0, static_cast<int>(change->fill0.value_or(0))) << i;
                EXPECT_EQ(records[i].fill1, static_cast<int>(change->fill1.value_or(0))) << i;
                EXPECT_EQ(records[i].line, static_cast<int>(change->line.value_or(0))) << i;
                if (!change->moveTo)
                    continue;
            } else {
                EXPECT_EQ(records[i].type, std::holds_alternative<w::CurvedEdge>(shape.records[i])
                                               ? swf::ShapeRecord::Type::Curve
                                               : swf::ShapeRecord::Type::Straight)
                    << i;
            }
            EXPECT_EQ(records[i].anchor, expected[i]) << "record " << i << " version " << v;
        }
    }
}

TEST(SwfRoundTrip, MovieHeaderPlacementsSpritesAndMorphsReadBackAsWritten)
{
    for (const w::Compression compression : {w::Compression::None, w::Compression::Zlib}) {
        w::MovieBuilder movie({10, {0, 11895, 0, 5535}, 24.5, compression});
        movie.setBackgroundColor({1, 2, 3, 255});
        const std::uint16_t shape = movie.defineShape(sampleShape(), w::ShapeVersion::Shape4);

        w::MorphShape morph;
        morph.fills = {w::MorphFill{w::FillKind::Solid, {255, 0, 0, 255}, {0, 0, 255, 128}, {}, {}, {}}};
        w::StyleChange start;
        start.moveTo = w::Point{0, 0};
        start.fill1 = 1;
        w::StyleChange end;
        end.moveTo = w::Point{50, 50};
        morph.startRecords = {start, w::StraightEdge{100, 0}, w::StraightEdge{0, 100}, w::StraightEdge{-100, -100}};
        morph.endRecords = {end, w::StraightEdge{300, 0}, w::CurvedEdge{0, 150, 0, 150}, w::StraightEdge{-300, -300}};
        const std::uint16_t morphId = movie.defineMorphShape(morph);

        w::TimelineBuilder spin;
        for (int i = 0; i < 3; ++i) {
            w::PlaceObject p;
            p.depth = 1;
            if (i == 0)
                p.characterId = shape;
            else
                p.move = true;
            p.matrix = w::Matrix::rotation(i * 0.4, 10 * i, -7 * i, 0.75);
            spin.place(p);
            spin.showFrame();
        }
        const std::uint16_t sprite = movie.defineSprite(spin);

        w::PlaceObject first;
        first.depth = 3;
        first.characterId = sprite;
        first.matrix = w::Matrix::translation(4000, -200);
        first.colorTransform = w::CxForm::tint({255, 128, 0, 255});
        first.clipDepth = 9;
        movie.root().place(first);
        w::PlaceObject second;
        second.depth = 4;
        second.characterId = morphId;
        second.ratio = 32768;
        second.colorTransform = w::CxForm::opacity(0.25);
        movie.root().add(w::placeObject3(second));
        movie.root().showFrame();
        movie.root().remove(3);
        movie.root().showFrame();

        const auto read = readBack(movie);
        ASSERT_TRUE(read);
        EXPECT_FALSE(read->truncated);
        EXPECT_EQ(read->version, 10);
        EXPECT_EQ(read->stage, QRect(0, 0, 11895, 5535));
        EXPECT_EQ(read->frameRate, 24.5);
        EXPECT_EQ(read->declaredFrames, 2);
        EXPECT_EQ(read->background, QColor(1, 2, 3));
        ASSERT_EQ(read->timeline.frames.size(), 2u);

        const auto& commands = read->timeline.frames[0].commands;
        ASSERT_EQ(commands.size(), 2u);
        EXPECT_EQ(commands[0].depth, 3);
        EXPECT_EQ(commands[0].character, sprite);
        ASSERT_TRUE(commands[0].matrix);
        expectSameTransform(*commands[0].matrix, *first.matrix);
        ASSERT_TRUE(commands[0].colour);
        EXPECT_EQ(commands[0].colour->mult, (std::array<double, 4>{0, 0, 0, 1}));
        EXPECT_EQ(commands[0].colour->add, (std::array<double, 4>{255, 128, 0, 0}));
        EXPECT_EQ(commands[0].clipDepth, 9);
        EXPECT_EQ(commands[1].character, morphId);
        EXPECT_EQ(commands[1].ratio, 32768);
        ASSERT_TRUE(commands[1].colour);
        EXPECT_EQ(commands[1].colour->mult[3], 0.25);
        ASSERT_EQ(read->timeline.frames[1].commands.size(), 1u);
        EXPECT_TRUE(read->timeline.frames[1].commands[0].remove);
        EXPECT_EQ(read->timeline.frames[1].commands[0].depth, 3);

        const auto* spriteRead = std::get_if<swf::SpriteCharacter>(read->character(sprite));
        ASSERT_TRUE(spriteRead);
        ASSERT_EQ(spriteRead->timeline.frames.size(), 3u);
        for (int i = 1; i < 3; ++i) {
            const auto& move = spriteRead->timeline.frames[static_cast<std::size_t>(i)].commands.at(0);
            EXPECT_TRUE(move.move);
            expectSameTransform(*move.matrix, w::Matrix::rotation(i * 0.4, 10 * i, -7 * i, 0.75));
        }

        const auto* morphRead = std::get_if<swf::MorphCharacter>(read->character(morphId));
        ASSERT_TRUE(morphRead);
        ASSERT_EQ(morphRead->start.size(), morph.startRecords.size());
        ASSERT_EQ(morphRead->end.size(), morph.endRecords.size());
        EXPECT_EQ(morphRead->end.back().anchor, QPointF(50, 50));
        EXPECT_EQ(morphRead->end[2].control, QPointF(350, 200));
        EXPECT_EQ(morphRead->fills.at(0).second.colour, QColor(0, 0, 255, 128));
    }
}
