#include "swf/WidePixels.h"

#include "swf/PixelBlend.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SWF_WIDE_PIXELS 1
#endif

namespace swf {

#ifdef SWF_WIDE_PIXELS

bool widePixels()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

// Built for AVX2, each function marked so, and called only where widePixels() says so: the
// choice is made outside them, where no AVX2 instruction can come before it. Shared inline
// code is included above, built as the rest.
#define SWF_AVX2 __attribute__((target("avx2")))

namespace {

// Each pixel's transparency in the four lanes of its channels.
SWF_AVX2 inline __m256i transparency(__m256i lanes)
{
    const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(lanes, 0xff), 0xff);
    return _mm256_sub_epi16(_mm256_set1_epi16(255), alpha);
}

// Each lane times factor / 255, rounded as scaled() rounds it.
SWF_AVX2 inline __m256i scale(__m256i lanes, __m256i factor)
{
    const __m256i product = _mm256_add_epi16(_mm256_mullo_epi16(lanes, factor), _mm256_set1_epi16(0x80));
    return _mm256_srli_epi16(_mm256_add_epi16(product, _mm256_srli_epi16(product, 8)), 8);
}

SWF_AVX2 void layOverEachAvx2(QRgb* pixels, const QRgb* colours, int count)
{
    int x = 0;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xff000000u));
    // The lanes of each half hold two pixels' channels; unpacking and packing within halves
    // leaves the pixels in their places.
    for (; x + 8 <= count; x += 8) {
        auto* at = reinterpret_cast<__m256i*>(pixels + x);
        const __m256i colour = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colours + x));
        // Eight opaque colours hide what is under them.
        const auto opaqueBytes = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_or_si256(colour, opaque), colour)));
        if ((opaqueBytes & 0x88888888u) == 0x88888888u) {
            _mm256_storeu_si256(at, colour);
            continue;
        }
        const __m256i under = _mm256_loadu_si256(at);
        const __m256i low = scale(_mm256_unpacklo_epi8(under, zero), transparency(_mm256_unpacklo_epi8(colour, zero)));
        const __m256i high = scale(_mm256_unpackhi_epi8(under, zero), transparency(_mm256_unpackhi_epi8(colour, zero)));
        _mm256_storeu_si256(at, _mm256_add_epi8(_mm256_packus_epi16(low, high), colour));
    }
    layOverEach(pixels + x, colours + x, count - x);
}

} // namespace

void layOverEachWide(QRgb* pixels, const QRgb* colours, int count)
{
    if (widePixels())
        layOverEachAvx2(pixels, colours, count);
    else
        layOverEach(pixels, colours, count);
}

#else

bool widePixels()
{
    return false;
}

void layOverEachWide(QRgb* pixels, const QRgb* colours, int count)
{
    layOverEach(pixels, colours, count);
}

#endif

} // namespace swf
