// swfrender FILE [--frames 1,16] [--size WxH] [--out PREFIX]
// Renders chosen frames of a movie to PREFIX.fNNNN.png. Frame N is the Nth frame shown as
// the movie plays, following its stops and jumps, so that the pictures are what a viewer
// sees; the default size is the stage size, the default prefix the file name without .swf.
// A stage larger than kMostSide a side or kMostPixels in all is refused unless --size asks
// for a size: a damaged header can declare one of gigapixels. Each image is written whole
// or not at all.

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A large poster's worth: beyond it a stage is more likely a damaged header than a wish.
constexpr qint64 kMostSide = 16384;
constexpr qint64 kMostPixels = qint64{64} << 20;

bool stageAllowed(QSize size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMostSide && size.height() <= kMostSide
        && qint64{size.width()} * size.height() <= kMostPixels;
}

// Through a temporary file renamed into place, so a failed write leaves nothing behind.
bool savePng(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    if (image.isNull() || !file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int usage()
{
    std::fprintf(stderr, "usage: swfrender FILE [--frames 1,16] [--size WxH] [--out PREFIX]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString file;
    QString prefix;
    QSize size;
    std::vector<int> frames{1};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--frames" && hasValue) {
            frames.clear();
            for (const QString& part : args[++i].split(',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const int n = part.toInt(&ok);
                if (!ok || n < 1)
                    return usage();
                frames.push_back(n);
            }
        } else if (arg == "--size" && hasValue) {
            const QStringList wh = args[++i].split('x');
            if (wh.size() != 2 || wh[0].toInt() <= 0 || wh[1].toInt() <= 0)
                return usage();
            size = QSize(wh[0].toInt(), wh[1].toInt());
        } else if (arg == "--out" && hasValue) {
            prefix = args[++i];
        } else if (file.isEmpty() && !arg.startsWith("--")) {
            file = arg;
        } else {
            return usage();
        }
    }
    if (file.isEmpty() || frames.empty())
        return usage();
    const auto movie = swf::Movie::loadFile(file);
    if (!movie) {
        std::fprintf(stderr, "swfrender: %s is not a readable movie\n", qPrintable(file));
        return 1;
    }
    if (prefix.isEmpty())
        prefix = QFileInfo(file).path() + '/' + QFileInfo(file).completeBaseName();
    if (!size.isValid()) {
        size = movie->stageSize();
        if (!stageAllowed(size)) {
            std::fprintf(stderr,
                         "swfrender: %s declares a stage of %d x %d px; without --size only stages of 1 to "
                         "%lld px a side and %lld Mpx at most are rendered\n",
                         qPrintable(file), size.width(), size.height(), static_cast<long long>(kMostSide),
                         static_cast<long long>(kMostPixels >> 20));
            return 1;
        }
    }
    std::ranges::sort(frames);
    swf::TimelinePlayer player(*movie, movie->timeline);
    int shown = 1;
    for (const int frame : frames) {
        for (; shown < frame; ++shown)
            player.advance();
        const QImage image = swf::renderFrame(*movie, player, size, movie->background.value_or(Qt::white));
        const QString out = QStringLiteral("%1.f%2.png").arg(prefix).arg(frame, 4, 10, QChar('0'));
        if (!savePng(image, out)) {
            std::fprintf(stderr, "swfrender: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
