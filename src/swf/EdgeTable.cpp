#include "swf/EdgeTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace swf {

namespace {

// Qt flattens curves to within a quarter of a pixel where QPainterPath flattens them to
// within half a unit: in a space twice as fine they land on the same points.
constexpr double kFlatteningScale = 2;
constexpr double kSubpixels = 64;

// The first whole number n for which n + offset lies past v, for v within int's range.
int firstPast(double v, double offset)
{
    // Rounded down by hand: std::floor is a library call on the processors built for.
    const double shifted = v - offset;
    const int truncated = static_cast<int>(shifted);
    return (truncated > shifted ? truncated - 1 : truncated) + 1;
}

} // namespace

EdgeTable::EdgeTable(const QRect& bounds, double least, double most) : bounds_(bounds), least_(least), most_(most) {}

bool EdgeTable::build(const QPainterPath& path, const QTransform& toDevice)
{
    edges_.clear();
    reach_ = QRectF();
    if (bounds_.isEmpty())
        return true;
    edges_.reserve(static_cast<std::size_t>(path.elementCount()) + 1);
    // Flattened, as Qt does, before the transform, with pixels measured along the path as
    // the transform's longest stretch of a step along x or y makes them.
    const double stretch = std::sqrt(std::max(toDevice.m11() * toDevice.m11() + toDevice.m12() * toDevice.m12(),
                                              toDevice.m21() * toDevice.m21() + toDevice.m22() * toDevice.m22()));
    const double finer = kFlatteningScale * (stretch > 0 ? stretch : 1.0);
    // The whole pixels of the translation are added after rounding, so that a path moved by
    // whole pixels lands on the very same 64ths, moved: its coverage can be moved too.
    const Placement placement = placementOf(toDevice);
    const QTransform fromFiner = QTransform::fromScale(1 / finer, 1 / finer) *
                                 QTransform(toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(),
                                            placement.fraction.x(), placement.fraction.y());
    constexpr double kNone = std::numeric_limits<double>::infinity();
    double left = kNone, top = kNone, right = -kNone, bottom = -kNone;
    for (QPolygonF polygon : path.toSubpathPolygons(QTransform::fromScale(finer, finer))) {
        for (QPointF& point : polygon) {
            const QPointF device = fromFiner.map(point);
            point = QPointF(std::round(device.x() * kSubpixels) / kSubpixels + placement.whole.x(),
                            std::round(device.y() * kSubpixels) / kSubpixels + placement.whole.y());
            if (!std::isfinite(point.x()) || !std::isfinite(point.y())) {
                edges_.clear();
                return false;
            }
            left = std::min(left, point.x());
            right = std::max(right, point.x());
            top = std::min(top, point.y());
            bottom = std::max(bottom, point.y());
        }
        // Every subpath is filled as if closed.
        for (qsizetype i = 0; i < polygon.size(); ++i)
            addEdge(polygon[i], polygon[(i + 1) % polygon.size()]);
    }
    // Edges that start on one row lie in memory in the order they cross it, which the rows
    // below mostly keep: walked in that order, they are read as they lie.
    std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) {
        return a.firstRow != b.firstRow ? a.firstRow < b.firstRow : a.xTop < b.xTop;
    });
    reach_ = left <= right ? QRectF(QPointF(left, top), QPointF(right, bottom)) : QRectF();
    return true;
}

EdgeTable::Placement EdgeTable::placementOf(const QTransform& toDevice)
{
    // Rounded down by hand, as firstPast() does; a translation out of int's range keeps no
    // whole part, and moves nothing.
    const auto whole = [](double v) {
        if (!(std::abs(v) < 1e9))
            return 0.0;
        const double truncated = static_cast<double>(static_cast<long long>(v));
        return truncated > v ? truncated - 1 : truncated;
    };
    const QPointF wholePart(whole(toDevice.dx()), whole(toDevice.dy()));
    return {wholePart, QPointF(toDevice.dx() - wholePart.x(), toDevice.dy() - wholePart.y())};
}

