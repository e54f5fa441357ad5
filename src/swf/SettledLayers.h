#pragma once
// The layers at the bottom of the stage that have stopped changing. Many movies play over a
// backdrop that stays as it is for frame after frame; the renderer keeps a picture of the
// stage with those layers alone and starts each frame's changed pixels from it, drawing only
// the layers above them. Since a pixel's colour depends only on the leaves drawn over it in
// their order, the result is, to the byte, what drawing every layer gives.
//
// The layers kept are the stage's objects below one depth. They are taken once they have
// drawn alike over three frames in a row, so that a movie whose bottom keeps changing does
// not have it drawn twice, once for the picture and once for the frame.

#include "swf/FlatRows.h"
#include "swf/FrameDamage.h"

#include <QColor>
#include <QImage>
#include <QSize>

#include <cstdint>
#include <vector>

namespace swf {

class SettledLayers {
public:
    // Above every depth of a display list.
    static constexpr std::uint32_t kAboveAll = 0x10000;

    struct Use {
        // The stage's objects below this depth are in the picture; 0 when it holds none.
        std::uint32_t below = 0;
        // Whether the picture must first be drawn anew, of those objects alone.
        bool drawAnew = false;
    };
    // What serves a frame of these leaves, drawn in one go at size over background, the
    // last frame's leaves being before (empty when unknown).
    Use settle(const std::vector<DrawnLeaf>& leaves, const std::vector<DrawnLeaf>& before, const QSize& size,
               const QColor& background);
    // The picture; the renderer draws it when settle() asks, at the frame's size, and then
    // says it has with drawn().
    QImage& picture() { return picture_; }
    void drawn() { flat_.measure(picture_); }
    // Copies rect of the picture into a frame.
    void copyTo(QImage& frame, const QRect& rect) const { flat_.copy(picture_, frame, rect); }
    // Nothing is kept: the next frames start again.
    void forget();

private:
    std::vector<DrawnLeaf> kept_;
    std::uint32_t below_ = 0;
    // The depth below which the last frame drew as the frame before it.
    std::uint32_t steady_ = 0;
    QSize size_;
    QColor background_;
    QImage picture_;
    FlatRows flat_;
};

} // namespace swf
