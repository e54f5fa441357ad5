#pragma once
// Draws a timeline's display list with QPainter. Everything inside is in twips; the one
// transform from twips to device pixels is the stage placement given by showAll().

#include "swf/Movie.h"
#include "swf/Timeline.h"

#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QTransform>

namespace swf {

// "Show all" placement: the whole stage fits the target with its proportions kept, centred.
// Returns the transform from stage twips to target pixels.
QTransform showAll(const QRect& stageTwips, const QSizeF& target);

// The stage's rectangle in target pixels under showAll(); a fractional stage counts in whole
// pixels.
QRectF stageArea(const QRect& stageTwips, const QSizeF& target);

class Renderer {
public:
    explicit Renderer(const Movie& movie) : movie_(movie) {}

    // Fills the stage with the background, the target outside it with the border colour,
    // and draws the display list on the stage.
    void render(QPainter& painter, const TimelinePlayer& root, const QSize& target, const QColor& background,
                const QColor& border) const;

private:
    struct Context {
        QTransform transform;
        // Pixels per twip of the stage itself, for strokes that ignore the objects' scaling.
        double stageScale = 0.05;
        ColorTransform colour;
        // Drawing a clipping layer's shapes: coverage only, in opaque white.
        bool mask = false;
        int nesting = 0;
        // Clipping layers open around this point; each holds two images of the target.
        int clips = 0;
    };

    using DisplayList = std::map<std::uint16_t, DisplayObject>;
    void drawList(QPainter& painter, const DisplayList& list, const Context& context) const;
    void drawRange(QPainter& painter, DisplayList::const_iterator begin, DisplayList::const_iterator end,
                   const Context& context) const;
    void drawClipped(QPainter& painter, const DisplayObject& clip, DisplayList::const_iterator begin,
                     DisplayList::const_iterator end, const Context& context) const;
    void drawObject(QPainter& painter, const DisplayObject& object, const Context& context) const;
    void drawGeometry(QPainter& painter, const ShapeGeometry& geometry, const Context& context) const;
    QBrush brushFor(const FillStyle& style, const Context& context) const;
    void fillPath(QPainter& painter, const QPainterPath& path, const FillStyle& style, const Context& context) const;

    static QImage transformed(const QImage& image, const ColorTransform& colour);

    const Movie& movie_;
};

// Renders the frame shown by root into a new image of the given size; the border outside the
// stage takes the background colour unless another is given.
QImage renderFrame(const Movie& movie, const TimelinePlayer& root, const QSize& size, const QColor& background,
                   const QColor& border = QColor());

} // namespace swf
