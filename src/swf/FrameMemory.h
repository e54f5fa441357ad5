#pragma once
// Where a renderer's frames are drawn: an image of the size and format asked in memory of the
// frames' taker, who shows them from there without a copy; a null one leaves it to the heap.

#include <QImage>
#include <QSize>

#include <functional>

namespace swf {

using FrameMemory = std::function<QImage(const QSize& size, QImage::Format format)>;

} // namespace swf
