// How much the colour wheel flashes over the whole range of its settings: records the real
// renderer offline at the window's own pace, photosensitivity guard and all (or without
// the guard), for a few seconds per setting, measures every recording with the flash
// analysis, and prints a table, worst first.
//
//   flash_sweep [seconds] [--random N] [--threads N] [--only SIZE,DENSITY,WIDTH,MULT[,in]]...
//               [--unguarded]
//
// seconds      recorded per setting (default 3)
// --random     combinations drawn at random, with a fixed seed, besides the grid (default 40)
// --threads    settings measured side by side (default 2)
// --only       measure this setting (slider values, outward unless "in") instead of the
//              grid; may be given again. A long pass wants more seconds than the grid's.
// --unguarded  a circle every 100 µs and a picture every refresh whatever the settings, as
//              the window went before it had a guard
//
// No display is needed. Timings are wall-clock seconds per setting, and also as a multiple
// of the first row's from the same run (the load-time values, outward, unless --only names
// others), which a busy machine slows alike.

#include "flash/FlashAnalysis.h"
#include "flash/WheelRecorder.h"
#include "flash/WindowSchedule.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

using flash::WheelSettings;
using WallClock = std::chrono::steady_clock;

constexpr WheelSettings kLoadTime{1000, 500, 2, 1, false};

struct Row {
    explicit Row(const WheelSettings& measured) : settings(measured) {}

    WheelSettings settings;
    flash::FlashReport report;
    long long circles = 0;
    double circlesPerSecond = 0.0;
    // Refreshes that showed a picture the one before did not.
    double picturesPerSecond = 0.0;
    double passes = 0.0;
    double wallSeconds = 0.0;
};

// Circles in one pass, counted as the renderer's loop counts them, in single precision.
long long circlesPerPass(const WheelSettings& s)
{
    const float step = static_cast<float>(s.density / 100.0);
    long long circles = 0;
    for (float radius = 1.0f; radius <= static_cast<float>(s.size); radius += step)
        ++circles;
    return circles;
}

std::vector<Row> settingsToMeasure(int randomCount)
{
    std::vector<Row> rows;
    const auto add = [&](const WheelSettings& settings) {
        for (const bool inward : {false, true}) {
            WheelSettings s = settings;
            s.inward = inward;
            rows.push_back(Row(s));
        }
    };
    // The cases that people have seen flash, and the load-time values, first.
    add(kLoadTime);
    add({2200, 1, 50, 1, false});
    add({1000, 50, 50, 1, false});
    add({2200, 50, 50, 1, false});
    add({1000, 500, 50, 1, false});
    for (const int size : {1, 1000, 2200})
        for (const int density : {1, 500, 1000})
            for (const int width : {1, 2, 50})
                for (const int multiplier : {1, 10, 50, 1000})
                    add({size, density, width, multiplier, false});
    // A fixed seed, so that every run measures the same combinations.
    std::mt19937 random(20'240'611);
    for (int i = 0; i < randomCount; ++i) {
        WheelSettings s{std::uniform_int_distribution(1, 2200)(random), std::uniform_int_distribution(1, 1000)(random),
                        std::uniform_int_distribution(1, 50)(random), std::uniform_int_distribution(1, 1000)(random),
                        std::uniform_int_distribution(0, 1)(random) == 1};
        rows.push_back(Row(s));
    }
    // The grid repeats the first rows; each setting is measured once.
    std::vector<Row> unique;
    for (const Row& row : rows) {
        const auto same = [&](const Row& other) {
            const WheelSettings& a = row.settings;
            const WheelSettings& b = other.settings;
            return a.size == b.size && a.density == b.density && a.width == b.width &&
                   a.colorMultiplier == b.colorMultiplier && a.inward == b.inward;
        };
        if (std::none_of(unique.begin(), unique.end(), same))
            unique.push_back(row);
    }
    return unique;
}

void measure(Row& row, double seconds, bool unguarded)
{
    const WallClock::time_point start = WallClock::now();
    flash::SteadySchedule steady(wheelPace::CirclePeriod);
    flash::WindowSchedule guarded;
    flash::WheelSchedule& schedule = unguarded ? static_cast<flash::WheelSchedule&>(steady) : guarded;
    flash::FlashAnalysis analysis(flash::WheelRecorder::kPictureSize);
    long long lastShown = 0;
    long long newPictures = 0;
    const flash::RecordingSummary summary = flash::WheelRecorder(row.settings, schedule)
                                                .record(seconds, [&](const flash::ScreenFrame& frame) {
                                                    analysis.addFrame(frame.screen, frame.seconds);
                                                    newPictures += frame.circlesShown != lastShown ? 1 : 0;
                                                    lastShown = frame.circlesShown;
                                                });
    row.report = analysis.report();
    row.circles = summary.circles;
    row.circlesPerSecond = static_cast<double>(summary.circles) / seconds;
    row.picturesPerSecond = static_cast<double>(newPictures) / seconds;
    row.passes = static_cast<double>(summary.circles) / static_cast<double>(circlesPerPass(row.settings));
    row.wallSeconds = std::chrono::duration<double>(WallClock::now() - start).count();
}

