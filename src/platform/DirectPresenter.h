#pragma once
// Brings a widget's picture to the screen without the toolkit's repaint. For a widget
// whose picture changes every display frame, the repaint machinery, and on X11 the round
// trip to the server that reusing its shared image costs, come to more than the drawing
// itself. Where the display system allows it, the changed pixels go straight to the
// window; elsewhere none is made and the widget repaints as usual.

#include <QRect>

#include <memory>

class QImage;
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
};

// A presenter for the widget, or none where the display system does not allow one.
std::unique_ptr<DirectPresenter> makeDirectPresenter(QWidget& widget);

} // namespace platform
