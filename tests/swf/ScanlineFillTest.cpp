// The scanline filler against QPainter's aliased drawPath on the same image: the pixels that
// differ, per path, and that it writes nowhere outside its clip whatever the numbers.

#include "swf/DrawFill.h"
#include "swf/ScanlineFill.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

constexpr int kSide = 64;

// Premultiplied pixels that differ from one to the next, so that a blend done wrong shows.
QImage background()
{
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            image.setPixel(x, y, qPremultiply(qRgba(x * 4, y * 4, 255 - x * 2, 64 + (x + y) % 192)));
    return image;
}

int differing(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return count;
}

QPainterPath polygon(std::initializer_list<QPointF> points, Qt::FillRule rule = Qt::OddEvenFill)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    path.setFillRule(rule);
    return path;
}

// A five-pointed star drawn in one stroke: its middle is covered twice.
QPainterPath star(Qt::FillRule rule)
{
    return polygon({{32, 4}, {48.5, 57.1}, {5.4, 23.3}, {58.6, 23.3}, {15.5, 57.1}}, rule);
}

// A square with a square inside it traced the other way round: a hole under either rule.
QPainterPath framed(Qt::FillRule rule)
{
    QPainterPath path = polygon({{4.2, 5.1}, {58.7, 4.4}, {59.3, 57.6}, {5.5, 58.9}}, rule);
    path.addPolygon(QPolygonF({{20.3, 21.6}, {19.9, 40.4}, {41.7, 42.8}, {40.1, 20.2}}));
    path.closeSubpath();
    return path;
}

QPainterPath curves()
{
    QPainterPath path;
    path.moveTo(6.3, 30.2);
    path.quadTo(20.7, -8.1, 57.9, 12.4);
    path.cubicTo(70.2, 40.8, 30.6, 75.3, 10.1, 55.5);
    path.quadTo(30.4, 35.3, 6.3, 30.2);
    return path;
}

struct Case {
    const char* name;
    std::function<QPainterPath()> path;
    QTransform transform;
    QRect clip;
    QColor colour;
    // Pixels that may differ from QPainter's, and why.
    int mostDiffering;
};

const QRect kAll(0, 0, kSide, kSide);

const Case kCases[] = {
    {"triangle between pixels", [] { return polygon({{3.37, 2.81}, {50.12, 10.55}, {20.93, 60.04}}); }, {}, kAll,
     Qt::red, 0},
    // A corner on a pixel's centre: Qt's rasteriser takes that pixel on one side of it.
    {"triangle with corners on centres", [] { return polygon({{3.5, 2.5}, {50.5, 10.5}, {20.5, 60.5}}); }, {},
     kAll, Qt::red, 1},
    {"rectangle edges through centres", [] { return polygon({{10.5, 10.5}, {30.5, 10.5}, {30.5, 30.5}, {10.5, 30.5}}); },
     {}, kAll, Qt::blue, 0},
    {"star odd-even", [] { return star(Qt::OddEvenFill); }, {}, kAll, Qt::green, 0},
    {"star winding", [] { return star(Qt::WindingFill); }, {}, kAll, Qt::green, 0},
    {"hole odd-even", [] { return framed(Qt::OddEvenFill); }, {}, kAll, Qt::black, 0},
    {"hole winding", [] { return framed(Qt::WindingFill); }, {}, kAll, Qt::black, 0},
    // Flattened to within what Qt flattens to, but not always by the same steps: a pixel
    // where a curve passes a centre within a fraction of a pixel.
    {"curves", curves, {}, kAll, Qt::darkCyan, 1},
    {"curves turned and scaled", curves, QTransform().rotate(17).scale(0.6, 0.8), kAll, Qt::black, 1},
    {"partly outside the clip", [] { return polygon({{-30.2, -10.7}, {90.6, 20.3}, {10.1, 95.8}}); },
     QTransform(0.9, 0.1, 0, 1.1, 0.37, -0.61), QRect(10, 12, 40, 37), Qt::magenta, 0},
    {"sliver thinner than a pixel", [] { return polygon({{2.1, 3.3}, {61.4, 50.2}, {61.6, 50.1}}); }, {}, kAll,
     Qt::red, 0},
    {"huge coordinates", [] { return polygon({{-1e6, -1e6}, {1e6, -3e5}, {20, 1e7}}); }, {}, kAll, Qt::red, 0},
    // Translucent colours, blended over what lies there as Qt blends them.
    {"half red", [] { return star(Qt::WindingFill); }, {}, kAll, QColor(255, 0, 0, 128), 0},
    {"almost clear", [] { return star(Qt::WindingFill); }, {}, kAll, QColor(250, 251, 3, 1), 0},
    {"almost opaque", [] { return star(Qt::WindingFill); }, {}, kAll, QColor(128, 128, 128, 254), 0},
};

