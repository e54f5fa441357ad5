#pragma once
// The colour boxes: seven columns of rounded boxes rising steadily through the stage,
// near columns larger and faster than far ones, each box swaying a little and taking
// its colour from where it is, so colours cycle gently as the boxes travel. Everything
// about a box follows from its column, its place in the column's travel and the frame
// within the loop, so the last frame leads into the first without a seam. The downward
// movie plays the same frames in reverse order.

#include "swfwriter/MovieBuilder.h"

#include <vector>

namespace movies {

enum class BoxDirection { Up, Down };

namespace boxes {
constexpr int kLoopFrames = 240; // eight seconds
constexpr int kColumns = 7;
constexpr int kBoxesPerColumn = 5;
constexpr std::int32_t kSpacing = 1800;                       // between boxes of a column
constexpr std::int32_t kTravel = kSpacing * kBoxesPerColumn; // one trip round a column
constexpr std::int32_t kColumnPitch = 1700;
} // namespace boxes

struct BoxState {
    int column = 0;
    int box = 0;                  // within its column, also its place in the depth order
    swf::write::Point centre;
    std::int32_t size = 0;        // side, twips
    double turn = 0.0;            // radians, clockwise on screen
    swf::write::Rgba colour;
    double opacity = 1.0;
};

// Every box in a frame, far columns first; frames repeat every kLoopFrames.
std::vector<BoxState> boxStates(int frame, BoxDirection direction);

swf::write::MovieBuilder colourBoxMovie(BoxDirection direction);

} // namespace movies
