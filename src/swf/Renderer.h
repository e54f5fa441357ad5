#pragma once
// Draws a timeline's display list. Everything inside is in twips; the one transform from
// twips to device pixels is the stage placement given by showAll(). Every pixel is sampled at
// four points, so that edges come in quarter steps, as the reference player shows them. A
// frame of shapes and text is drawn in one go, each fill laid over each pixel by the share
// of the samples it covers (CoverageFill). One with bitmaps or masks is drawn with QPainter
// four times without antialiasing, each time sampling another point of every pixel, and the
// four averaged.
//
// The passes and the frames are kept from one frame to the next, and only the pixels the
// display list changed are drawn again (FrameDamage): every pass is clipped to them, and
// objects wholly outside them are not drawn, though their work is counted as if they were,
// so that the budget below leaves out of every frame just what a whole redraw would. A frame
// drawn in one go starts those pixels from a picture of the layers at the bottom of the stage
// that have stopped changing (SettledLayers), whose objects are likewise only counted. What
// is on the target is therefore, to the byte, what drawing the frame whole gives.
//
// Each pass has a budget of drawing work, the movie's maxWorkPerRow for every row of pixels
// drawn. Work is counted in units of about 50 ns on a slow machine: each path, stroke or
// image drawn costs a fixed amount, its path elements, the rows of pixels its edges cross
// (what the rasteriser walks) and the pixels it covers; stroking a path costs more for each
// element. What would pass the budget is not drawn, in every pass alike, so that no frame of
// any movie takes much more than half a second.

#include "swf/CoverageFill.h"
#include "swf/FrameMemory.h"
#include "swf/FrameDamage.h"
#include "swf/Movie.h"
#include "swf/SettledLayers.h"
#include "swf/TimelinePlayer.h"

