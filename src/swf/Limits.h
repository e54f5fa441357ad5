#pragma once
// What one movie may cost the player. Real movies, the program's own and every sample one,
// stay far inside each figure; a file that asks for more is damaged or made to hurt.
//
// Caps on single items, which the reader enforces as it reads:
//  - the body, each bitmap's pixels and each shape's records, and how deep sprites nest.
//
// Budgets on the whole movie, each with what happens to a movie over it. Reference players
// have no such budgets: they leave out a bitmap they cannot make, and otherwise run out
// of memory or stall. We follow the first where an item can go without the rest suffering
// (the excess is dropped, the rest plays) and refuse the movie as a damaged one where what
// it asks for is plainly beyond any real movie (it is not played at all: the player shows
// its background and says why on stderr):
//  - decoded bitmaps: a bitmap past the budget is left out, as a reference player leaves
//    out one it cannot make; a bitmap whose data is missing is left out without counting;
//  - fill and line styles of all shapes together: over the budget, the movie is refused;
//  - records (edges and style changes) of all shapes, morph shapes and glyphs together:
//    over the budget, the movie is refused;
//  - the text of all text fields together, in bytes as stored: over the budget, the movie
//    is refused;
//  - display objects alive at once, sprites' included, and as many made in one frame: a
//    placement past either is dropped;
//  - edges of all objects alive at once (each shape's edges once for every object that
//    shows it): a placement past it is dropped;
//  - drawing work in one frame (see Renderer): the drawing past it is dropped for that frame.

#include <cstddef>

namespace swf {

struct Limits {
    // A bitmap may be as large as a photograph a camera takes, and larger.
    std::size_t maxBodyBytes = 16u << 20;
    std::size_t maxBitmapPixels = 8192u * 8192u;
    std::size_t maxShapeRecords = 1u << 20;
    int maxSpriteNesting = 32;

    // Decoded bitmaps, four bytes a pixel: a movie of photographs holds tens of megabytes of
    // them, and the largest single bitmap fits. A bitmap is decoded once, when the movie is
    // read, and drawn scaled to the window's pixels, so this costs memory, not drawing time.
    std::size_t maxImageBytes = 256u << 20;
    // Each of these takes a slow machine about a tenth of a second to read, and ten times
    // as long in a build checked by sanitizers, whose fuzzing allows a second an input. The
    // busiest sample movie has about 100,000 records.
    std::size_t maxStyles = 50000;
    std::size_t maxRecords = 300000;
    std::size_t maxTextBytes = 64u << 10;
    // Nesting multiplies objects, so a few bytes could otherwise ask for billions.
    std::size_t maxDisplayObjects = 20000;
    std::size_t maxEdgesAlive = 1u << 18;
    // Jumps actions may make in one frame of the movie, on one timeline and on all: a frame
    // whose actions jump to a frame whose actions jump back would otherwise never end, and
    // each jump back rebuilds a display list. Real movies jump once or twice a timeline.
    int maxJumpsPerTimeline = 16;
    int maxJumpsPerFrame = 1024;
    // In the renderer's units of work per row of pixels drawn: about 7,500 edges crossing
    // every row, which a slow machine draws in about half a second. A sample movie of a
    // hundred layers, each over the whole stage, needs 4,700.
    std::size_t maxWorkPerRow = 7500;
};

} // namespace swf
