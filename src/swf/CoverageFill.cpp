#include "swf/CoverageFill.h"

#include "swf/FillColours.h"
#include "swf/PixelBlend.h"
#include "swf/WidePixels.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

// What covered of four samples of the pixel showing full, the rest showing under, gives:
// each channel the rounded mean of the four, as averaging four aliased drawings does.
QRgb share(QRgb full, QRgb under, quint32 covered)
{
    constexpr quint32 kLanes = 0x00ff00ffu;
    const quint32 rest = 4 - covered;
    const quint32 low = (full & kLanes) * covered + (under & kLanes) * rest + 0x00020002u;
    const quint32 high = ((full >> 8) & kLanes) * covered + ((under >> 8) & kLanes) * rest + 0x00020002u;
    return ((low >> 2) & kLanes) | (((high >> 2) & kLanes) << 8);
}

// Up to this many changes along a row are sorted by moving each into place.
constexpr std::size_t kFewChanges = 32;

double leastY(const CoverageFill::Samples& samples)
{
    return std::min({samples[0].y(), samples[1].y(), samples[2].y(), samples[3].y()});
}

double mostY(const CoverageFill::Samples& samples)
{
    return std::max({samples[0].y(), samples[1].y(), samples[2].y(), samples[3].y()});
}

} // namespace

CoverageFill::CoverageFill(QImage& image, const std::vector<QRect>& clip, const Samples& samples, CoverageCache* kept)
    : pixels_(image.bits()), bytesPerLine_(image.bytesPerLine()), clip_(image, clip), bounds_(clip_.bounds()),
      table_(bounds_, leastY(samples), mostY(samples)),
      scans_{SampleScan(bounds_, samples[0]), SampleScan(bounds_, samples[1]), SampleScan(bounds_, samples[2]),
             SampleScan(bounds_, samples[3])},
      kept_(kept)
{
}

bool CoverageFill::draws(const QBrush& brush)
{
    return FillColours::reads(brush);
}

void CoverageFill::fill(const QPainterPath& path, const QTransform& toDevice, const QBrush& brush)
{
    if (bounds_.isEmpty())
        return;
    const FillColours colours(brush, toDevice);
    if (colours.uniform() && qAlpha(colours.colour()) == 0)
        return;
    const EdgeTable::Placement placement = EdgeTable::placementOf(toDevice);
    bool seenBefore = false;
    CoverageCache::Entry* entry = kept_ != nullptr ? &kept_->find(path, toDevice, placement.fraction, seenBefore) : nullptr;
    if (entry != nullptr && entry->complete && move(*entry, placement.whole - entry->whole, colours))
        return;
    if (!table_.build(path, toDevice))
        return;
    // A path filled the frame before too may stand still or move again: its coverage is kept,
    // if the rows found within the bounds hold all of it.
    const QRectF& reach = table_.reach();
    bool keeping = entry != nullptr && seenBefore && reach.left() >= bounds_.left() &&
                   reach.right() <= bounds_.right() + 1 && reach.top() >= bounds_.top() &&
                   reach.bottom() <= bounds_.bottom() + 1;
    keptRows_.clear();
    keptChanges_.clear();
    const bool winding = path.fillRule() == Qt::WindingFill;
    colours_.resize(static_cast<std::size_t>(bounds_.width()));
    scanRows(table_, scans_, [&](int row) {
        // Where along the row the count of samples covered changes, and by how much: a shape
        // changes it at a few columns, however wide it is.
        changes_.clear();
        // Each sample's spans come left to right: four runs in order, merged below.
        std::array<std::size_t, 5> runs{};
        for (std::size_t k = 0; k < scans_.size(); ++k) {
            scans_[k].spans(winding, [&](int from, int to) {
                from = std::max(from, bounds_.left());
                to = std::min(to, bounds_.right() + 1);
                if (from >= to)
                    return;
                changes_.push_back({from, 1});
                changes_.push_back({to, -1});
            });
            runs[k + 1] = changes_.size();
        }
        if (changes_.empty())
            return;
        const auto byColumn = [](const Change& a, const Change& b) { return a.column < b.column; };
        if (changes_.size() <= kFewChanges) {
            // A handful, as a shape's outline gives: moved into place one by one.
            for (std::size_t i = 1; i < changes_.size(); ++i) {
                const Change change = changes_[i];
                std::size_t j = i;
                for (; j > 0 && byColumn(change, changes_[j - 1]); --j)
                    changes_[j] = changes_[j - 1];
                changes_[j] = change;
            }
        } else {
            // Thousands, where a shape's edges crowd a row: merged in time that grows with
            // their number, not its square.
            const auto at = [this](std::size_t i) { return changes_.begin() + static_cast<std::ptrdiff_t>(i); };
            std::inplace_merge(at(runs[0]), at(runs[1]), at(runs[2]), byColumn);
            std::inplace_merge(at(runs[2]), at(runs[3]), at(runs[4]), byColumn);
            std::inplace_merge(at(runs[0]), at(runs[2]), at(runs[4]), byColumn);
        }
        if (keeping) {
            keeping = keptChanges_.size() + changes_.size() <= kept_->room();
            if (keeping) {
                const auto begin = static_cast<std::uint32_t>(keptChanges_.size());
                keptChanges_.insert(keptChanges_.end(), changes_.begin(), changes_.end());
                keptRows_.push_back({row, begin, static_cast<std::uint32_t>(keptChanges_.size())});
            }
        }
        lay(row, colours);
    });
    if (keeping)
        kept_->keep(*entry, keptRows_, keptChanges_, placement.whole);
}

