// The antialiased filler's colours against QPainter's for the same brush: gradients of every
// kind and spread, read at pixel centres, within a few levels of Qt's; and its edges against four aliased fills averaged.

#include "swf/CoverageFill.h"
#include "swf/PixelBlend.h"
#include "swf/ScanlineFill.h"
#include "swf/WidePixels.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr int kSide = 64;
constexpr swf::CoverageFill::Samples kSamples = {QPointF(0.4375, 0.8125), QPointF(0.9375, 0.5625),
                                                  QPointF(0.1875, 0.3125), QPointF(0.6875, 0.0625)};

QImage grey()
{
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(90, 90, 90));
    return image;
}

int channelGap(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

QGradient withStops(QGradient gradient, QGradient::Spread spread)
{
    gradient.setStops({{0.0, QColor(255, 0, 0)}, {0.4, QColor(0, 200, 40, 128)}, {1.0, QColor(10, 20, 250)}});
    gradient.setSpread(spread);
    return gradient;
}

TEST(CoverageFill, GradientsTakeQtsColoursAtPixelCentres)
{
    struct Case {
        const char* what;
        QGradient gradient;
    };
    const Case cases[] = {
        {"linear, padded", withStops(QLinearGradient(-10, 0, 10, 0), QGradient::PadSpread)},
        {"linear, reflected", withStops(QLinearGradient(-10, 0, 10, 0), QGradient::ReflectSpread)},
        {"linear, repeated", withStops(QLinearGradient(-10, 0, 10, 0), QGradient::RepeatSpread)},
        {"radial", withStops(QRadialGradient(QPointF(0, 0), 10), QGradient::PadSpread)},
        {"radial, repeated", withStops(QRadialGradient(QPointF(0, 0), 10), QGradient::RepeatSpread)},
        {"radial from a focal point", withStops(QRadialGradient(QPointF(0, 0), 10, QPointF(6, 2)), QGradient::PadSpread)},
    };
    QPainterPath square;
    square.addRect(QRectF(-1, -1, kSide + 2, kSide + 2));
    for (const Case& c : cases) {
        QBrush brush(c.gradient);
        // Turned and stretched, and centred on the image.
        brush.setTransform(QTransform().translate(32, 32).rotate(25).scale(1.6, 0.9));
        QImage expected = grey();
        {
            QPainter painter(&expected);
            painter.setPen(Qt::NoPen);
            painter.setBrush(brush);
            painter.drawPath(square);
        }
        QImage actual = grey();
        swf::CoverageFill(actual, {actual.rect()}, kSamples).fill(square, QTransform(), brush);
        // Blended and rounded another way, a colour may lie a few levels off where a ramp is
        // steep. Where a repeat wraps, between two neighbours far
        // apart, a pixel may fall either side of it.
        constexpr int kLevels = 4;
        const auto wraps = [&](int x, int y) {
            const QRgb here = expected.pixel(x, y);
            return (x > 0 && channelGap(here, expected.pixel(x - 1, y)) > 64) ||
                   (x + 1 < kSide && channelGap(here, expected.pixel(x + 1, y)) > 64) ||
                   (y > 0 && channelGap(here, expected.pixel(x, y - 1)) > 64) ||
                   (y + 1 < kSide && channelGap(here, expected.pixel(x, y + 1)) > 64);
        };
        int far = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                far += channelGap(actual.pixel(x, y), expected.pixel(x, y)) > kLevels && !wraps(x, y) ? 1 : 0;
        EXPECT_EQ(far, 0) << c.what;
    }
}

TEST(CoverageFill, AGradientWhoseMatrixOverflowsShowsItsLastColour)
{
    // A damaged file's gradient matrix, squeezed past what doubles hold one way or another.
    const QTransform squeezed[] = {QTransform::fromScale(1e-300, 1e300), QTransform::fromScale(1e300, 1e300),
                                   QTransform(std::numeric_limits<double>::infinity(), 0, 0, 1, 0, 0)};
    QPainterPath square;
    square.addRect(QRectF(0, 0, kSide, kSide));
    for (const QTransform& matrix : squeezed) {
        for (QGradient gradient : {QGradient(QLinearGradient(-10, 0, 10, 0)), QGradient(QRadialGradient(QPointF(0, 0), 10, QPointF(3, 0)))}) {
            gradient.setStops({{0.0, QColor(255, 0, 0)}, {1.0, QColor(0, 0, 255)}});
            QBrush brush(gradient);
            brush.setTransform(matrix);
            QImage image = grey();
            swf::CoverageFill(image, {image.rect()}, kSamples).fill(square, QTransform(), brush);
            // No colour outside the gradient's own, and no read outside its table.
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x)
                    ASSERT_EQ(qGreen(image.pixel(x, y)), 0) << x << "," << y;
        }
    }
}

