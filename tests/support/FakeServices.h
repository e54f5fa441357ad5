#pragma once
// Stand-ins for the platform services: message boxes answered from a script, a process
// whose end is recorded, a folder of files that exist by name, a settable clock and
// random source, an in-memory settings store and a recorder of opened web addresses.

#include "platform/Services.h"

#include <QDate>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
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

// All fakes together, ready to hand to a Program.
class Services {
public:
    Services() { files.addMovies(); }
    platform::Services services()
    {
        return platform::Services{messages, process, instance, files, clock, random, settings, web};
    }

    MessageBoxes messages;
    ProcessControl process;
    InstanceLock instance;
    FileSystem files;
    Clock clock;
    RandomSource random;
    SettingsStore settings;
    WebOpener web;
};

} // namespace fakes
