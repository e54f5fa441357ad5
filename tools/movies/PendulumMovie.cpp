#include "movies/PendulumMovie.h"

#include "movies/MovieStage.h"
#include "swfwriter/ShapeBuilder.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace movies {

using namespace swf::write;
using namespace pendulum;

namespace {

namespace design {
const Rgba Background{0, 0, 0};
const Rgba BackdropTop{22, 30, 64};
const Rgba BackdropBottom{2, 3, 10};
// The rod: brass, lit from the left.
constexpr std::int32_t RodHalfWidth = 34;
const Rgba RodLight{246, 214, 140};
const Rgba RodDark{120, 78, 22};
// The bob: a highlight up and to the left, deep gold at the rim.
const Rgba BobHighlight{255, 250, 228};
const Rgba BobBody{232, 170, 58};
const Rgba BobShade{150, 92, 16};
const Rgba BobRim{58, 32, 4};
// The mount at the top and the cap over the pivot.
constexpr Rect Mount{-520, 520, -300, 120};
const Rgba MountLight{92, 98, 118};
const Rgba MountDark{34, 36, 48};
constexpr std::int32_t CapRadius = 95;
const Rgba CapLight{236, 236, 244};
const Rgba CapDark{90, 92, 104};
// The pool of light below the bob: warm, faint, fading out to its rim.
constexpr std::int32_t GlowRadiusX = 900;
constexpr std::int32_t GlowRadiusY = 150;
const Rgba GlowCentre{255, 196, 100, 72};
const Rgba GlowRim{255, 196, 100, 0};
// At the ends of the swing the pool is this much fainter and wider.
constexpr double GlowFade = 0.55;
constexpr double GlowSpread = 0.3;
} // namespace design

Shape rodShape()
{
    // Drawn hanging straight down from the origin (the pivot); the placement turns it.
    FillGradient brass;
    brass.stops = {{0, design::RodDark}, {90, design::RodLight}, {255, design::RodDark}};
    ShapeBuilder builder;
    const Rect rod{-design::RodHalfWidth, design::RodHalfWidth, 0, kRodLength};
    const std::uint32_t fill = builder.addFill(Fill::linear(Matrix::gradientBox(rod), brass));
    builder.roundedRectangle(rod, design::RodHalfWidth, fill);
    return builder.shape();
}

Shape bobShape()
{
    // Centred on the origin. The light stays up and to the left whatever the swing, as
    // it would in a room, so the bob moves without turning.
    FillGradient shading;
    shading.stops = {{0, design::BobHighlight},
                     {48, design::BobBody},
                     {170, design::BobShade},
                     {255, design::BobRim}};
    const std::int32_t reach = kBobRadius * 17 / 10;
    const Point light{-kBobRadius * 3 / 10, -kBobRadius * 35 / 100};
    ShapeBuilder builder;
    const std::uint32_t fill = builder.addFill(Fill::radial(
        Matrix::gradientBox({light.x - reach, light.x + reach, light.y - reach, light.y + reach}), shading));
    builder.ellipse({0, 0}, kBobRadius, kBobRadius, fill);
    return builder.shape();
}

Shape mountShape()
{
    FillGradient metal;
    metal.stops = {{0, design::MountLight}, {255, design::MountDark}};
    const Rect& m = design::Mount;
    const Rect mount{kPivot.x + m.xMin, kPivot.x + m.xMax, kPivot.y + m.yMin, kPivot.y + m.yMax};
    ShapeBuilder builder;
    const std::uint32_t fill = builder.addFill(Fill::linear(verticalGradient(mount), metal));
    builder.roundedRectangle(mount, 90, fill);
    return builder.shape();
}

Shape capShape()
{
    FillGradient steel;
    steel.stops = {{0, design::CapLight}, {255, design::CapDark}};
    const std::int32_t r = design::CapRadius;
    ShapeBuilder builder;
    const std::uint32_t fill = builder.addFill(
        Fill::radial(Matrix::gradientBox({kPivot.x - r * 3 / 2, kPivot.x + r, kPivot.y - r * 3 / 2, kPivot.y + r}),
                          steel));
    builder.ellipse(kPivot, r, r, fill);
    return builder.shape();
}

Shape glowShape()
{
    // Centred on the origin; each frame moves it under the bob.
    FillGradient light;
    light.stops = {{0, design::GlowCentre}, {255, design::GlowRim}};
    const Rect box{-design::GlowRadiusX, design::GlowRadiusX, -design::GlowRadiusY, design::GlowRadiusY};
    ShapeBuilder builder;
    const std::uint32_t fill = builder.addFill(Fill::radial(Matrix::gradientBox(box), light));
    builder.ellipse({0, 0}, design::GlowRadiusX, design::GlowRadiusY, fill);
    return builder.shape();
}

} // namespace

