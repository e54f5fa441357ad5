#pragma once
// Source-over blending of premultiplied ARGB pixels, rounded as Qt's raster engine rounds
// it, so that the fillers give the very bytes QPainter would.

#include <QRgb>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace swf {

// Each channel of a premultiplied pixel times alpha / 255.
inline QRgb scaled(QRgb pixel, quint32 alpha)
{
    quint32 redBlue = (pixel & 0x00ff00ffu) * alpha + 0x00800080u;
    redBlue = ((redBlue + ((redBlue >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
    quint32 alphaGreen = ((pixel >> 8) & 0x00ff00ffu) * alpha + 0x00800080u;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0x00ff00ffu)) & 0xff00ff00u;
    return redBlue | alphaGreen;
}

// The premultiplied colour laid over a pixel.
inline QRgb over(QRgb pixel, QRgb premultiplied)
{
    return premultiplied + scaled(pixel, 255 - qAlpha(premultiplied));
}

// Sets count pixels to one colour, four at a time where the processor allows: opaque fills
// cover most of a movie's frame.
inline void fillWith(QRgb* pixels, int count, QRgb colour)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
    for (; x + 4 <= count; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + x), four);
#endif
    for (; x < count; ++x)
        pixels[x] = colour;
}

// Lays the premultiplied colour over count pixels: an opaque one hides them, a translucent
// one leaves each at its transparency of what it was, four at a time where the processor
// allows, with the rounding of scaled() in each 16-bit lane.
inline void layOver(QRgb* pixels, int count, QRgb premultiplied)
{
    const quint32 transparency = 255 - qAlpha(premultiplied);
    if (transparency == 0) {
        fillWith(pixels, count, premultiplied);
        return;
    }
    int x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i factor = _mm_set1_epi16(static_cast<short>(transparency));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i colour = _mm_set1_epi32(static_cast<int>(premultiplied));
    const auto scale = [&](__m128i lanes) {
        const __m128i product = _mm_add_epi16(_mm_mullo_epi16(lanes, factor), half);
        return _mm_srli_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), 8);
    };
    for (; x + 4 <= count; x += 4) {
        auto* at = reinterpret_cast<__m128i*>(pixels + x);
        const __m128i under = _mm_loadu_si128(at);
        const __m128i kept = _mm_packus_epi16(scale(_mm_unpacklo_epi8(under, zero)), scale(_mm_unpackhi_epi8(under, zero)));
        _mm_storeu_si128(at, _mm_add_epi8(kept, colour));
    }
#endif
    for (; x < count; ++x)
        pixels[x] = premultiplied + scaled(pixels[x], transparency);
}

// Lays each of count premultiplied colours over its pixel, four at a time where the
// processor allows, rounded as over() rounds.
inline void layOverEach(QRgb* pixels, const QRgb* colours, int count)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
    const __m128i half = _mm_set1_epi16(0x80);
    // Each pixel's transparency in its four lanes, and its lanes scaled by it.
    const auto transparency = [&](__m128i lanes) {
        const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, 0xff), 0xff);
        return _mm_sub_epi16(full, alpha);
    };
    const auto scale = [&](__m128i lanes, __m128i factor) {
        const __m128i product = _mm_add_epi16(_mm_mullo_epi16(lanes, factor), half);
        return _mm_srli_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), 8);
    };
    for (; x + 4 <= count; x += 4) {
        auto* at = reinterpret_cast<__m128i*>(pixels + x);
        const __m128i colour = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours + x));
        // Four opaque colours hide what is under them.
        if ((_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(colour, opaque), colour)) & 0x8888) == 0x8888) {
            _mm_storeu_si128(at, colour);
            continue;
        }
        const __m128i under = _mm_loadu_si128(at);
        const __m128i low = scale(_mm_unpacklo_epi8(under, zero), transparency(_mm_unpacklo_epi8(colour, zero)));
        const __m128i high = scale(_mm_unpackhi_epi8(under, zero), transparency(_mm_unpackhi_epi8(colour, zero)));
        _mm_storeu_si128(at, _mm_add_epi8(_mm_packus_epi16(low, high), colour));
    }
#endif
    for (; x < count; ++x)
        pixels[x] = over(pixels[x], colours[x]);
}

} // namespace swf
