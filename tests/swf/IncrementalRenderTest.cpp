// Drawing only what a frame changed must leave on the target, to the byte, what drawing the
// whole frame gives: every movie here is played frame by frame through one renderer that
// keeps its pictures, and each frame compared with a fresh renderer's whole drawing of it.

#include "swf/FlatRows.h"
#include "swf/Movie.h"
#include "swf/PixelCopy.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"
#include "swfwriter/MovieBuilder.h"
#include "swfwriter/ShapeBuilder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <set>

namespace {

using namespace swf::write;

// What may happen between two frames besides the movie running on.
struct Event {
    int atFrame;
    QSize size;
    QColor background;
};

QString differences(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    int count = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0)
                first = QPoint(x, y);
    return QStringLiteral("%1 pixels differ, the first at (%2, %3)").arg(count).arg(first.x()).arg(first.y());
}

// How many frames had only part of them drawn, and how many of those started from the
// picture of the layers that stayed still.
struct Drawn {
    int partial = 0;
    int fromSettled = 0;
    // Where each frame was drawn.
    std::set<const uchar*> frameMemory;
    // Fills that moved the coverage kept from the frame before.
    std::size_t moved = 0;
};

// Plays frames of the movie.
Drawn expectIncrementalEqualsWhole(const swf::Movie& movie, int frames, const std::vector<Event>& events,
                                   const QString& name, const swf::FrameMemory& memory = {})
{
    swf::TimelinePlayer player(movie, movie.timeline);
    swf::Renderer kept(movie);
    kept.setFrameMemory(memory);
    QSize size(397, 185);
    QColor background = movie.background.value_or(Qt::white);
    Drawn drawn;
    QImage held;
    for (int frame = 0; frame < frames; ++frame) {
        for (const Event& event : events) {
            if (event.atFrame != frame)
                continue;
            if (event.size.isValid())
                size = event.size;
            if (event.background.isValid())
                background = event.background;
        }
        if (frame > 0)
            player.advance();
        // The last frame is held while the next is drawn, as the player's thread holds it
        // for the window, so that the renderer draws into the other frame it keeps.
        const QImage part = kept.renderImage(player, size, background, background);
        const QImage whole = swf::Renderer(movie).renderImage(player, size, background, background);
        if (part != whole) {
            ADD_FAILURE() << qPrintable(name) << ", frame " << frame << ": " << qPrintable(differences(part, whole));
            return drawn;
        }
        if (kept.changed() != QRegion(part.rect()) && !kept.changed().isEmpty()) {
            ++drawn.partial;
            drawn.fromSettled += kept.settledBelow() > 0 ? 1 : 0;
        }
        drawn.frameMemory.insert(part.constBits());
        drawn.moved += kept.fillsMoved();
        held = part;
    }
    return drawn;
}

