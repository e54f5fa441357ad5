#include "platform/QtSettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QtGlobal>

#include <cerrno>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The store holds one short date. A file far larger is not one this program wrote, and
// reading it whole would only cost memory.
constexpr qint64 kLargestStore = 64 * 1024;
// While it writes, Qt keeps a lock file beside the store and reads any it finds there
// line by line; one of its own making is a few dozen bytes.
constexpr qint64 kLargestWriteLock = 4 * 1024;

enum class Place { Absent, OrdinaryFile, Unusable };

// What the name leads to: nothing, a readable ordinary file of sane size, or anything else.
Place placeOf(const QString& path, bool followLinks, qint64 largest)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat found {};
    if ((followLinks ? ::stat(name.constData(), &found) : ::lstat(name.constData(), &found)) != 0) {
        // A link that leads nowhere is not absent: writing would make its target.
        struct stat link {};
        return errno == ENOENT && ::lstat(name.constData(), &link) != 0 ? Place::Absent : Place::Unusable;
    }
    if (!S_ISREG(found.st_mode) || found.st_size > largest || ::access(name.constData(), R_OK) != 0)
        return Place::Unusable;
    return Place::OrdinaryFile;
}

} // namespace

QtSettingsStore::QtSettingsStore(QString folder) : folder_(std::move(folder)) {}

QString QtSettingsStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString QtSettingsStore::fileOf(const QString& app) const
{
    return folder_ + QLatin1Char('/') + app + QStringLiteral(".conf");
}

QString QtSettingsStore::read(const QString& app, const QString& section, const QString& key) const
{
    const QString file = fileOf(app);
    if (placeOf(file, true, kLargestStore) != Place::OrdinaryFile)
        return QString();
    const QSettings store(file, QSettings::NativeFormat);
    return store.value(section + QLatin1Char('/') + key).toString();
}

bool QtSettingsStore::write(const QString& app, const QString& section, const QString& key, const QString& value)
{
    const QString file = fileOf(app);
    const QString writeLock = file + QStringLiteral(".lock");
    // The lock is Qt's own file and is never followed through a link.
    for (const auto& [path, followLinks, largest] :
         {std::tuple{file, true, kLargestStore}, std::tuple{writeLock, false, kLargestWriteLock}}) {
        if (placeOf(path, followLinks, largest) == Place::Unusable) {
            qWarning("somnara: %s cannot serve the settings store, so the settings are not kept",
                     qUtf8Printable(path));
            return false;
        }
    }
    QSettings store(file, QSettings::NativeFormat);
    store.setValue(section + QLatin1Char('/') + key, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace platform