void EdgeTable::addEdge(const QPointF& from, const QPointF& to)
{
    if (from.y() == to.y())
        return;
    const bool down = from.y() < to.y();
    const QPointF& top = down ? from : to;
    const QPointF& bottom = down ? to : from;
    // Held near the clip's rows before they become integers, which bounds a huge coordinate.
    const double held = bounds_.height() + 1.0;
    const auto near = [&](double y) { return std::clamp(y, bounds_.top() - held, bounds_.bottom() + held); };
    // A sample on the edge's top lies outside it, one on its bottom inside.
    const int firstRow = std::max(firstPast(near(top.y()), most_), bounds_.top());
    const int lastRow = std::min(firstPast(near(bottom.y()), least_) - 1, bounds_.bottom());
    if (firstRow > lastRow)
        return;
    Edge edge;
    edge.xTop = top.x();
    edge.yTop = top.y();
    edge.yBottom = bottom.y();
    edge.slope = (bottom.x() - top.x()) / (bottom.y() - top.y());
    // A slope past what a double holds comes of an edge too short to cross more than one
    // row's sample, or of numbers no shape has: either may as well be upright.
    if (!std::isfinite(edge.slope))
        edge.slope = 0;
    edge.xLeast = std::min(top.x(), bottom.x());
    edge.xMost = std::max(top.x(), bottom.x());
    edge.firstRow = firstRow;
    edge.direction = down ? 1 : -1;
    edges_.push_back(edge);
}

SampleScan::SampleScan(const QRect& bounds, const QPointF& sample) : bounds_(bounds), sample_(sample) {}

void SampleScan::cross(int row, std::span<const EdgeTable::Edge> starting)
{
    const double y = row + sample_.y();
    // Crossings are held just outside the bounds before they become columns.
    const double leftmost = bounds_.left() - 1.0;
    const double rightmost = bounds_.right() + 1.0;
    const auto column = [&](const EdgeTable::Edge& edge) {
        const double x = std::clamp(edge.xTop + (y - edge.yTop) * edge.slope, edge.xLeast, edge.xMost);
        return firstPast(std::clamp(x, leftmost, rightmost), sample_.x());
    };
    std::size_t kept = 0;
    for (const Crossing& crossing : active_) {
        const EdgeTable::Edge& edge = *crossing.edge;
        // The rows go down: an edge this sample has passed the bottom of is done with.
        if (y > edge.yBottom)
            continue;
        active_[kept++] = {column(edge), &edge};
    }
    active_.resize(kept);
    // An edge starting on this row that this sample has not reached yet is taken in on the
    // next, whose samples all lie below its top.
    for (const Crossing& crossing : waiting_) {
        if (y <= crossing.edge->yBottom)
            active_.push_back({column(*crossing.edge), crossing.edge});
    }
    waiting_.clear();
    for (const EdgeTable::Edge& edge : starting) {
        if (y <= edge.yTop)
            waiting_.push_back({0, &edge});
        else if (y <= edge.yBottom)
            active_.push_back({column(edge), &edge});
    }
    sortActive();
}

void SampleScan::sortActive()
{
    // From one row to the next few edges change places, and moving those few is cheap;
    // where edges cross in numbers, past a few moves an edge, sorting afresh is cheaper.
    const std::size_t mostMoves = 8 * active_.size();
    std::size_t moves = 0;
    for (std::size_t i = 1; i < active_.size(); ++i) {
        const Crossing crossing = active_[i];
        std::size_t j = i;
        for (; j > 0 && crossing.column < active_[j - 1].column; --j)
            active_[j] = active_[j - 1];
        active_[j] = crossing;
        moves += i - j;
        if (moves > mostMoves) {
            sortByColumn();
            return;
        }
    }
}

void SampleScan::sortByColumn()
{
    // Columns lie within a pixel of the bounds: counted out a byte at a time, two rounds sort
    // them in time that grows with their number alone.
    const int least = bounds_.left() - 1;
    if (bounds_.width() + 2 >= 1 << 16) {
        std::sort(active_.begin(), active_.end(), [](const Crossing& a, const Crossing& b) { return a.column < b.column; });
        return;
    }
    sorted_.resize(active_.size());
    for (const int shift : {0, 8}) {
        std::array<std::size_t, 257> starts{};
        for (const Crossing& crossing : active_)
            ++starts[(((crossing.column - least) >> shift) & 0xff) + 1];
        for (std::size_t i = 1; i < starts.size(); ++i)
            starts[i] += starts[i - 1];
        for (const Crossing& crossing : active_)
            sorted_[starts[((crossing.column - least) >> shift) & 0xff]++] = crossing;
        active_.swap(sorted_);
    }
}

} // namespace swf