PendulumPose pendulumPose(int frame)
{
    const int inLoop = ((frame % kLoopFrames) + kLoopFrames) % kLoopFrames;
    const double angle = kAmplitude * std::cos(2.0 * std::numbers::pi * inLoop / kLoopFrames);
    const Point bob{kPivot.x + static_cast<std::int32_t>(std::lround(kRodLength * std::sin(angle))),
                    kPivot.y + static_cast<std::int32_t>(std::lround(kRodLength * std::cos(angle)))};
    return {angle, bob};
}

PendulumPlacement pendulumPlacement(int frame)
{
    const PendulumPose pose = pendulumPose(frame);
    // How far the bob has risen from the bottom of its swing, 0..1.
    const double rise = (1.0 - std::cos(pose.angle)) / (1.0 - std::cos(kAmplitude));
    Matrix glow;
    glow.scaleX = 1.0 + design::GlowSpread * rise;
    glow.translateX = pose.bobCentre.x;
    glow.translateY = kGlowY;
    // A turn by -angle swings the rod's lower end to the right for a positive angle.
    return {Matrix::rotation(-pose.angle, kPivot.x, kPivot.y), Matrix::translation(pose.bobCentre.x, pose.bobCentre.y),
            glow, 1.0 - design::GlowFade * rise};
}

MovieBuilder pendulumMovie()
{
    MovieBuilder movie(movieHeader());
    movie.setBackgroundColor(design::Background);
    const std::uint16_t backdropId = movie.defineShape(backdrop(design::BackdropTop, design::BackdropBottom),
                                                       ShapeVersion::Shape3);
    const std::uint16_t glowId = movie.defineShape(glowShape(), ShapeVersion::Shape3);
    const std::uint16_t mountId = movie.defineShape(mountShape(), ShapeVersion::Shape3);
    const std::uint16_t rodId = movie.defineShape(rodShape(), ShapeVersion::Shape3);
    const std::uint16_t bobId = movie.defineShape(bobShape(), ShapeVersion::Shape3);
    const std::uint16_t capId = movie.defineShape(capShape(), ShapeVersion::Shape3);

    enum Depth : std::uint16_t { Backdrop = 1, Glow, Mount, Rod, Bob, Cap };
    TimelineBuilder& root = movie.root();
    const auto placeStill = [&root](std::uint16_t depth, std::uint16_t id) {
        PlaceObject still;
        still.depth = depth;
        still.characterId = id;
        root.place(still);
    };
    placeStill(Backdrop, backdropId);
    placeStill(Mount, mountId);
    for (int frame = 0; frame < kLoopFrames; ++frame) {
        const PendulumPlacement placement = pendulumPlacement(frame);
        // The first frame puts the moving parts on the stage; the others move them.
        const auto place = [&root, frame](std::uint16_t depth, std::uint16_t id, const Matrix& matrix,
                                          std::optional<CxForm> colour = std::nullopt) {
            PlaceObject moving;
            moving.depth = depth;
            if (frame == 0)
                moving.characterId = id;
            else
                moving.move = true;
            moving.matrix = matrix;
            moving.colorTransform = colour;
            root.place(moving);
        };
        place(Glow, glowId, placement.glow, CxForm::opacity(placement.glowOpacity));
        place(Rod, rodId, placement.rod);
        place(Bob, bobId, placement.bob);
        if (frame == 0)
            placeStill(Cap, capId);
        root.showFrame();
    }
    return movie;
}

} // namespace movies
