#pragma once
// Fills a path with one colour, without antialiasing, on a premultiplied ARGB image: row by
// row, keeping only the edges that cross the row, so that the time grows with the edges that
// cross each row and the pixels covered. Qt's aliased rasteriser, which it stands in for,
// takes seconds a frame over a shape of thousands of tall edges a fraction of a pixel apart.
// A pixel is filled when its centre lies inside the path, with the path's points in 64ths of
// a pixel, under the path's fill rule; a centre on a rectangle's left or top edge lies
// outside it and one on its right or bottom edge inside, as Qt has it.

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>

#include <vector>

namespace swf {

class ScanlineFill {
public:
    // Draws into image, which must be Format_ARGB32_Premultiplied and keep its pixels while
    // this lives, only within the clip's rectangles (those reaching outside the image for
    // their part inside it).
    ScanlineFill(QImage& image, const std::vector<QRect>& clip);

    // Fills path, mapped by toDevice into the image's pixels, with the premultiplied colour
    // laid over what is there (source over). Curves are flattened to the points Qt's aliased
    // fill takes; a path with a point that maps to no finite place draws nothing.
    void fill(const QPainterPath& path, const QTransform& toDevice, QRgb premultiplied);

private:
    struct Edge {
        double xTop = 0;
        double yTop = 0;
        double slope = 0;
        // Where along x the edge lies, to keep a crossing computed far from its top within it.
        double xLeast = 0;
        double xMost = 0;
        int firstRow = 0;
        int lastRow = 0;
        // +1 going down the image, -1 going up.
        int direction = 0;
    };
    // The first pixel right of where an edge crosses the centre of the row being filled:
    // pixels whose centres share one side of every edge share a fill, whatever order the
    // edges crossing between two centres come in. Sorting and walking the row move these
    // small records only.
    struct Crossing {
        int column;
        const Edge* edge;
    };

    // The edges crossing a pixel row's centre inside the clip, ordered by first row; false
    // when a point is not finite.
    bool buildEdges(const QPainterPath& path, const QTransform& toDevice);
    void addEdge(const QPointF& from, const QPointF& to);
    // Lets the edges that end above row go and finds where the rest cross its centre.
    void crossRow(int row);
    // Fills the row between the crossings that take it inside and those that take it out.
    void fillRow(int row, bool winding, QRgb premultiplied);
    // Orders the active edges by where they cross, cheaply when the order barely changed since
    // the row before.
    void sortActive();
    // The same for a row whose edges came in any order.
    void sortByColumn();
    void fillSpan(int row, int from, int to, QRgb premultiplied);

    uchar* pixels_;
    qsizetype bytesPerLine_;
    std::vector<QRect> clip_;
    QRect bounds_;
    std::vector<Edge> edges_;
    std::vector<Crossing> active_;
    std::vector<Crossing> sorted_;
};

} // namespace swf
