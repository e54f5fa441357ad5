#pragma once
// The real platform services, over Qt and the C library.

#include "platform/QtEventLoop.h"
#include "platform/QtIdleInhibitor.h"
#include "platform/QtInstanceLock.h"
#include "platform/QtSettingsStore.h"
#include "platform/Services.h"

#include <functional>
#include <random>
#include <vector>

namespace platform {

class QtMessageBoxes final : public MessageBoxes {
public:
    MsgResult show(const QString& text, MsgIcon icon, MsgButtons buttons) override;
};

class QtProcessControl final : public ProcessControl {
public:
    // Gives back something the process holds outside itself, such as its lock, as the
    // last step of every end; latest registered first. After a crash the kernel does it.
    void releaseAtEnd(std::function<void()> release);
    [[noreturn]] void end(int exitCode) override;

private:
    std::vector<std::function<void()>> releases_;
};

class QtFileSystem final : public FileSystem {
public:
    QString programFolder() const override;
    QString programName() const override;
    bool isReadableFile(const QString& path) const override;
};

class QtClock final : public Clock {
public:
    QDate today() const override;
};

class SteadyClock final : public MonotonicClock {
public:
    time_point now() const override { return std::chrono::steady_clock::now(); }
};

class QtRandomSource final : public RandomSource {
public:
    void randomize() override;
    float next() override;

private:
    std::mt19937 engine_{0x5eed};
};

// A page the system refuses to open is told on stderr: the commands that open pages
// report nothing to the user.
class QtWebOpener final : public WebOpener {
public:
    void open(const QString& address) override;
};

// All real services, owned together for the life of the program.
class QtServices {
public:
    QtServices();
    Services services();

private:
    QtMessageBoxes messages_;
    QtProcessControl process_;
    QtInstanceLock instance_;
    QtFileSystem files_;
    QtClock clock_;
    SteadyClock monotonic_;
    QtEventLoop events_;
    QtRandomSource random_;
    QtSettingsStore settings_;
    QtWebOpener web_;
    QtIdleInhibitor idle_;
};

} // namespace platform
