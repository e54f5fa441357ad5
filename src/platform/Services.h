#pragma once
// Narrow interfaces for everything the program asks of the operating system. The real
// implementations are chosen once at start-up (QtServices); tests hand in their own.

#include <QDate>
#include <QString>

#include <chrono>
#include <optional>

namespace platform {

enum class MsgIcon { Information, Critical };
enum class MsgButtons { OK, YesNo };
enum class MsgResult { OK, Yes, No };

// Modal message boxes captioned with the application title. A text may join its lines
// with a lone carriage return; the box shows them as separate lines.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgResult show(const QString& text, MsgIcon icon, MsgButtons buttons) = 0;
};

// Ending the process. The real one never returns.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    virtual void end(int exitCode) = 0;
};

// The one-copy-per-user rule.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when another copy of the program holds the lock. Takes the lock otherwise.
    virtual bool anotherInstanceRunning() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The folder that holds the executable, without a trailing separator.
    virtual QString programFolder() const = 0;
    // The executable's file name without its extension.
    virtual QString programName() const = 0;
    // True only for an ordinary file that can be read.
    virtual bool isReadableFile(const QString& path) const = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

// Time for pacing: it only moves forward, whatever happens to the date and the time of
// day, and reads without asking the kernel.
class MonotonicClock {
public:
    using time_point = std::chrono::steady_clock::time_point;
    virtual ~MonotonicClock() = default;
    virtual time_point now() const = 0;
};

// The user-interface thread's event loop, as a long piece of work on that thread meets
// it between its steps.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // Handles every event already waiting and returns without waiting for more.
    virtual void handlePending() = 0;
    // Sleeps until an event arrives or the deadline passes, whichever comes first, and
    // handles what arrived; without a deadline it sleeps until an event arrives.
    virtual void waitUntil(std::optional<MonotonicClock::time_point> deadline) = 0;
};

// Pseudo-random singles in [0, 1), reseeded from the system timer on request.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void randomize() = 0;
    virtual float next() = 0;
};

// Per-user text values addressed by application name, section and key. An absent key
// reads as the empty string. Writing reports whether the value reached the store.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& app, const QString& section, const QString& key) const = 0;
    virtual bool write(const QString& app, const QString& section, const QString& key, const QString& value) = 0;
};

// Hands a web address to the user's default handler and returns at once.
class WebOpener {
public:
    virtual ~WebOpener() = default;
    virtual void open(const QString& address) = 0;
};

// Tells the desktop that the user is watching, so that it neither blanks nor locks the
// screen for want of input. A second hold while one is held changes nothing.
class IdleInhibitor {
public:
    virtual ~IdleInhibitor() = default;
    // `reason` is what the desktop shows as the cause.
    virtual void hold(const QString& reason) = 0;
    virtual void release() = 0;
};

struct Services {
    MessageBoxes& messages;
    ProcessControl& process;
    InstanceLock& instance;
    FileSystem& files;
    Clock& clock;
    MonotonicClock& monotonic;
    EventLoop& events;
    RandomSource& random;
    SettingsStore& settings;
    WebOpener& web;
    IdleInhibitor& idle;
};

} // namespace platform
