// Prints, for each movie: load time (the median of 15 loads, in CPU time), render time per frame at
// 793 x 369 pixels (median and worst), the share of the picture each frame after the first
// redraws (the mean of the renderer's changed area over the picture's), how many fills a frame
// moved what they covered the frame before instead of finding it again, and the CPU share of
// playing it in a window at its own frame rate; then the slowest load.
//
//   swf_bench [--play-seconds N] [FILE...]
// Without files it measures the conformance set, the sample movies made in code and the
// program's own movies.

#include "swf/Movie.h"
#include "swf/PlayerWidget.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegion>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QSize kRenderSize(793, 369);

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU time of this thread: on a shared machine the time the thread waits for a core
// says nothing of the code.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double area(const QRegion& region)
{
    double pixels = 0.0;
    for (const QRect& rect : region)
        pixels += static_cast<double>(rect.width()) * static_cast<double>(rect.height());
    return pixels;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures {
    double loadMs = 0;
    double renderMedianMs = 0;
    double renderWorstMs = 0;
    int framesRendered = 0;
    double redrawnShare = 0;
    // Fills a frame that moved the coverage kept from the frame before.
    double fillsMoved = 0;
    double playCpuShare = 0;
};

Figures measure(const QString& path, int playSeconds)
{
    Figures figures;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return figures;
    const QByteArray bytes = file.readAll();

    std::vector<double> loads;
    std::shared_ptr<const swf::Movie> movie;
    for (int i = 0; i < 15; ++i) {
        const double start = threadCpuMs();
        movie = swf::Movie::load(bytes);
        loads.push_back(threadCpuMs() - start);
    }
    figures.loadMs = median(loads);
    if (!movie)
        return figures;

    // A whole loop of the main timeline, and at least two seconds' worth of frames so
    // that sprites animating inside a one-frame movie are measured too; at most 300.
    swf::TimelinePlayer player(*movie, movie->timeline);
    const int frames = std::clamp(std::max(player.frameCount(), static_cast<int>(movie->frameRate * 2)), 1, 300);
    std::vector<double> renders;
    // One renderer for the whole run, as the player keeps one for its movie.
    const swf::Renderer renderer(*movie);
    const QColor background = movie->background.value_or(Qt::white);
    double redrawn = 0.0;
    double moved = 0.0;
    for (int i = 0; i < frames; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QImage image = renderer.renderImage(player, kRenderSize, background, background);
        renders.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        // The first frame is drawn whole whatever the renderer does after.
        if (i > 0) {
            redrawn += area(renderer.changed()) / area(QRegion(image.rect()));
            moved += static_cast<double>(renderer.fillsMoved());
        }
        player.advance();
    }
    if (frames > 1) {
        figures.redrawnShare = redrawn / (frames - 1);
        figures.fillsMoved = moved / (frames - 1);
    }
    figures.renderMedianMs = median(renders);
    figures.renderWorstMs = *std::max_element(renders.begin(), renders.end());
    figures.framesRendered = frames;

    if (playSeconds > 0) {
        swf::PlayerWidget widget;
        widget.resize(kRenderSize);
        widget.show();
        widget.setMovie(path);
        QElapsedTimer wall;
        const double cpuStart = cpuSeconds();
        wall.start();
        QTimer::singleShot(playSeconds * 1000, qApp, &QCoreApplication::quit);
        QApplication::exec();
        figures.playCpuShare = (cpuSeconds() - cpuStart) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
    }
    return figures;
}

QStringList defaultFiles()
{
    QStringList files;
    for (const char* folder : {SWF_CONFORMANCE_DIR, SOMNARA_SAMPLE_DIR, SOMNARA_PROGRAM_DIR}) {
        const QDir dir(QString::fromUtf8(folder));
        for (const QString& name : dir.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int playSeconds = 10;
    QStringList files;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--play-seconds") && i + 1 < args.size())
            playSeconds = args[++i].toInt();
        else
            files.append(args[i]);
    }
    if (files.isEmpty())
        files = defaultFiles();

    std::printf("%-46s %9s %11s %10s %7s %9s %7s %9s\n", "movie", "load ms", "render med", "render max", "frames",
                "redrawn", "moved", "play CPU");
    double slowestLoad = 0.0;
    QString slowest;
    for (const QString& path : files) {
        const Figures f = measure(path, playSeconds);
        std::printf("%-46s %9.3f %11.3f %10.3f %7d %8.1f%% %7.1f %8.1f%%\n", qPrintable(QFileInfo(path).fileName()),
                    f.loadMs, f.renderMedianMs, f.renderWorstMs, f.framesRendered, f.redrawnShare * 100.0,
                    f.fillsMoved, f.playCpuShare * 100.0);
        std::fflush(stdout);
        if (f.loadMs >= slowestLoad) {
            slowestLoad = f.loadMs;
            slowest = QFileInfo(path).fileName();
        }
    }
    // Opening a movie should not keep its window waiting: every sample loads within 10 ms.
    std::printf("\nslowest load: %.3f ms, %s\n", slowestLoad, qPrintable(slowest));
    return 0;
}