TEST(ScanlineFill, GivesThePixelsOfQPaintersAliasedFill)
{
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.name);
        const QPainterPath path = test.path();
        QImage expected = background();
        QImage filled = expected.copy();
        {
            QPainter painter(&expected);
            painter.setClipRect(test.clip);
            painter.setTransform(test.transform);
            painter.setPen(Qt::NoPen);
            painter.setBrush(test.colour);
            painter.drawPath(path);
        }
        swf::ScanlineFill(filled, {test.clip}).fill(path, test.transform, qPremultiply(test.colour.rgba()));
        EXPECT_LE(differing(expected, filled), test.mostDiffering);
        EXPECT_NE(filled, background()) << "drew nothing";
    }
}

// Numbers no shape should have: the filler draws within its clip or not at all.
TEST(ScanlineFill, WritesNothingOutsideItsClipWhateverTheNumbers)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const QTransform transforms[] = {
        QTransform(kNaN, 0, 0, 1, 0, 0),          QTransform(kInfinity, 0, 0, kInfinity, 0, 0),
        QTransform(1e300, 0, 0, 1e300, 0, 0),     QTransform(1e30, 1e30, -1e30, 1e30, 5, 5),
        QTransform(0, 0, 0, 0, 32, 32),           QTransform(1, 0, 0, 1e-300, 0, 30),
        QTransform::fromTranslate(-1e18, 1e18),
    };
    // The image the filler sees lies inside a larger one, whose frame must stay as it was.
    constexpr int kFrame = 8;
    const QRect clip(4, 4, 48, 48);
    for (const QTransform& transform : transforms) {
        for (const QPainterPath& path : {star(Qt::WindingFill), curves()}) {
            QImage outer(kSide + 2 * kFrame, kSide + 2 * kFrame, QImage::Format_ARGB32_Premultiplied);
            outer.fill(Qt::white);
            QImage inner(outer.bits() + kFrame * outer.bytesPerLine() + kFrame * 4, kSide, kSide, outer.bytesPerLine(),
                         QImage::Format_ARGB32_Premultiplied);
            swf::ScanlineFill(inner, {clip, QRect(-100, -100, 10, 10)}).fill(path, transform, qRgba(0, 0, 0, 255));
            const QRect reached = clip.translated(kFrame, kFrame);
            int outside = 0;
            for (int y = 0; y < outer.height(); ++y)
                for (int x = 0; x < outer.width(); ++x)
                    outside += !reached.contains(x, y) && outer.pixel(x, y) != qRgba(255, 255, 255, 255) ? 1 : 0;
            EXPECT_EQ(outside, 0) << transform.m11() << ' ' << transform.m12() << ' ' << transform.dx();
        }
    }
}

// drawFill takes the painter's transform and a clip of several rectangles, and leaves what
// the filler cannot do as QPainter does it to QPainter.
TEST(DrawFill, MatchesDrawPathUnderThePaintersTransformAndClip)
{
    const QRegion clip = QRegion(5, 6, 30, 40) + QRegion(30, 20, 30, 40);
    QLinearGradient gradient(0, 0, 64, 64);
    gradient.setColorAt(0, Qt::red);
    gradient.setColorAt(1, Qt::blue);
    for (const QBrush& brush : {QBrush(QColor(20, 200, 90, 160)), QBrush(gradient)}) {
        for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
            QImage expected = background().convertToFormat(format);
            QImage filled = expected.copy();
            const auto draw = [&](QImage& image, bool byFiller) {
                QPainter painter(&image);
                painter.setClipRegion(clip);
                painter.setTransform(QTransform::fromScale(0.05, 0.05).rotate(3).translate(40, 10));
                if (byFiller) {
                    swf::drawFill(painter, curves() * QTransform::fromScale(20, 20), brush);
                } else {
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(brush);
                    painter.drawPath(curves() * QTransform::fromScale(20, 20));
                }
            };
            draw(expected, false);
            draw(filled, true);
            // The curves' pixel, as above.
            EXPECT_LE(differing(expected, filled), 1) << brush.style() << ' ' << format;
        }
    }
}

} // namespace