double worstShare(const Row& row)
{
    return std::max(row.report.general.worstFieldShare, row.report.red.worstFieldShare);
}

void printTable(const std::vector<Row>& rows, double referenceSeconds)
{
    std::printf("%5s %7s %5s %5s %-3s | %13s | %15s | %-4s | %9s %10s %9s | %6s %6s\n", "Size", "Density",
                "Width", "Mult", "Dir", "flashes/s g/r", "field share g/r", "", "circles/s", "pictures/s", "passes",
                "s", "x ref");
    for (const Row& row : rows) {
        const WheelSettings& s = row.settings;
        std::printf("%5d %7.2f %5d %5d %-3s | %6d %6d | %6.1f%% %6.1f%% | %-4s | %9.0f %10.1f %9.3g | %6.2f %6.2f\n",
                    s.size, s.density / 100.0, s.width, s.colorMultiplier, s.inward ? "in" : "out",
                    row.report.general.worstFlashes, row.report.red.worstFlashes,
                    100.0 * row.report.general.worstFieldShare, 100.0 * row.report.red.worstFieldShare,
                    row.report.passes() ? "pass" : "FAIL", row.circlesPerSecond, row.picturesPerSecond, row.passes,
                    row.wallSeconds,
                    row.wallSeconds / referenceSeconds);
    }
}

} // namespace

// "SIZE,DENSITY,WIDTH,MULT" with an optional ",in" or ",out".
bool parseSetting(const QString& text, WheelSettings& settings)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < 4 || parts.size() > 5)
        return false;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool number = false;
        values[i] = parts[i].toInt(&number);
        if (!number)
            return false;
    }
    const QString direction = parts.size() == 5 ? parts[4] : QStringLiteral("out");
    if (direction != QStringLiteral("in") && direction != QStringLiteral("out"))
        return false;
    settings = {values[0], values[1], values[2], values[3], direction == QStringLiteral("in")};
    return true;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    double seconds = 3.0;
    int randomCount = 40;
    int threads = 2;
    bool unguarded = false;
    std::vector<Row> only;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        bool understood = true;
        if (args[i] == QStringLiteral("--random") && hasValue) {
            randomCount = std::max(0, args[++i].toInt());
        } else if (args[i] == QStringLiteral("--threads") && hasValue) {
            threads = std::max(1, args[++i].toInt());
        } else if (args[i] == QStringLiteral("--unguarded")) {
            unguarded = true;
        } else if (args[i] == QStringLiteral("--only") && hasValue) {
            WheelSettings settings;
            understood = parseSetting(args[++i], settings);
            only.push_back(Row(settings));
        } else {
            const double value = args[i].toDouble(&understood);
            understood = understood && value > 0.0;
            seconds = value;
        }
        if (!understood) {
            std::fprintf(stderr, "usage: flash_sweep [seconds] [--random N] [--threads N] "
                                 "[--only SIZE,DENSITY,WIDTH,MULT[,in]]... [--unguarded]\n");
            return 2;
        }
    }

    std::vector<Row> rows = only.empty() ? settingsToMeasure(randomCount) : only;
    std::printf("%zu settings, %.3g s each at %s, %d threads\n\n", rows.size(), seconds,
                unguarded ? "10,000 circles a second, unguarded" : "the window's guarded pace", threads);
    std::fflush(stdout);

    const WallClock::time_point start = WallClock::now();
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            while (true) {
                const std::size_t i = next++;
                if (i >= rows.size())
                    return;
                measure(rows[i], seconds, unguarded);
                std::fprintf(stderr, "\r%zu / %zu", ++done, rows.size());
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    const double totalSeconds = std::chrono::duration<double>(WallClock::now() - start).count();
    std::fprintf(stderr, "\n");

    // The first row is the reference: the load-time values, outward, unless --only says
    // otherwise.
    const double referenceSeconds = rows.front().wallSeconds;
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (worstShare(a) != worstShare(b))
            return worstShare(a) > worstShare(b);
        return std::max(a.report.general.worstFlashes, a.report.red.worstFlashes) >
               std::max(b.report.general.worstFlashes, b.report.red.worstFlashes);
    });
    printTable(rows, referenceSeconds);

    const auto failures = std::count_if(rows.begin(), rows.end(), [](const Row& r) { return !r.report.passes(); });
    double busySeconds = 0.0;
    for (const Row& row : rows)
        busySeconds += row.wallSeconds;
    std::printf("\n%td of %zu settings fail. Sweep: %.1f s wall on %d threads (%.1f s of measuring, the "
                "first row %.2f s).\n",
                failures, rows.size(), totalSeconds, threads, busySeconds, referenceSeconds);
    return 0;
}
