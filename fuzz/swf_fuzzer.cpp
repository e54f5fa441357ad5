// Feeds arbitrary bytes to the movie reader, then plays and draws a few frames of whatever
// it made of them. Any crash, hang, sanitizer report or unbounded allocation is a finding.

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QByteArray>
#include <QGuiApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<qsizetype>(size));
    const auto movie = swf::Movie::load(bytes);
    if (!movie)
        return 0;
    swf::TimelinePlayer player(*movie, movie->timeline);
    // A few frames at a small size reach every drawing path without making each run slow.
    const int frames = std::min(player.frameCount(), 4);
    for (int i = 0; i < frames; ++i) {
        swf::renderFrame(*movie, player, QSize(64, 48), movie->background.value_or(Qt::white));
        player.advance();
    }
    return 0;
}