TEST(CoverageFill, AnEdgeCoversAsFourAliasedFillsAveraged)
{
    // A slanted, translucent triangle over grey: each pixel one edge crosses is the rounded
    // mean of the four aliased fills, one at each sample.
    QPainterPath triangle;
    triangle.moveTo(3.3, 2.1);
    triangle.lineTo(60.7, 17.45);
    triangle.lineTo(21.2, 61.9);
    triangle.closeSubpath();
    const QRgb colour = qPremultiply(qRgba(200, 30, 120, 170));
    std::array<QImage, 4> passes;
    for (std::size_t i = 0; i < passes.size(); ++i) {
        passes[i] = grey();
        const QPointF shift = QPointF(0.5, 0.5) - kSamples[i];
        swf::ScanlineFill(passes[i], {passes[i].rect()}).fill(triangle, QTransform::fromTranslate(shift.x(), shift.y()), colour);
    }
    QImage actual = grey();
    swf::CoverageFill(actual, {actual.rect()}, kSamples).fill(triangle, QTransform(), QColor::fromRgba(qUnpremultiply(colour)));
    int differing = 0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            QRgb mean = 0;
            for (int channel = 0; channel < 32; channel += 8) {
                int sum = 0;
                for (const QImage& pass : passes)
                    sum += int((pass.pixel(x, y) >> channel) & 0xff);
                mean |= QRgb((sum + 2) / 4) << channel;
            }
            differing += actual.pixel(x, y) != mean ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

// A path filled two frames running has its coverage kept, and moved by whole pixels the
// third; one whose edges crowd every row is found afresh each frame instead of held in
// memory out of all measure.
TEST(CoverageFill, KeepsAPathsCoverageForTheNextFrameWithinABudget)
{
    QPainterPath small;
    small.addEllipse(QRectF(10, 10, 20, 12));
    // An edge down every column: every row of every sample is cut into single pixels.
    const QSize large(512, 256);
    QPainterPath crowded;
    crowded.moveTo(0, 0);
    for (int i = 1; i < large.width(); ++i)
        crowded.lineTo(i, i % 2 != 0 ? large.height() - 1 : 0);
    const struct {
        const char* what;
        const QPainterPath& path;
        std::size_t moved;
    } cases[] = {{"small", small, 1}, {"crowded", crowded, 0}};
    for (const auto& c : cases) {
        swf::CoverageCache cache;
        std::size_t moved = 0;
        for (int frame = 0; frame < 3; ++frame) {
            QImage image(large, QImage::Format_ARGB32_Premultiplied);
            image.fill(qRgb(90, 90, 90));
            swf::CoverageFill fill(image, {image.rect()}, kSamples, &cache);
            fill.fill(c.path, QTransform::fromTranslate(frame, 0), QBrush(QColor(200, 40, 40)));
            cache.endFrame();
            moved += cache.reusedLastFrame();
        }
        EXPECT_EQ(moved, c.moved) << c.what;
    }
}

TEST(CoverageFill, TheWideBlendGivesTheBytesOfTheNarrowOne)
{
    if (!swf::widePixels())
        GTEST_SKIP() << "this processor has no AVX2";
    // Runs of every length around the eight a step takes, of colours opaque, clear and in
    // between, in groups of eight alike and mixed, over pixels opaque and not.
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const auto premultiplied = [&](int alpha) {
        return qPremultiply(qRgba(int(next() & 0xff), int(next() & 0xff), int(next() & 0xff), alpha));
    };
    for (int count = 0; count <= 40; ++count) {
        for (const int opaqueShare : {0, 50, 100}) {
            std::vector<QRgb> colours(static_cast<std::size_t>(count));
            std::vector<QRgb> narrow(colours.size());
            for (std::size_t i = 0; i < colours.size(); ++i) {
                const bool opaque = int(next() % 100) < opaqueShare || (i / 8 == 1 && opaqueShare > 0);
                colours[i] = premultiplied(opaque ? 255 : int(next() % 256));
                narrow[i] = premultiplied(i % 3 == 0 ? 255 : int(next() % 256));
            }
            std::vector<QRgb> wide = narrow;
            swf::layOverEach(narrow.data(), colours.data(), count);
            swf::layOverEachWide(wide.data(), colours.data(), count);
            EXPECT_EQ(wide, narrow) << count << " pixels, " << opaqueShare << " % opaque";
        }
    }
}

} // namespace
