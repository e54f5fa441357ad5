#pragma once
// The pendulum: a brass rod hanging from a pivot at the top of the stage, with a shaded
// bob, swinging with the motion of a real pendulum. Its angle follows a cosine in time
// over a two-second period, so the sixty frames of one swing loop without a seam.

#include "swfwriter/MovieBuilder.h"

namespace movies {

namespace pendulum {
constexpr int kLoopFrames = 60;
constexpr double kAmplitude = 0.47; // radians, about 27 degrees either way
constexpr swf::write::Point kPivot{11895 / 2, 420};
constexpr std::int32_t kRodLength = 4000; // pivot to the bob's centre, twips
constexpr std::int32_t kBobRadius = 560;
constexpr std::int32_t kGlowY = 5250; // the centre of the pool of light
} // namespace pendulum

struct PendulumPose {
    double angle = 0.0; // from straight down, positive with the bob to the right
    swf::write::Point bobCentre;
};

// The pose in a frame; frames repeat every kLoopFrames.
PendulumPose pendulumPose(int frame);

// Where a frame puts the rod (a turn about the pivot of the rod drawn hanging straight
// down from the origin), the bob (a move of the bob drawn round the origin) and the pool
// of light the bob casts below it, brightest and tightest when the bob swings lowest.
struct PendulumPlacement {
    swf::write::Matrix rod;
    swf::write::Matrix bob;
    swf::write::Matrix glow;
    double glowOpacity = 1.0;
};
PendulumPlacement pendulumPlacement(int frame);

swf::write::MovieBuilder pendulumMovie();

} // namespace movies
