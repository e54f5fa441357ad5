#pragma once
// The per-user settings store over the real file system.

#include "platform/Services.h"

#include <QString>

namespace platform {

// One file per application name in the user's configuration folder, in Qt's native
// format: ~/.config/somnara.conf. Only an ordinary file is ever read or written, directly
// or through a link (people keep such files in a repository and link them in). Anything
// else in its place reads as an empty store and refuses every write: a pipe would stop the
// program waiting for a writer, a device (/dev/zero) would fill memory, and writing would
// replace it or the target of its link.
class QtSettingsStore final : public SettingsStore {
public:
    explicit QtSettingsStore(QString folder = defaultFolder());
    QString read(const QString& app, const QString& section, const QString& key) const override;
    bool write(const QString& app, const QString& section, const QString& key, const QString& value) override;

    // The user's configuration folder, as Qt's own per-user settings use it.
    static QString defaultFolder();

private:
    QString fileOf(const QString& app) const;

    QString folder_;
};

} // namespace platform
