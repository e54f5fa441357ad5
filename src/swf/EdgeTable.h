#pragma once
// A path's edges in device pixels, ready to be walked row by row, and where one sample point
// of each pixel lies inside the path along a row. The fillers share them: the aliased one
// samples each pixel at its centre, the antialiased one at four points.
//
// Points are held in 64ths of a pixel, as Qt's rasteriser holds them, and curves are
// flattened to the points Qt's aliased fill takes, so that a fill sampled at centres gives
// the pixels QPainter gives. A sample on an edge goes with the pixels before it (left of it,
// or above it), as in Qt's aliased fills.

#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QTransform>

#include <algorithm>
#include <span>
#include <vector>

namespace swf {

class EdgeTable {
public:
    struct Edge {
        double xTop = 0;
        double yTop = 0;
        double yBottom = 0;
        double slope = 0;
        // Where along x the edge lies, to keep a crossing computed far from its top within it.
        double xLeast = 0;
        double xMost = 0;
        // The first row whose samples, any of them, the edge crosses.
        int firstRow = 0;
        // +1 going down the image, -1 going up.
        int direction = 0;
    };

    // Edges are kept within the rows of bounds. Every sample lies between least and most
    // pixels below its row's top.
    EdgeTable(const QRect& bounds, double least, double most);

    // A transform's translation as whole pixels and what is left of it, in [0, 1).
    struct Placement {
        QPointF whole;
        QPointF fraction;
    };
    static Placement placementOf(const QTransform& toDevice);

    // The path mapped by toDevice, its edges ordered by first row; false, and no edges, when
    // a point maps to no finite place. Mapped with the translation's fraction, rounded, and
    // then moved by its whole pixels: two transforms alike but for whole pixels of
    // translation give the same edges, moved.
    bool build(const QPainterPath& path, const QTransform& toDevice);

    const std::vector<Edge>& edges() const { return edges_; }
    const QRect& bounds() const { return bounds_; }
    // Where the mapped path's points lie, edges outside the bounds' rows among them.
    const QRectF& reach() const { return reach_; }

private:
    void addEdge(const QPointF& from, const QPointF& to);

    QRect bounds_;
    double least_;
    double most_;
    std::vector<Edge> edges_;
    QRectF reach_;
};

// Along each row, the columns where one sample point of the pixels enters and leaves the
// path: the scan of a single sample point (x, y), measured from each pixel's top left.
class SampleScan {
public:
    SampleScan(const QRect& bounds, const QPointF& sample);

    void clear()
    {
        active_.clear();
        waiting_.clear();
    }
    bool idle() const { return active_.empty() && waiting_.empty(); }

    // Takes in the edges starting on row, lets those go that end above its sample, and finds
    // where the rest cross it.
    void cross(int row, std::span<const EdgeTable::Edge> starting);

    // Calls span(from, to) for each run of pixels [from, to) whose sample lies inside, under
    // the winding rule or, if not winding, the odd-even one.
    template <typename Span>
    void spans(bool winding, Span&& span) const
    {
        if (!winding) {
            // Edges come in closed loops: every row meets an even number of them.
            for (std::size_t i = 0; i + 1 < active_.size(); i += 2)
                span(active_[i].column, active_[i + 1].column);
            return;
        }
        int turns = 0;
        int start = 0;
        for (const Crossing& crossing : active_) {
            const int before = turns;
            turns += crossing.edge->direction;
            if (before == 0)
                start = crossing.column;
            else if (turns == 0)
                span(start, crossing.column);
        }
    }

private:
    // The first pixel whose sample lies right of where an edge crosses the sample's row:
    // pixels whose samples share one side of every edge share a fill, whatever order the
    // edges crossing between two samples come in. Sorting and walking the row move these
    // small records only.
    struct Crossing {
        int column;
        const EdgeTable::Edge* edge;
    };

    // Orders the crossings by column, cheaply when the order barely changed since the row
    // before.
    void sortActive();
    // The same for a row whose edges came in any order.
    void sortByColumn();

    QRect bounds_;
    QPointF sample_;
    std::vector<Crossing> active_;
    // Edges taken in whose top this sample has not yet passed.
    std::vector<Crossing> waiting_;
    std::vector<Crossing> sorted_;
};

// Walks the rows of the table's bounds that its edges reach, down the image: has every scan
// cross each row, handing them the edges that start on it, and then calls row(r).
template <typename Row>
void scanRows(const EdgeTable& table, std::span<SampleScan> scans, Row&& row)
{
    const std::vector<EdgeTable::Edge>& edges = table.edges();
    for (SampleScan& scan : scans)
        scan.clear();
    const auto idle = [&scans] { return std::all_of(scans.begin(), scans.end(), [](const SampleScan& s) { return s.idle(); }); };
    std::size_t next = 0;
    const int bottom = table.bounds().bottom();
    for (int r = edges.empty() ? bottom + 1 : edges.front().firstRow; r <= bottom && (next < edges.size() || !idle()); ++r) {
        if (idle())
            r = std::max(r, edges[next].firstRow);
        std::size_t end = next;
        while (end < edges.size() && edges[end].firstRow <= r)
            ++end;
        const std::span<const EdgeTable::Edge> starting(edges.data() + next, end - next);
        next = end;
        for (SampleScan& scan : scans)
            scan.cross(r, starting);
        row(r);
    }
}

} // namespace swf