bool CoverageFill::move(const CoverageCache::Entry& entry, const QPointF& by, const FillColours& colours)
{
    // A move past any image's size is found again instead, clear of int's range.
    constexpr double kFar = 1 << 20;
    if (!(std::abs(by.x()) <= kFar && std::abs(by.y()) <= kFar))
        return false;
    const int across = static_cast<int>(by.x());
    const int down = static_cast<int>(by.y());
    colours_.resize(static_cast<std::size_t>(bounds_.width()));
    for (const CoverageCache::Row& kept : entry.rows) {
        const int row = kept.row + down;
        if (row < bounds_.top() || row > bounds_.bottom())
            continue;
        // Columns outside the bounds lie outside every clip rectangle too: laid, they count
        // as the edges of a span cut at the bounds do.
        changes_.clear();
        for (std::uint32_t i = kept.begin; i < kept.end; ++i)
            changes_.push_back({entry.changes[i].column + across, entry.changes[i].by});
        lay(row, colours);
    }
    kept_->reused();
    return true;
}

void CoverageFill::lay(int row, const FillColours& colours)
{
    const int left = changes_.front().column;
    const int right = changes_.back().column;
    auto* line = reinterpret_cast<QRgb*>(pixels_ + qsizetype(row) * bytesPerLine_);
    clip_.within(row, left, right, [&](int from, int to) {
        // A row of one colour, as a flat fill or a gradient across its rows is, lays over
        // as one; otherwise each pixel takes its own.
        QRgb steady = 0;
        const bool isSteady = colours.steady(row, from, to - from, steady);
        QRgb* own = colours_.data();
        if (!isSteady)
            colours.colours(row, from, to - from, own);
        int covered = 0;
        for (std::size_t i = 0; i < changes_.size();) {
            const int start = changes_[i].column;
            while (i < changes_.size() && changes_[i].column == start)
                covered += changes_[i++].by;
            if (i == changes_.size())
                break;
            const int runFrom = std::max(start, from);
            const int runTo = std::min(changes_[i].column, to);
            if (covered == 0 || runFrom >= runTo)
                continue;
            if (covered == 4) {
                if (isSteady)
                    layOver(line + runFrom, runTo - runFrom, steady);
                else
                    layOverEachWide(line + runFrom, own + (runFrom - from), runTo - runFrom);
                continue;
            }
            for (int x = runFrom; x < runTo; ++x) {
                const QRgb under = line[x];
                line[x] = share(over(under, isSteady ? steady : own[x - from]), under, static_cast<quint32>(covered));
            }
        }
    });
}

} // namespace swf
