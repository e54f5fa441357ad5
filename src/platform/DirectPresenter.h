#pragma once
// Brings a widget's picture to the screen without the toolkit's repaint. For a widget
// whose picture changes every display frame, the repaint machinery, and on X11 the round
// trip to the server that reusing its shared image costs, come to more than the drawing
// itself. Where the display system allows it, the changed pixels go straight to the
// window; elsewhere none is made and the widget repaints as usual.

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <functional>
#include <memory>

class QWidget;

namespace platform {

class DirectPresenter {
public:
    virtual ~DirectPresenter() = default;
    // Puts the changed part of the picture (logical pixels of the widget, the picture
    // covering the whole widget in device pixels, 32-bit RGB or opaque premultiplied) on
    // the screen. False when it could not: the widget
    // then repaints that part itself.
    virtual bool present(const QImage& picture, const QRect& changed) = 0;
    // The same from any thread, the changed part given in the picture's device pixels: it
    // may read nothing of the widget, only what the widget's thread last found of its place.
    // False when that is not known just now, or it could not: the widget's thread then
    // puts them with present(). None does by default.
    virtual bool presentOffThread(const QImage& /*picture*/, const QRegion& /*changed*/) { return false; }

    // Where a widget whose whole frames are drawn elsewhere may draw them, so that the
    // presenter puts them without a copy: an image of the size and format asked, or a null
    // one when there is none to give. Empty where the presenter has no such memory.
    using FrameMemory = std::function<QImage(const QSize& size, QImage::Format format)>;
    virtual FrameMemory frameMemory() { return {}; }
};

// A presenter for the widget, or none where the display system does not allow one.
std::unique_ptr<DirectPresenter> makeDirectPresenter(QWidget& widget);

} // namespace platform
