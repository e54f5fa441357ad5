#include "flash/FlashAnalysis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace flash {

namespace {

const std::array<float, 256>& linearLevels()
{
    static const std::array<float, 256> levels = [] {
        std::array<float, 256> table{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            table[static_cast<std::size_t>(i)] =
                static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return table;
    }();
    return levels;
}

// A block's state in one frame on one scale (luminance, or the red value).
struct Level {
    float value = 0.0f;
    bool saturatedRed = false;
};

struct SwingRule {
    float threshold;
    // The red threshold is "more than", the luminance one "at least".
    bool strictlyMore;
    bool (*counts)(const Level& from, const Level& to);

    bool reached(float change) const { return strictlyMore ? change > threshold : change >= threshold; }
};

const SwingRule GeneralRule{kTransitionLuminance, false, [](const Level& from, const Level& to) {
                                return std::min(from.value, to.value) < kDarkerStateBelow;
                            }};
const SwingRule RedRule{kRedTransition, true,
                        [](const Level& from, const Level& to) { return from.saturatedRed || to.saturatedRed; }};

// Follows one block on one scale and notes the frame at which each counted transition
// ends. A swing is only known to have ended once the value has come back from its
// extreme by the threshold, so the extreme is held as a candidate until then.
class SwingTracker {
public:
    void add(const Level& level, int frame, const SwingRule& rule, std::vector<int>& ends)
    {
        switch (trend_) {
        case Trend::Unknown:
            if (!started_ || level.value < low_.value)
                low_ = level, lowFrame_ = frame;
            if (!started_ || level.value > high_.value)
                high_ = level, highFrame_ = frame;
            started_ = true;
            if (rule.reached(high_.value - low_.value)) {
                const bool rising = lowFrame_ < highFrame_;
                trend_ = rising ? Trend::Rising : Trend::Falling;
                turn_ = rising ? low_ : high_;
                extreme_ = rising ? high_ : low_;
                extremeFrame_ = rising ? highFrame_ : lowFrame_;
            }
            return;
        case Trend::Rising:
            if (level.value > extreme_.value)
                extreme_ = level, extremeFrame_ = frame;
            else if (rule.reached(extreme_.value - level.value))
                turn(level, frame, Trend::Falling, rule, ends);
            return;
        case Trend::Falling:
            if (level.value < extreme_.value)
                extreme_ = level, extremeFrame_ = frame;
            else if (rule.reached(level.value - extreme_.value))
                turn(level, frame, Trend::Rising, rule, ends);
            return;
        }
    }

    // The swing under way when the frames end has reached the threshold already.
    void finish(const SwingRule& rule, std::vector<int>& ends) const
    {
        if (trend_ != Trend::Unknown && rule.counts(turn_, extreme_))
            ends.push_back(extremeFrame_);
    }

private:
    enum class Trend : unsigned char { Unknown, Rising, Falling };

    void turn(const Level& level, int frame, Trend trend, const SwingRule& rule, std::vector<int>& ends)
    {
        if (rule.counts(turn_, extreme_))
            ends.push_back(extremeFrame_);
        turn_ = extreme_;
        extreme_ = level;
        extremeFrame_ = frame;
        trend_ = trend;
    }

    Trend trend_ = Trend::Unknown;
    bool started_ = false;
    // Before the first swing: the darkest and brightest states so far.
    Level low_;
    Level high_;
    int lowFrame_ = 0;
    int highFrame_ = 0;
    // The turning point the swing under way started from, and its extreme so far.
    Level turn_;
    Level extreme_;
    int extremeFrame_ = 0;
};

// General flashes first, then red; blocks and reports keep them in this order.
const SwingRule* const Rules[] = {&GeneralRule, &RedRule};
constexpr std::size_t Kinds = std::size(Rules);

// Largest share of a field anywhere on the picture that the marked blocks cover.
double worstFieldShare(const std::vector<bool>& marked, int columns, QSize size)
{
    // Pixel sums over the rectangle from the origin, so any field costs four look-ups.
    const int w = size.width();
    const int h = size.height();
    std::vector<int> sums(static_cast<std::size_t>((w + 1) * (h + 1)), 0);
    const auto at = [&](int x, int y) -> int& { return sums[static_cast<std::size_t>(y * (w + 1) + x)]; };
    for (int y = 0; y < h; ++y) {
        int row = 0;
        for (int x = 0; x < w; ++x) {
            row += marked[static_cast<std::size_t>(y / kBlockSize * columns + x / kBlockSize)] ? 1 : 0;
            at(x + 1, y + 1) = at(x + 1, y) + row;
        }
    }
    // A field larger than the picture covers all of it in that direction.
    const int fw = std::min(w, kFieldSize.width());
    const int fh = std::min(h, kFieldSize.height());
    int most = 0;
    for (int y = 0; y + fh <= h; ++y)
        for (int x = 0; x + fw <= w; ++x)
            most = std::max(most, at(x + fw, y + fh) - at(x, y + fh) - at(x + fw, y) + at(x, y));
    return static_cast<double>(most) / (kFieldSize.width() * kFieldSize.height());
}

} // namespace

struct FlashAnalysis::Block {
    std::array<SwingTracker, Kinds> trackers;
    // Per kind, the frames at which the counted transitions found so far end.
    std::array<std::vector<int>, Kinds> ends;
};

FlashAnalysis::FlashAnalysis(QSize frameSize)
    : size_(frameSize), columns_((frameSize.width() + kBlockSize - 1) / kBlockSize),
      rows_((frameSize.height() + kBlockSize - 1) / kBlockSize),
      blocks_(static_cast<std::size_t>(std::max(0, columns_ * rows_)))
{
}

FlashAnalysis::~FlashAnalysis() = default;

bool FlashAnalysis::addFrame(const QImage& frame, double seconds)
{
    if (frame.size() != size_ || (!times_.empty() && !(seconds > times_.back())))
        return false;
    const QImage rgb = frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32
                           ? frame
                           : frame.convertToFormat(QImage::Format_RGB32);
    const std::array<float, 256>& linear = linearLevels();

    std::vector<std::array<float, 3>> sums(blocks_.size(), {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < size_.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::array<float, 3>* blockRow = sums.data() + y / kBlockSize * columns_;
        for (int x = 0; x < size_.width(); ++x) {
            std::array<float, 3>& sum = blockRow[x / kBlockSize];
            sum[0] += linear[static_cast<std::size_t>(qRed(line[x]))];
            sum[1] += linear[static_cast<std::size_t>(qGreen(line[x]))];
            sum[2] += linear[static_cast<std::size_t>(qBlue(line[x]))];
        }
    }

    const int frameIndex = frameCount();
    for (int row = 0; row < rows_; ++row) {
        const int height = std::min(kBlockSize, size_.height() - row * kBlockSize);
        for (int column = 0; column < columns_; ++column) {
            const int width = std::min(kBlockSize, size_.width() - column * kBlockSize);
            const std::size_t index = static_cast<std::size_t>(row * columns_ + column);
            const float pixels = static_cast<float>(width * height);
            const float r = sums[index][0] / pixels;
            const float g = sums[index][1] / pixels;
            const float b = sums[index][2] / pixels;
            const Level levels[Kinds] = {
                {0.2126f * r + 0.7152f * g + 0.0722f * b, false},
                {std::max(0.0f, r - g - b) * kRedScale, r + g + b > 0.0f && r >= kRedRatio * (r + g + b)}};
            Block& block = blocks_[index];
            for (std::size_t k = 0; k < Kinds; ++k)
                block.trackers[k].add(levels[k], frameIndex, *Rules[k], block.ends[k]);
        }
    }
    times_.push_back(seconds);
    return true;
}

FlashReport FlashAnalysis::report() const
{
    FlashReport report;
    Finding* const findings[Kinds] = {&report.general, &report.red};
    const int frames = frameCount();

    for (std::size_t k = 0; k < Kinds; ++k) {
        Finding& finding = *findings[k];

        std::vector<std::vector<int>> ends(blocks_.size());
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            ends[b] = blocks_[b].ends[k];
            blocks_[b].trackers[k].finish(*Rules[k], ends[b]);
        }

        // The busiest window of a block starts at one of its transitions, so windows
        // starting at every frame find it. Per block, the transitions before the window and
        // before its end are counted as the window moves on.
        std::vector<std::size_t> before(blocks_.size(), 0);
        std::vector<std::size_t> beforeEnd(blocks_.size(), 0);
        std::vector<bool> tooOften(blocks_.size(), false);
        std::vector<bool> lastMarked;
        int end = 0;
        for (int first = 0; first < frames; ++first) {
            // Frame times are given to the microsecond at best; a frame a rounding error
            // short of a second later belongs to the next window.
            const double windowEnd = times_[static_cast<std::size_t>(first)] + kWindowSeconds - 1e-9;
            while (end < frames && times_[static_cast<std::size_t>(end)] < windowEnd)
                ++end;
            bool anyTooOften = false;
            for (std::size_t b = 0; b < blocks_.size(); ++b) {
                const std::vector<int>& blockEnds = ends[b];
                while (before[b] < blockEnds.size() && blockEnds[before[b]] < first)
                    ++before[b];
                while (beforeEnd[b] < blockEnds.size() && blockEnds[beforeEnd[b]] < end)
                    ++beforeEnd[b];
                const int flashes = static_cast<int>(beforeEnd[b] - before[b]) / 2;
                if (flashes > finding.worstFlashes) {
                    finding.worstFlashes = flashes;
                    const int column = static_cast<int>(b) % columns_;
                    const int row = static_cast<int>(b) / columns_;
                    finding.worstBlock = QRect(column * kBlockSize, row * kBlockSize, kBlockSize, kBlockSize) &
                                         QRect(QPoint(0, 0), size_);
                }
                tooOften[b] = flashes > kMaxFlashesPerWindow;
                anyTooOften = anyTooOften || tooOften[b];
            }
            // Neighbouring windows mostly mark the same blocks; the field is measured afresh
            // only when the marks change.
            if (anyTooOften && tooOften != lastMarked) {
                finding.worstFieldShare =
                    std::max(finding.worstFieldShare, worstFieldShare(tooOften, columns_, size_));
                lastMarked = tooOften;
            }
        }
    }
    return report;
}

} // namespace flash
