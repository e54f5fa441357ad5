#pragma once
// What a process has cost so far, read from /proc, so that a benchmark can set its own
// figures beside the X server's and a peer program's measured the same way.

#include <sys/types.h>

#include <optional>

namespace usage {

struct Sample {
    // Time on a processor, all threads together.
    double cpuSeconds = 0.0;
    // Voluntary context switches: each is a sleep that something had to end.
    long long wakeUpsAllThreads = 0;
    long long wakeUpsMainThread = 0;
};

std::optional<Sample> sample(pid_t pid);

// The process that puts this program's windows on the screen, when it runs on this
// machine: the X server that DISPLAY names, or else the weston that WAYLAND_DISPLAY names.
struct DisplayServer {
    pid_t pid = 0;
    // "X server" or "compositor".
    const char* kind = "";
};
std::optional<DisplayServer> displayServer();

// Per second of wall time between two samples.
struct Rates {
    double cpu = 0.0;
    double wakeUpsAllThreads = 0.0;
    double wakeUpsMainThread = 0.0;
};
Rates rates(const Sample& before, const Sample& after, double wallSeconds);

} // namespace usage
