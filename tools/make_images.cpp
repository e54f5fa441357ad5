// Draws the program's own pictures into the given folder: the program icon, a hypnotic
// disc, as icon-<size>.png for each size asked for, and the pointer shown over link
// labels as link-pointer.png, which carries its hot spot in the "HotSpotX" and
// "HotSpotY" text entries of the PNG file.

#include <QColor>
#include <QConicalGradient>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// The disc: coloured rings on black, their hues running once round the colour circle
// from the rim to the centre, as the colour wheel's rings flow through red, green and
// blue. Each ring's colour turns a little further round than its outer neighbour's,
// so that together they seem to swirl. Small icons get fewer rings so that each stays
// wider than a pixel or two.
QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const QPointF centre(size / 2.0, size / 2.0);
    const double outer = size / 2.0 - std::max(0.5, size / 64.0);
    const double rim = std::max(1.0, size / 32.0);
    const int rings = size < 22 ? 3 : size < 32 ? 4 : size < 64 ? 6 : 9;
    const double band = (outer - rim) / rings;

    // A light edge around a dark rim keeps the disc round on dark and light panels alike.
    painter.setBrush(QColor(150, 150, 200));
    painter.drawEllipse(centre, outer, outer);
    const double edge = std::max(0.75, size / 96.0);
    painter.setBrush(QColor(16, 16, 40));
    painter.drawEllipse(centre, outer - edge, outer - edge);

    for (int i = 0; i < rings; ++i) {
        const double radius = outer - rim - i * band;
        const double hue = static_cast<double>(i) / rings;
        QConicalGradient swirl(centre, 35.0 * i);
        swirl.setColorAt(0.0, QColor::fromHsvF(static_cast<float>(hue), 0.85f, 1.0f));
        swirl.setColorAt(0.5, QColor::fromHsvF(static_cast<float>(std::fmod(hue + 0.5 / rings, 1.0)), 0.9f, 0.8f));
        swirl.setColorAt(1.0, QColor::fromHsvF(static_cast<float>(hue), 0.85f, 1.0f));
        painter.setBrush(swirl);
        painter.drawEllipse(centre, radius, radius);
        // The black gap inside each ring, as the wheel draws its rings on black.
        if (i < rings - 1) {
            const double gap = radius - band * 0.62;
            painter.setBrush(Qt::black);
            painter.drawEllipse(centre, gap, gap);
        }
    }

    // The point to fix the eyes on.
    const double dot = std::max(1.0, band * 0.38);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, dot, dot);
    return image;
}

// A hand pointing upward with its index finger, drawn in black and white like the
// classic monochrome pointers so that it reads on any background. '#' is black, 'o'
// white, '.' clear, and '@' the black pixel at the fingertip that is the hot spot.
constexpr std::array<std::string_view, 32> kPointer = {
    "................................",
    "............@#..................",
    "...........#oo#.................",
    "..........#oooo#................",
    "..........#oooo#................",
    "..........#oooo#................",
    "..........#oooo#................",
    "..........#oooo#................",
    "..........#oooo####.............",
    "..........#oooo#ooo####.........",
    "..........#oooo#ooo#ooo###......",
    "..........#oooo#ooo#ooo#oo##....",
    "....##....#oooo#ooo#ooo#ooo#....",
    "...#oo#...#oooooooooooooooo#....",
    "...#ooo#..#oooooooooooooooo#....",
    "...#oooo#.#oooooooooooooooo#....",
    "....#oooo##oooooooooooooooo#....",
    "....#oooooooooooooooooooooo#....",
    ".....#ooooooooooooooooooooo#....",
    "......#oooooooooooooooooooo#....",
    ".......#ooooooooooooooooooo#....",
    "........#ooooooooooooooooo#.....",
    ".........#ooooooooooooooo#......",
    "..........#ooooooooooooo#.......",
    "..........###############.......",
    "..........#ooooooooooooo#.......",
    "..........#ooooooooooooo#.......",
    "..........#ooooooooooooo#.......",
    "..........###############.......",
    "................................",
    "................................",
    "................................",
};

QImage drawPointer()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            switch (kPointer[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) {
            case '@':
                image.setText(QStringLiteral("HotSpotX"), QString::number(x));
                image.setText(QStringLiteral("HotSpotY"), QString::number(y));
                image.setPixel(x, y, qRgb(0, 0, 0));
                break;
            case '#':
                image.setPixel(x, y, qRgb(0, 0, 0));
                break;
            case 'o':
                image.setPixel(x, y, qRgb(255, 255, 255));
                break;
            default:
                break;
            }
        }
    }
    return image;
}

bool save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER ICON_SIZE...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "icon size out of range: %s\n", argv[i]);
            return 2;
        }
        if (!save(drawIcon(size), QStringLiteral("%1/icon-%2.png").arg(folder).arg(size)))
            return 1;
    }
    return save(drawPointer(), folder + QStringLiteral("/link-pointer.png")) ? 0 : 1;
}