#include <QPainter>
#include <QRectF>
#include <QRegion>
#include <QSize>
#include <QTransform>

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace swf {

// "Show all" placement: the whole stage fits the target with its proportions kept, centred.
// Returns the transform from stage twips to target pixels.
QTransform showAll(const QRect& stageTwips, const QSizeF& target);

// The stage's rectangle in target pixels under showAll(); a fractional stage counts in whole
// pixels.
QRectF stageArea(const QRect& stageTwips, const QSizeF& target);

class Renderer {
public:
    // Clipping layers nested deeper than this draw their contents unclipped rather than take
    // two more images of the target each.
    static constexpr int kMostNestedClips = 8;

    explicit Renderer(const Movie& movie) : movie_(movie) {}
    // Frames made after this come from memory; by default from the heap.
    void setFrameMemory(FrameMemory memory) { frameMemory_ = std::move(memory); }

    // Fills the stage with the background, the target outside it with the border colour,
    // and draws the display list on the stage.
    void render(QPainter& painter, const TimelinePlayer& root, const QSize& target, const QColor& background,
                const QColor& border) const;
    // The same into an image of size device pixels. The image shares the renderer's memory;
    // the renderer draws no frame into one still held, so a taker may keep the last frame
    // while the next is drawn without a copy of either.
    QImage renderImage(const TimelinePlayer& root, const QSize& size, const QColor& background,
                       const QColor& border) const;
    // The device pixels in which the last image rendered may differ from the one before it:
    // all of it when its size, background or border changed; empty when nothing moved.
    const QRegion& changed() const { return changed_; }

    // For tests and diagnostics: the morph shapes made for the last frame, one for each
    // morph character and ratio it shows.
    std::size_t morphShapesKept() const { return morphs_.size(); }
    // For tests and diagnostics: the depth of the stage's list below which the last frame
    // drawn took the settled layers' picture; 0 when it took none.
    std::uint32_t settledBelow() const { return settledBelow_; }
    // For tests and diagnostics: how many fills of the last frame drawn in one go moved the
    // coverage kept from the frame before instead of finding it.
    std::size_t fillsMoved() const { return coverage_.reusedLastFrame(); }

private:
    using DisplayList = std::map<std::uint16_t, DisplayObject>;

    struct Context {
        // Twips to device pixels, including this pass's shift.
        QTransform transform;
        // The size of what the painter draws on, and the part of it drawn again; an object
        // wholly outside that part only has its work counted.
        QSize device;
        QRectF redrawn;
        bool paint = true;
        // How far this pass moves the picture so that the rasteriser samples where it should.
        QPointF shift;
        QTransform unshifted() const { return transform * QTransform::fromTranslate(-shift.x(), -shift.y()); }
        // For brushes given in the painter's coordinates: reads them at each pixel's centre,
        // as if the pass had not moved the picture, so that colours are not blurred by it.
        QTransform pixelCentres() const
        {
            return transform.isInvertible() ? unshifted() * transform.inverted() : QTransform();
        }
        // Pixels per twip of the stage itself, for strokes that ignore the objects' scaling.
        double stageScale = 0.05;
        ColorTransform colour;
        // Drawing a clipping layer's shapes: coverage only, in opaque white.
        bool mask = false;
        int nesting = 0;
        // Clipping layers open around this point; each holds two images of the target.
        int clips = 0;
        // Set when the frame is drawn in one go rather than in passes: what fills take.
        CoverageFill* once = nullptr;
    };

    // The objects of the stage's list a pass draws, by depth: those below `from` are in the
    // settled layers' picture, which the pass starts from instead of the background, and are
    // only counted; those from `to` up are left out.
    struct Depths {
        std::uint32_t from = 0;
        std::uint32_t to = SettledLayers::kAboveAll;
    };
    // One drawing of the frame, of the pixels in redrawn: aliased with the picture moved by
    // shift pixels or, given once, antialiased by it in one go.
    void renderPass(QPainter& painter, const TimelinePlayer& root, const QSize& target, const QColor& background,
                    const QPointF& shift, const QRegion& redrawn, bool once, Depths depths) const;
    // The frame to draw the next into, at size: the one not shown last, brought up to date
    // with it outside what the next changes.
    QImage& nextFrame(const QSize& size) const;
    // Whether every leaf can be drawn in one go: shapes and text filled with colours and
    // gradients, outside any clipping layer. Bitmaps and masks take the passes.
    static bool drawnInOneGo(const std::vector<DrawnLeaf>& leaves);
    // The leaves the frame draws, in drawing order, for FrameDamage; the walk is drawRange's.
    std::vector<DrawnLeaf> drawnLeaves(const TimelinePlayer& root, const QSize& target) const;
    void collectRange(DisplayList::const_iterator begin, DisplayList::const_iterator end, const Context& context,
                      DrawnLeaf& path, std::vector<DrawnLeaf>& leaves) const;
    void collectObject(const DisplayObject& object, const Context& context, DrawnLeaf& path,
                       std::vector<DrawnLeaf>& leaves) const;
    // Device pixels the object may touch drawn with context; null for a sprite, whose
    // objects answer for themselves.
    QRectF leafBounds(const DisplayObject& object, const Character& character, const Context& context) const;

    void drawList(QPainter& painter, const DisplayList& list, const Context& context) const;
    void drawRange(QPainter& painter, DisplayList::const_iterator begin, DisplayList::const_iterator end,
                   const Context& context) const;
    void drawClipped(QPainter& painter, const DisplayObject& clip, DisplayList::const_iterator begin,
                     DisplayList::const_iterator end, const Context& context) const;
    // An image of size over memory kept for clipping layers open at level: which 0 holds
    // the content, 1 the mask's coverage. Valid until the same one is asked for again.
    QImage scratch(int level, int which, const QSize& size) const;
    // Where the object covers as a mask, in the pixels parent maps to.
    QRectF maskBounds(const DisplayObject& object, const QTransform& parent, int nesting) const;
    // The morph shape at the object's ratio, made once for all the objects that show it at
    // that ratio, and kept while a frame shows it.
    const ShapeGeometry& morphAt(const DisplayObject& object, const MorphCharacter& morph) const;
    void drawObject(QPainter& painter, const DisplayObject& object, const Context& context) const;
    void drawGeometry(QPainter& painter, const ShapeGeometry& geometry, const Context& context) const;
    // How many device pixels wide a stroke is drawn.
    static double strokePixels(const LineStyle& style, double pixelsPerTwip, const Context& context);
    QBrush brushFor(const FillStyle& style, const Context& context) const;
    void fillPath(QPainter& painter, const QPainterPath& path, const FillStyle& style, const Context& context) const;
    // Fills path with brush as the painter would with toDevice as its transform, or into the
    // frame drawn in one go.
    static void fill(QPainter& painter, const QPainterPath& path, const QBrush& brush, const QTransform& toDevice,
                     const Context& context);

    static QImage transformed(const QImage& image, const ColorTransform& colour);

    // Takes work from the pass's budget; false, and nothing taken, when it does not fit.
    bool spend(double work) const;
    // The work of filling the path drawn with toDevice on a device of that size; costlyPixels
    // for gradients and images, which take longer a pixel than a flat colour.
    double fillWork(const QSize& device, const QPainterPath& path, const QTransform& toDevice, bool costlyPixels) const;
    // The same for a rectangle of pixels drawn as an image.
    static double imageWork(const QSize& device, const QRectF& rect);
    // Summed distances along each axis between a path's points, for the rows its edges cross
    // under any transform; kept for the frame.
    struct PathSpan {
        double x = 0;
        double y = 0;
        int elements = 0;
    };
    const PathSpan& spanOf(const QPainterPath& path) const;

    // A stroke's outline, in shape twips or, given toDevice (without the pass's shift), in
    // device pixels. The passes of one frame outline each stroke once.
    const QPainterPath& outline(const QPainterPath& path, const LineStyle& style, double width,
                                const QTransform* toDevice) const;
    struct OutlineKey {
        const QPainterPath* path;
        std::uint64_t width;
        std::array<std::uint64_t, 6> toDevice;
        auto operator<=>(const OutlineKey&) const = default;
    };

    struct MorphResult {
        ShapeGeometry geometry;
        bool shown = true;
    };

    const Movie& movie_;
    mutable std::map<OutlineKey, QPainterPath> outlines_;
    mutable std::map<const QPainterPath*, PathSpan> spans_;
    // By morph character and ratio.
    mutable std::map<std::pair<std::uint16_t, std::uint16_t>, MorphResult> morphs_;
    mutable double workLeft_ = 0;
    // Kept from frame to frame.
    mutable std::array<QImage, 4> passes_;
    // Two frames, drawn into by turns so that the one shown last can stay with its taker:
    // the other is brought up to date with it before it is drawn into, where the new frame
    // does not draw anyway.
    mutable std::array<QImage, 2> frames_;
    FrameMemory frameMemory_;
    mutable std::size_t front_ = 0;
    // Where the frame not shown last differs from the one that was.
    mutable QRegion stale_;
    // Whether the last frame was drawn in one go, straight into the frame.
    mutable bool once_ = false;
    mutable QRegion changed_;
    mutable FrameDamage damage_;
    // Kept only for frames drawn in one go.
    mutable SettledLayers settled_;
    mutable std::uint32_t settledBelow_ = 0;
    // What the paths filled in one go covered, for the next frame.
    mutable CoverageCache coverage_;
    // What the passes were last drawn with: another size or colour is drawn whole.
    mutable QColor background_;
    mutable QColor border_;
    mutable std::array<std::array<QImage, 2>, kMostNestedClips> clipScratch_;
};

// Renders the frame shown by root into a new image of the given size; the border outside the
// stage takes the background colour unless another is given.
QImage renderFrame(const Movie& movie, const TimelinePlayer& root, const QSize& size, const QColor& background,
                   const QColor& border = QColor());

} // namespace swf
