#include "ScratchFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace scratch {

QString zeroDevice(const QTemporaryDir& dir)
{
    const QString own = dir.filePath(QStringLiteral("zero-device"));
    struct stat system {};
    if (::stat("/dev/zero", &system) == 0 && S_ISCHR(system.st_mode) &&
        ::mknod(QFile::encodeName(own).constData(), S_IFCHR | S_IRUSR | S_IWUSR, system.st_rdev) == 0)
        return own;
    return QStringLiteral("/dev/zero");
}

bool isCharacterDevice(const QString& path)
{
    struct stat found {};
    return ::stat(QFile::encodeName(path).constData(), &found) == 0 && S_ISCHR(found.st_mode);
}

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace scratch
