#pragma once
// Stand-ins for the platform services: message boxes answered from a script, a process
// whose end is recorded, a folder of files that exist by name, a settable clock and
// random source, a monotonic clock that moves only when told and an event loop whose
// waits move it, an in-memory settings store and a recorder of opened web addresses.

#include "platform/Services.h"

#include <QDate>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace fakes {

struct ShownMessage {
    QString text;
    platform::MsgIcon icon;
    platform::MsgButtons buttons;
};

class MessageBoxes final : public platform::MessageBoxes {
public:
    platform::MsgResult show(const QString& text, platform::MsgIcon icon, platform::MsgButtons buttons) override;
    // Answers for the next Yes/No boxes, in order; an unscripted one answers No.
    std::deque<platform::MsgResult> answers;
    // Runs while a box is "open", as a modal box's nested event loop would run handlers.
    std::function<void(const ShownMessage&)> whileShown;
    std::vector<ShownMessage> shown;
    QStringList texts() const;
};

class ProcessControl final : public platform::ProcessControl {
public:
    void end(int exitCode) override
    {
        ++ends;
        lastExitCode = exitCode;
    }
    int ends = 0;
    int lastExitCode = -1;
};

class InstanceLock final : public platform::InstanceLock {
public:
    bool anotherInstanceRunning() override
    {
        ++asked;
        return otherCopyRunning;
    }
    bool otherCopyRunning = false;
    int asked = 0;
};

class FileSystem final : public platform::FileSystem {
public:
    QString programFolder() const override { return folder; }
    QString programName() const override { return name; }
    bool isReadableFile(const QString& path) const override
    {
        lookups.append(path);
        return present.contains(path);
    }
    QString folder = QStringLiteral("/opt/somnara");
    QString name = QStringLiteral("somnara");
    QSet<QString> present;
    mutable QStringList lookups;
    // Marks the three movies present.
    void addMovies();
};

class Clock final : public platform::Clock {
public:
    QDate today() const override { return date; }
    QDate date{2026, 12, 8};
};

class MonotonicClock final : public platform::MonotonicClock {
public:
    time_point now() const override { return at; }
    // Far from the clock's epoch, as a real one is, so that nothing takes its zero for a
    // moment in the past.
    time_point at = time_point{} + std::chrono::hours(100);
};

// An event loop in which no real time passes. Its waits move the monotonic clock on:
// to the first scripted arrival before the deadline, whose action then runs as the
// handling of that event, or else to the deadline itself. Handling what is pending runs
// Qt's queue (the events a test sends are already handled by then).
class EventLoop final : public platform::EventLoop {
public:
    explicit EventLoop(MonotonicClock& clock) : clock_(clock) {}
    void handlePending() override;
    void waitUntil(std::optional<platform::MonotonicClock::time_point> deadline) override;

    // An event that arrives `after` from now, while the loop waits.
    void arrive(std::chrono::nanoseconds after, std::function<void()> action);

    int pendingCalls = 0;
    int waits = 0;
    // Deadlines of the waits, in order; nullopt for a wait without one.
    std::vector<std::optional<platform::MonotonicClock::time_point>> deadlines;

private:
    MonotonicClock& clock_;
    std::multimap<platform::MonotonicClock::time_point, std::function<void()>> arrivals_;
};

class RandomSource final : public platform::RandomSource {
public:
    void randomize() override { ++randomized; }
    // Scripted values first, then a fixed one.
    float next() override;
    std::deque<float> values;
    float fallback = 0.5f;
    int randomized = 0;
};

class SettingsStore final : public platform::SettingsStore {
public:
    QString read(const QString& app, const QString& section, const QString& key) const override;
    bool write(const QString& app, const QString& section, const QString& key, const QString& value) override;
    QMap<QString, QString> values; // "app/section/key" -> value
    bool failWrites = false;
    int writes = 0;
};

class WebOpener final : public platform::WebOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

// Records the holds and releases, in order, as "hold: <reason>" and "release".
class IdleInhibitor final : public platform::IdleInhibitor {
public:
    void hold(const QString& reason) override { calls.append(QStringLiteral("hold: ") + reason); }
    void release() override { calls.append(QStringLiteral("release")); }
    QStringList calls;
};

// All fakes together, ready to hand to a Program.
class Services {
public:
    Services() { files.addMovies(); }
    platform::Services services()
    {
        return platform::Services{messages, process, instance, files, clock, monotonic, events, random, settings, web, idle};
    }

    MessageBoxes messages;
    ProcessControl process;
    InstanceLock instance;
    FileSystem files;
    Clock clock;
    MonotonicClock monotonic;
    EventLoop events{monotonic};
    RandomSource random;
    SettingsStore settings;
    WebOpener web;
    IdleInhibitor idle;
};

} // namespace fakes
