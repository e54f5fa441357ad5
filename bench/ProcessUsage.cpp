#include "ProcessUsage.h"

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace usage {

namespace {

std::vector<pid_t> threadsOf(pid_t pid)
{
    std::vector<pid_t> threads;
    const std::string folder = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                threads.push_back(static_cast<pid_t>(std::atoll(entry->d_name)));
        closedir(dir);
    }
    return threads;
}

std::string taskFile(pid_t pid, pid_t thread, const char* name)
{
    return "/proc/" + std::to_string(pid) + "/task/" + std::to_string(thread) + "/" + name;
}

// Nanoseconds on a processor, the first field of schedstat: finer than the clock ticks
// of stat, which matter for a process that uses a few milliseconds a second.
std::optional<long long> cpuNanoseconds(pid_t pid, pid_t thread)
{
    std::ifstream file(taskFile(pid, thread, "schedstat"));
    long long nanoseconds = 0;
    if (!(file >> nanoseconds))
        return std::nullopt;
    return nanoseconds;
}

long long voluntarySwitches(pid_t pid, pid_t thread)
{
    std::ifstream file(taskFile(pid, thread, "status"));
    std::string line;
    while (std::getline(file, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            return std::atoll(line.c_str() + line.find(':') + 1);
    return 0;
}

std::vector<std::string> commandLine(const std::string& pidText)
{
    std::ifstream file("/proc/" + pidText + "/cmdline");
    std::vector<std::string> words;
    std::string word;
    while (std::getline(file, word, '\0'))
        words.push_back(word);
    return words;
}

} // namespace

std::optional<Sample> sample(pid_t pid)
{
    const std::vector<pid_t> threads = threadsOf(pid);
    if (threads.empty())
        return std::nullopt;
    Sample s;
    for (const pid_t thread : threads) {
        if (const std::optional<long long> ns = cpuNanoseconds(pid, thread))
            s.cpuSeconds += static_cast<double>(*ns) / 1e9;
        const long long switches = voluntarySwitches(pid, thread);
        s.wakeUpsAllThreads += switches;
        if (thread == pid)
            s.wakeUpsMainThread = switches;
    }
    return s;
}

namespace {

// The process whose program is one of `programs` and that has `argument` among its
// arguments.
std::optional<pid_t> findServer(const std::vector<std::string>& programs, const std::string& argument)
{
    DIR* proc = opendir("/proc");
    if (!proc)
        return std::nullopt;
    std::optional<pid_t> found;
    while (const dirent* entry = readdir(proc)) {
        const std::string pidText = entry->d_name;
        if (pidText.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::vector<std::string> words = commandLine(pidText);
        if (words.empty())
            continue;
        const std::string program = words[0].substr(words[0].rfind('/') + 1);
        if (std::find(programs.begin(), programs.end(), program) == programs.end())
            continue;
        for (std::size_t i = 1; i < words.size(); ++i)
            if (words[i] == argument)
                found = static_cast<pid_t>(std::atoll(pidText.c_str()));
    }
    closedir(proc);
    return found;
}

} // namespace

std::optional<DisplayServer> displayServer()
{
    const char* display = std::getenv("DISPLAY");
    if (display && display[0] == ':') {
        std::string name(display);
        name = name.substr(0, name.find('.'));
        if (const std::optional<pid_t> x = findServer({"Xvfb", "Xorg", "X", "Xwayland"}, name))
            return DisplayServer{*x, "X server"};
        return std::nullopt;
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!wayland || !*wayland)
        return std::nullopt;
    // A socket given by its full path is found by weston's --socket, which names it
    // inside weston's runtime folder.
    std::string socket(wayland);
    socket = socket.substr(socket.rfind('/') + 1);
    if (const std::optional<pid_t> weston = findServer({"weston"}, "--socket=" + socket))
        return DisplayServer{*weston, "compositor"};
    return std::nullopt;
}

Rates rates(const Sample& before, const Sample& after, double wallSeconds)
{
    return Rates{(after.cpuSeconds - before.cpuSeconds) / wallSeconds,
                 static_cast<double>(after.wakeUpsAllThreads - before.wakeUpsAllThreads) / wallSeconds,
                 static_cast<double>(after.wakeUpsMainThread - before.wakeUpsMainThread) / wallSeconds};
}

} // namespace usage
