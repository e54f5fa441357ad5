#pragma once
// The real platform services, over Qt and the C library.

#include "platform/QtEventLoop.h"
#include "platform/Services.h"

#include <QLockFile>
#include <memory>
#include <random>

namespace platform {

class QtMessageBoxes final : public MessageBoxes {
public:
    MsgResult show(const QString& text, MsgIcon icon, MsgButtons buttons) override;
};

class QtProcessControl final : public ProcessControl {
public:
    [[noreturn]] void end(int exitCode) override;
};

// A lock file in the user's runtime folder. A lock left by a copy that died is stale
// and taken over; if no lock can be made at all the program runs as the only copy.
class QtInstanceLock final : public InstanceLock {
public:
    explicit QtInstanceLock(QString lockPath);
    bool anotherInstanceRunning() override;
    static QString defaultLockPath();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
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

class QtSettingsStore final : public SettingsStore {
public:
    QString read(const QString& app, const QString& section, const QString& key) const override;
    bool write(const QString& app, const QString& section, const QString& key, const QString& value) override;
};

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
};

} // namespace platform
