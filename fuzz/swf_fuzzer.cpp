// Feeds arbitrary bytes to the movie reader, then plays and draws frames of whatever it made
// of them at the movie window's size, as the program would. Any crash or sanitizer report is
// a finding, and so is an input over its allowance of time or memory (setup.sh gives about
// a second and 512 MB): a movie that could freeze the player or flood its memory.

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

const QSize kMovieWindow(793, 369);
// Enough frames to run a short timeline through a loop and its sprites on.
constexpr int kMostFrames = 8;

// The player's budgets, but for bitmaps those it had before it took photographs, and a
// smaller drawing budget (below): the
// program's own let a few bytes ask for a bitmap of 256 MiB, which with the sanitizers'
// own memory passes the fuzzer's 512 MB. What is fuzzed is the reading of bitmaps, not
// their size, and a bitmap's cost grows with its pixels alone.
swf::Limits fuzzLimits()
{
    swf::Limits limits;
    limits.maxBitmapPixels = 4096u * 4096u;
    limits.maxImageBytes = 16u << 20;
    // The drawing budget is reckoned for the player's own fills built without the
    // sanitizers, which here make them many times slower (Qt's, not built with them, are
    // not): a frame of thousands of edges crossing every row would pass the allowance.
    limits.maxWorkPerRow /= 8;
    return limits;
}
// No frame starts after this: every frame the budgets allow fits in what is left of the
// allowance, so only a frame (or a load) far over them runs past it.
constexpr qint64 kLastFrameStartsMs = 200;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QElapsedTimer started;
    started.start();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<qsizetype>(size));
    static const swf::Limits limits = fuzzLimits();
    const auto movie = swf::Movie::load(bytes, limits);
    if (!movie)
        return 0;
    swf::TimelinePlayer player(*movie, movie->timeline);
    const swf::Renderer renderer(*movie);
    const QColor background = movie->background.value_or(Qt::white);
    const int frames = std::min(player.frameCount() + 1, kMostFrames);
    for (int i = 0; i < frames && started.elapsed() < kLastFrameStartsMs; ++i) {
        renderer.renderImage(player, kMovieWindow, background, background);
        player.advance();
    }
    return 0;
}
