#include "movies/ColourBoxMovie.h"

#include "movies/MovieStage.h"
#include "swfwriter/ShapeBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace movies {

using namespace swf::write;
using namespace boxes;

namespace {

namespace design {
const Rgba Background{10, 13, 34};
const Rgba BackdropTop{26, 32, 74};
const Rgba BackdropBottom{7, 9, 26};

// Columns left to right: how many spacings each climbs per loop (its speed), which
// also sets how near it looks: size and opacity grow with speed.
constexpr std::array<int, kColumns> Speed = {1, 3, 2, 1, 3, 2, 1};
constexpr std::array<std::int32_t, 4> SizeBySpeed = {0, 950, 1150, 1350};
constexpr std::array<double, 4> OpacityBySpeed = {0, 0.72, 0.86, 1.0};
constexpr double Saturation = 0.55;
constexpr double Value = 1.0;
constexpr double SwayAmplitude = 0.08; // radians, under five degrees
// A box's centre lies this far below the stage when it starts its climb, so that it
// enters and leaves (and jumps back to the bottom) out of sight, turned or not.
constexpr std::int32_t HiddenMargin = 1000;

// The box itself is white, shaded top to bottom; a colour transform multiplies it by
// the box's colour. No outline: soft edges look calmer and cost a quarter less to draw.
constexpr std::int32_t ShapeSide = 1000;
constexpr std::int32_t CornerRadius = 220;
const Rgba ShadeTop{255, 255, 255};
const Rgba ShadeBottom{196, 196, 196};
} // namespace design

double fraction(double value)
{
    return value - std::floor(value);
}

// The column's head start along its travel, spread by the golden ratio so that no two
// columns keep step.
double columnPhase(int column)
{
    return fraction(column * 0.6180339887);
}

Shape boxShape()
{
    const std::int32_t half = design::ShapeSide / 2;
    const Rect box{-half, half, -half, half};
    FillGradient shade;
    shade.stops = {{0, design::ShadeTop}, {255, design::ShadeBottom}};
    ShapeBuilder builder;
    const std::uint32_t fill = builder.addFill(Fill::linear(verticalGradient(box), shade));
    builder.roundedRectangle(box, design::CornerRadius, fill);
    return builder.shape();
}

int loopFrame(int frame, BoxDirection direction)
{
    const int inLoop = ((frame % kLoopFrames) + kLoopFrames) % kLoopFrames;
    return direction == BoxDirection::Up ? inLoop : (kLoopFrames - inLoop) % kLoopFrames;
}

} // namespace

std::vector<BoxState> boxStates(int frame, BoxDirection direction)
{
    const double t = static_cast<double>(loopFrame(frame, direction)) / kLoopFrames;
    std::vector<BoxState> states;
    // Far (slow) columns first, so near ones pass in front.
    std::array<int, kColumns> order{};
    for (int c = 0; c < kColumns; ++c)
        order[static_cast<std::size_t>(c)] = c;
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        return design::Speed[static_cast<std::size_t>(a)] < design::Speed[static_cast<std::size_t>(b)];
    });
    for (int column : order) {
        const int speed = design::Speed[static_cast<std::size_t>(column)];
        for (int box = 0; box < kBoxesPerColumn; ++box) {
            // Where the box is along its column's round trip, 0..1, growing as it climbs.
            const double along = fraction((box + columnPhase(column) * kBoxesPerColumn + speed * t) /
                                          kBoxesPerColumn);
            BoxState state;
            state.column = column;
            state.box = box;
            state.size = design::SizeBySpeed[static_cast<std::size_t>(speed)];
            state.centre = {kColumnPitch / 2 + column * kColumnPitch,
                            kStageHeight + design::HiddenMargin -
                                static_cast<std::int32_t>(std::lround(along * kTravel))};
            state.turn = design::SwayAmplitude * std::sin(2.0 * std::numbers::pi * (t + along * 2.0) + column);
            state.colour = fromHsv(columnPhase(column) + along, design::Saturation, design::Value);
            state.opacity = design::OpacityBySpeed[static_cast<std::size_t>(speed)];
            states.push_back(state);
        }
    }
    return states;
}

MovieBuilder colourBoxMovie(BoxDirection direction)
{
    MovieBuilder movie(movieHeader());
    movie.setBackgroundColor(design::Background);
    const std::uint16_t backdropId = movie.defineShape(backdrop(design::BackdropTop, design::BackdropBottom),
                                                       ShapeVersion::Shape3);
    const std::uint16_t boxId = movie.defineShape(boxShape(), ShapeVersion::Shape3);

    TimelineBuilder& root = movie.root();
    PlaceObject backdropPlace;
    backdropPlace.depth = 1;
    backdropPlace.characterId = backdropId;
    root.place(backdropPlace);
    for (int frame = 0; frame < kLoopFrames; ++frame) {
        std::uint16_t depth = 2;
        for (const BoxState& state : boxStates(frame, direction)) {
            PlaceObject place;
            place.depth = depth++;
            if (frame == 0)
                place.characterId = boxId;
            else
                place.move = true;
            place.matrix = Matrix::rotation(state.turn, state.centre.x, state.centre.y,
                                            static_cast<double>(state.size) / design::ShapeSide);
            place.colorTransform = multiplyBy(state.colour, state.opacity);
            root.place(place);
        }
        root.showFrame();
    }
    return movie;
}

} // namespace movies
