#pragma once
// The blend most of a gradient fill's time goes to, eight pixels at a time on processors with
// AVX2, which is found out when the program runs: the build itself assumes no more than SSE2.
// It gives the very bytes of the loop it stands in for.

#include <QRgb>

namespace swf {

// Whether this processor takes eight pixels at a time.
bool widePixels();

// As layOverEach(): each of count premultiplied colours laid over its pixel, eight at a time
// where widePixels(), four at a time otherwise.
void layOverEachWide(QRgb* pixels, const QRgb* colours, int count);

} // namespace swf
