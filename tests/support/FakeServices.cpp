#include "FakeServices.h"

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