std::shared_ptr<const swf::Movie> loaded(const std::vector<std::uint8_t>& bytes)
{
    return swf::Movie::load(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

Shape square(Rgba colour, int side, std::optional<Line> line = {})
{
    ShapeBuilder shape;
    const auto fill = shape.addFill(Fill::solid(colour));
    const auto stroke = line ? shape.addLine(*line) : 0;
    shape.polygon({{0, 0}, {side, 0}, {side, side}, {0, side}}, fill, stroke);
    return shape.shape();
}

// An object placed on the first frame and moved on every later one.
PlaceObject placedThenMoved(int frame, std::uint16_t depth, std::uint16_t id, const Matrix& matrix)
{
    PlaceObject place;
    place.depth = depth;
    place.move = frame > 0;
    if (frame == 0)
        place.characterId = id;
    place.matrix = matrix;
    return place;
}

// Ends the frame; the last of frames jumps back to the first.
void showFrame(TimelineBuilder& root, int frame, int frames)
{
    if (frame == frames - 1)
        root.add(doAction({GotoFrame{0}, PlainAction{swf::ActionCode::Play}}));
    root.showFrame();
}

// Every kind of change a display list goes through, frame after frame: a sprite looping
// inside a moving sprite, a morph, a mask sliding over its content, a colour transform
// fading, objects placed, replaced and removed, strokes with miter joins, and a jump back to
// the first frame that rebuilds the list.
std::vector<std::uint8_t> everythingMoves()
{
    MovieBuilder movie({10, {0, 0, 8000, 4000}, 24.0, Compression::None});
    movie.setBackgroundColor({250, 240, 220, 255});
    Line miter;
    miter.width = 60;
    miter.color = {20, 20, 120, 255};
    miter.join = JoinStyle::Miter;
    miter.miterLimit = 4;
    const auto red = movie.defineShape(square({200, 30, 30, 255}, 600, miter));
    const auto green = movie.defineShape(square({30, 160, 60, 200}, 900));
    ShapeBuilder gradient;
    const auto fill = gradient.addFill(Fill::radial(Matrix::gradientBox({0, 0, 1200, 1200}),
                                                    {SpreadMode::Pad, InterpolationMode::Normal,
                                                     {{0, {255, 255, 0, 255}}, {255, {0, 0, 160, 255}}}}));
    gradient.ellipse({600, 600}, 600, 600, fill);
    const auto ball = movie.defineShape(gradient.shape());

    TimelineBuilder spin;
    for (int i = 0; i < 5; ++i) {
        PlaceObject place;
        place.depth = 1;
        place.move = i > 0;
        if (i == 0)
            place.characterId = red;
        place.matrix = Matrix::rotation(i * 0.4, 300, 300);
        spin.place(place);
        spin.showFrame();
    }
    const auto spinner = movie.defineSprite(spin);

    MorphShape morph;
    MorphFill morphFill;
    morphFill.startColor = {0, 120, 200, 255};
    morphFill.endColor = {200, 0, 120, 128};
    morph.fills.push_back(morphFill);
    const auto records = [](int reach, bool start) {
        std::vector<ShapeElement> out;
        StyleChange change;
        change.moveTo = Point{0, 0};
        if (start)
            change.fill1 = 1;
        out.emplace_back(change);
        out.emplace_back(StraightEdge{reach, 0});
        out.emplace_back(CurvedEdge{0, reach, -reach, 0});
        out.emplace_back(StraightEdge{0, -reach});
        return out;
    };
    morph.startRecords = records(500, true);
    morph.endRecords = records(1400, false);
    const auto morphId = movie.defineMorphShape(morph);

    TimelineBuilder& root = movie.root();
    constexpr int kFrames = 16;
    for (int frame = 0; frame < kFrames; ++frame) {
        const double t = double(frame) / kFrames;
        const auto at = [frame](std::uint16_t depth, std::uint16_t id, const Matrix& matrix) {
            return placedThenMoved(frame, depth, id, matrix);
        };
        PlaceObject fading = at(1, ball, Matrix::translation(200 + frame * 333, 1400));
        fading.colorTransform = CxForm::opacity(1.0 - t * 0.8);
        root.place(fading);
        PlaceObject mask = at(2, green, Matrix::translation(4000 + frame * 150, 200 + frame * 90));
        if (frame == 0)
            mask.clipDepth = 3;
        root.place(mask);
        root.place(at(3, spinner, Matrix::rotation(t * std::numbers::pi, 4300, 500, 1.3)));
        PlaceObject growing = at(4, morphId, Matrix::translation(1000, 2200));
        growing.ratio = std::uint16_t(t * 65535);
        root.place(growing);

        // Now and then a square comes and goes, or another takes its depth.
        if (frame % 5 == 1) {
            PlaceObject place;
            place.depth = 5;
            place.characterId = frame % 2 == 0 ? red : green;
            place.matrix = Matrix::translation(6500, 2500 - frame * 40);
            root.place(place);
        } else if (frame % 5 == 3) {
            root.remove(5);
        }
        showFrame(root, frame, kFrames);
    }
    return movie.encode();
}

TEST(IncrementalRender, EveryKindOfChangeDrawsWhatAWholeRedrawDraws)
{
    const auto movie = loaded(everythingMoves());
    ASSERT_TRUE(movie);
    // Twice round, with a resize and a new background on the way.
    const Drawn drawn = expectIncrementalEqualsWhole(
        *movie, 40, {{10, QSize(500, 240), {}}, {25, {}, QColor(0, 0, 0)}}, QStringLiteral("everything moves"));
    // Most frames must have been drawn in part: the test is of nothing otherwise.
    EXPECT_GT(drawn.partial, 30);
}

// A gradient backdrop and a looping sprite that stay still for a while, under squares that
// move every frame; then the backdrop moves, goes, and comes back as another shape, and the
// movie jumps back to its start.
std::vector<std::uint8_t> stillBackdrop()
{
    MovieBuilder movie({10, {0, 0, 8000, 4000}, 24.0, Compression::None});
    movie.setBackgroundColor({250, 240, 220, 255});
    ShapeBuilder gradient;
    const auto fill = gradient.addFill(Fill::linear(Matrix::gradientBox({0, 0, 7000, 3000}),
                                                    {SpreadMode::Reflect, InterpolationMode::Normal,
                                                     {{0, {255, 200, 0, 255}}, {255, {0, 60, 160, 160}}}}));
    gradient.polygon({{0, 0}, {7000, 0}, {7000, 3000}, {0, 3000}}, fill);
    const auto backdrop = movie.defineShape(gradient.shape());
    const auto red = movie.defineShape(square({200, 30, 30, 255}, 600));
    const auto green = movie.defineShape(square({30, 160, 60, 120}, 900));

    TimelineBuilder blink;
    for (int i = 0; i < 3; ++i) {
        if (i == 0) {
            PlaceObject place;
            place.depth = 1;
            place.characterId = green;
            blink.place(place);
        } else if (i == 2) {
            blink.remove(1);
        }
        blink.showFrame();
    }
    const auto blinker = movie.defineSprite(blink);

    TimelineBuilder& root = movie.root();
    constexpr int kFrames = 24;
    for (int frame = 0; frame < kFrames; ++frame) {
        const auto place = [&root](std::uint16_t depth, std::uint16_t id, const Matrix& matrix) {
            PlaceObject object;
            object.depth = depth;
            object.characterId = id;
            object.matrix = matrix;
            root.place(object);
        };
        if (frame == 0)
            place(1, backdrop, Matrix::translation(500, 500));
        if (frame == 0)
            place(2, blinker, Matrix::translation(6500, 2800));
        if (frame == 8) {
            PlaceObject moved;
            moved.depth = 1;
            moved.move = true;
            moved.matrix = Matrix::translation(600, 450);
            root.place(moved);
        }
        if (frame == 14)
            root.remove(1);
        if (frame == 17)
            place(1, green, Matrix::rotation(0.3, 450, 450, 3.0));
        PlaceObject moving;
        moving.depth = 3;
        moving.move = frame > 0;
        if (frame == 0)
            moving.characterId = red;
        moving.matrix = Matrix::translation(300 + frame * 270, 1200 + frame * 50);
        root.place(moving);
        showFrame(root, frame, kFrames);
    }
    return movie.encode();
}

TEST(IncrementalRender, LayersThatStayStillAreTakenFromTheirPictureAsDrawnWhole)
{
    const auto movie = loaded(stillBackdrop());
    ASSERT_TRUE(movie);
    const Drawn drawn = expectIncrementalEqualsWhole(
        *movie, 60, {{30, QSize(500, 240), {}}, {40, {}, QColor(0, 0, 0)}}, QStringLiteral("still backdrop"));
    // The picture must have served most frames drawn in part: the test is of nothing otherwise.
    EXPECT_GT(drawn.fromSettled, 30);
}

// At the stage's own size, where 20 twips are a pixel: objects that move by whole pixels,
// turned, stroked or filled with a gradient, one that moves by a pixel and a half, and a
// bar standing still over them all that only part of is drawn again each frame. The movie
// jumps back to its start, a move of many pixels.
std::vector<std::uint8_t> wholePixelMoves()
{
    MovieBuilder movie({10, {0, 0, 8000, 4000}, 24.0, Compression::None});
    movie.setBackgroundColor({250, 240, 220, 255});
    Line line;
    line.width = 50;
    line.color = {20, 20, 120, 255};
    const auto red = movie.defineShape(square({200, 30, 30, 255}, 600));
    const auto outlined = movie.defineShape(square({30, 160, 60, 200}, 700, line));
    const auto bar = movie.defineShape(square({40, 40, 200, 90}, 1000));
    ShapeBuilder gradient;
    const auto fill = gradient.addFill(Fill::linear(Matrix::gradientBox({0, 0, 1200, 800}),
                                                    {SpreadMode::Pad, InterpolationMode::Normal,
                                                     {{0, {255, 255, 0, 255}}, {255, {0, 0, 160, 140}}}}));
    gradient.ellipse({600, 400}, 600, 400, fill);
    const auto ball = movie.defineShape(gradient.shape());

    TimelineBuilder& root = movie.root();
    constexpr int kFrames = 20;
    for (int frame = 0; frame < kFrames; ++frame) {
        const auto at = [&root, frame](std::uint16_t depth, std::uint16_t id, const Matrix& matrix) {
            root.place(placedThenMoved(frame, depth, id, matrix));
        };
        at(1, red, Matrix::translation(300 + frame * 40, 1200 + frame * 20));
        at(2, ball, Matrix::translation(6000 - frame * 20, 2400));
        Matrix turned = Matrix::rotation(0.5, 350, 350);
        turned.translateX += 1000 + frame * 100;
        turned.translateY += 300 + frame * 60;
        at(3, outlined, turned);
        at(4, red, Matrix::translation(5000 + frame * 30, 500));
        if (frame == 0) {
            Matrix wide = Matrix::translation(0, 1500);
            wide.scaleX = 8.0;
            at(5, bar, wide);
        }
        showFrame(root, frame, kFrames);
    }
    return movie.encode();
}

TEST(IncrementalRender, CoverageMovedByWholePixelsDrawsWhatAWholeRedrawDraws)
{
    const auto movie = loaded(wholePixelMoves());
    ASSERT_TRUE(movie);
    const Drawn drawn = expectIncrementalEqualsWhole(
        *movie, 45, {{0, QSize(400, 200), {}}, {30, {}, QColor(0, 0, 0)}}, QStringLiteral("whole-pixel moves"));
    // Four fills a frame move, but for the first two and the jump back: the test is of
    // nothing otherwise.
    EXPECT_GT(drawn.moved, 100u);
}

TEST(IncrementalRender, FramesAreDrawnInTheMemoryTheTakerGivesWhereItGivesAny)
{
    const auto movie = loaded(everythingMoves());
    ASSERT_TRUE(movie);
    // Three blocks, as a presenter keeps: the two frames and the one the screen still reads.
    // Each goes back when the last copy of its image goes.
    std::array<std::vector<uchar>, 3> blocks;
    std::array<bool, 3> inUse{};
    std::set<const uchar*> given;
    const auto taken = [](void* flag) { *static_cast<bool*>(flag) = false; };
    const swf::FrameMemory blocksOfOurs = [&](const QSize& size, QImage::Format format) {
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (inUse[i])
                continue;
            inUse[i] = true;
            blocks[i].resize(std::size_t(size.width()) * 4 * std::size_t(size.height()));
            given.insert(blocks[i].data());
            return QImage(blocks[i].data(), size.width(), size.height(), size.width() * 4, format, taken, &inUse[i]);
        }
        return QImage();
    };
    const std::vector<Event> resized = {{12, QSize(420, 200), {}}, {20, {}, QColor(0, 0, 80)}};
    const Drawn drawn = expectIncrementalEqualsWhole(*movie, 30, resized, QStringLiteral("taker's memory"), blocksOfOurs);
    EXPECT_GE(drawn.frameMemory.size(), 2u);
    for (const uchar* frame : drawn.frameMemory)
        EXPECT_TRUE(given.count(frame)) << "a frame was drawn outside the memory given";

    // Memory that gives none, or the wrong size, leaves the frames to the heap.
    for (const auto& other : {swf::FrameMemory([](const QSize&, QImage::Format) { return QImage(); }),
                              swf::FrameMemory([](const QSize& size, QImage::Format format) {
                                  return QImage(size / 2, format);
                              })})
        expectIncrementalEqualsWhole(*movie, 30, resized, QStringLiteral("no memory given"), other);
}

TEST(IncrementalRender, TheSampleAndProgramMoviesDrawWhatAWholeRedrawDraws)
{
    QStringList files;
    for (const char* dir : {SWF_CONFORMANCE_DIR, SOMNARA_SAMPLE_DIR})
        for (const QFileInfo& file : QDir(QString::fromLocal8Bit(dir)).entryInfoList({QStringLiteral("*.swf")}))
            files << file.filePath();
    for (const char* name : {"Pendulum.swf", "BoxUpward.swf", "BoxDownward.swf"})
        files << QDir(QStringLiteral(SOMNARA_MOVIE_DIR)).filePath(QString::fromLatin1(name));
    ASSERT_GT(files.size(), 30);
    for (const QString& file : files) {
        const auto movie = swf::Movie::loadFile(file);
        ASSERT_TRUE(movie) << qPrintable(file);
        // Past the first loop, so that every movie's jump back to its start is drawn too.
        const int frames = std::min(int(movie->timeline.frames.size()) + 6, 70);
        expectIncrementalEqualsWhole(*movie, frames, {{frames / 2, QSize(320, 200), {}}}, QFileInfo(file).fileName());
    }
}

// The backdrop a frame starts from is copied with its one-coloured runs filled: the copy must
// be the picture's bytes wherever the rectangle meets a run, and a picture of another size
// than the one measured is copied as it is.
TEST(IncrementalRender, ABackdropCopiedWithItsFlatRunsFilledIsThePicturesBytes)
{
    constexpr int kWidth = 100;
    QImage picture(kWidth, 6, QImage::Format_ARGB32_Premultiplied);
    const auto varied = [](int x, int y) { return qRgba(x, y * 40, (x * 7) & 0xff, 255); };
    const QRgb flat = qRgba(10, 20, 30, 255);
    // Per row, where its run of the flat colour lies: the whole row, the middle, the start,
    // the end, nowhere, and a short run before the longer one.
    const std::array<std::vector<std::pair<int, int>>, 6> runs{{
        {{0, kWidth}}, {{20, 80}}, {{0, 50}}, {{60, kWidth}}, {}, {{5, 20}, {40, 90}}}};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < kWidth; ++x) {
            const auto& row = runs[static_cast<std::size_t>(y)];
            const bool inRun = std::any_of(row.begin(), row.end(), [x](auto run) { return x >= run.first && x < run.second; });
            picture.setPixel(x, y, inRun ? flat : varied(x, y));
        }
    swf::FlatRows rows;
    rows.measure(picture);
    const QImage other = picture.scaled(kWidth / 2, 6);
    const std::vector<QRect> rects{QRect(0, 0, kWidth, 6), QRect(0, 0, 30, 6),  QRect(30, 0, 70, 6),
                                   QRect(25, 1, 40, 4),     QRect(85, 0, 15, 6), QRect(19, 0, 1, 6),
                                   QRect(20, 0, 1, 6),      QRect(79, 0, 2, 6),  QRect(0, 5, kWidth, 1)};
    for (const QImage* from : std::array<const QImage*, 2>{&picture, &other})
        for (const QRect& rect : rects) {
            const QRect inside = rect & from->rect();
            QImage expected(from->size(), QImage::Format_ARGB32_Premultiplied);
            expected.fill(qRgba(1, 2, 3, 4));
            QImage copied = expected.copy();
            swf::copyPixels(*from, expected, inside);
            rows.copy(*from, copied, inside);
            EXPECT_EQ(copied, expected) << "width " << from->width() << ", rect " << rect.x() << "," << rect.y()
                                        << " " << rect.width() << "x" << rect.height();
        }
}

} // namespace
