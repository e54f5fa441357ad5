#include "FakeServices.h"

#include <QCoreApplication>

#include <algorithm>
#include <stdexcept>

namespace fakes {

platform::MsgResult MessageBoxes::show(const QString& text, platform::MsgIcon icon, platform::MsgButtons buttons)
{
    shown.push_back(ShownMessage{text, icon, buttons});
    if (whileShown)
        whileShown(shown.back());
    if (buttons == platform::MsgButtons::OK)
        return platform::MsgResult::OK;
    if (answers.empty())
        return platform::MsgResult::No;
    const platform::MsgResult answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList MessageBoxes::texts() const
{
    QStringList list;
    for (const ShownMessage& message : shown)
        list.append(message.text);
    return list;
}

void FileSystem::addMovies()
{
    for (const char* name : {"/Pendulum.swf", "/BoxUpward.swf", "/BoxDownward.swf"})
        present.insert(folder + QString::fromLatin1(name));
}

void EventLoop::handlePending()
{
    ++pendingCalls;
    QCoreApplication::processEvents();
}

void EventLoop::waitUntil(std::optional<platform::MonotonicClock::time_point> deadline)
{
    ++waits;
    deadlines.push_back(deadline);
    const auto next = arrivals_.begin();
    if (next != arrivals_.end() && (!deadline || next->first < *deadline)) {
        clock_.at = std::max(clock_.at, next->first);
        const std::function<void()> action = next->second;
        arrivals_.erase(next);
        action();
        QCoreApplication::processEvents();
        return;
    }
    // A real loop would sleep for ever here; a test that lets it has forgotten an event.
    if (!deadline)
        throw std::logic_error("waiting for an event that no test will send");
    clock_.at = std::max(clock_.at, *deadline);
}

void EventLoop::arrive(std::chrono::nanoseconds after, std::function<void()> action)
{
    arrivals_.emplace(clock_.at + after, std::move(action));
}

float RandomSource::next()
{
    if (values.empty())
        return fallback;
    const float value = values.front();
    values.pop_front();
    return value;
}

QString SettingsStore::read(const QString& app, const QString& section, const QString& key) const
{
    return values.value(app + QLatin1Char('/') + section + QLatin1Char('/') + key);
}

bool SettingsStore::write(const QString& app, const QString& section, const QString& key, const QString& value)
{
    if (failWrites)
        return false;
    ++writes;
    values.insert(app + QLatin1Char('/') + section + QLatin1Char('/') + key, value);
    return true;
}

} // namespace fakes
