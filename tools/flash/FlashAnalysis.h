#pragma once
// How much a sequence of pictures flashes, measured by the three-flashes rule that the
// web's accessibility guidelines (WCAG 2.2, success criterion 2.3.1) set for viewers with
// photosensitive epilepsy. QtGui only, so tests and benchmarks drive it without a window.
//
// The definitions used:
// - Colours are sRGB. Each channel is linearised (c / 12.92 up to 0.04045, else
//   ((c + 0.055) / 1.055) ^ 2.4) before anything is added or compared, as light adds.
// - The picture is measured in blocks of 8 x 8 px; a block's state in a frame is the mean
//   of its pixels' linear R, G and B. Blocks on the right and bottom edges may be smaller.
// - Relative luminance Y = 0.2126 R + 0.7152 G + 0.0722 B.
// - A transition is a swing of a block's luminance between a turning point and the next of
//   at least 0.1 (a tenth of the maximum). A reversal smaller than that is no turning
//   point, so a ramp with ripples on it is one transition. A transition is dated at the
//   first frame that shows its end.
// - A general transition is one whose darker end is below 0.8; two make a general flash.
// - The red value of a state is (R - G - B) x 320, negative values taken as 0; a state is a
//   saturated red when R / (R + G + B) >= 0.8. A red transition is a swing of the red value
//   of more than 20 where either end is a saturated red; two make a red flash.
// - A block's flashes in the one-second window [t, t + 1 s) are half its transitions dated
//   within it, rounded down; a block flashes too often there with more than 3.
// - The sequence fails when, within one window, the blocks that flash too often cover more
//   than a quarter of a 341 x 256 px field anywhere on the picture (a 10-degree field at the
//   usual distance from a 1024 x 768 screen). General and red flashes are reckoned apart.

#include <QImage>
#include <QRect>
#include <QSize>

#include <vector>

namespace flash {

constexpr int kBlockSize = 8;
constexpr double kWindowSeconds = 1.0;
constexpr int kMaxFlashesPerWindow = 3;
constexpr QSize kFieldSize{341, 256};
constexpr double kMaxFieldShare = 0.25;
constexpr float kTransitionLuminance = 0.1f;
constexpr float kDarkerStateBelow = 0.8f;
constexpr float kRedRatio = 0.8f;
constexpr float kRedScale = 320.0f;
constexpr float kRedTransition = 20.0f;

// One kind of flash (general or red) over the whole sequence.
struct Finding {
    // Most flashes of any one block within any one-second window, and that block.
    int worstFlashes = 0;
    QRect worstBlock;
    // Largest share of a field covered, within one window, by blocks that flash too often.
    double worstFieldShare = 0.0;

    bool fails() const { return worstFieldShare > kMaxFieldShare; }
};

struct FlashReport {
    Finding general;
    Finding red;

    bool passes() const { return !general.fails() && !red.fails(); }
};

// Frames go in one at a time, in the order they are shown; the report reads them all.
class FlashAnalysis {
public:
    explicit FlashAnalysis(QSize frameSize);
    ~FlashAnalysis();
    FlashAnalysis(const FlashAnalysis&) = delete;
    FlashAnalysis& operator=(const FlashAnalysis&) = delete;

    // The picture shown from `seconds` on. A frame of another size, or one not shown
    // after the frame before it, is refused (false) and leaves the analysis as it was.
    bool addFrame(const QImage& frame, double seconds);
    int frameCount() const { return static_cast<int>(times_.size()); }

    FlashReport report() const;

private:
    struct Block;

    QSize size_;
    int columns_;
    int rows_;
    std::vector<Block> blocks_;
    std::vector<double> times_;
};

} // namespace flash
