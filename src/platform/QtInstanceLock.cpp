#include "platform/QtInstanceLock.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QtGlobal>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Enough to get past a file that changes a few times while we look (a copy ending, another
// replacing a damaged file) without looping on one that never settles.
constexpr int kAttempts = 5;

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the lock file, making it if need be. Never through a link, and never waiting on
// whatever may take the file's place meanwhile. The browser and other programs started
// from here must not inherit it: they would keep the lock after a crash of ours.
int openLockFile(const QByteArray& path)
{
    return ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                  S_IRUSR | S_IWUSR);
}

// A lock file this user cannot open: opened up again if it is ours, which keeps a live
// holder's lock, else replaced, since no copy run by this user made it.
bool makeOpenable(const QByteArray& path)
{
    return ::fchmodat(AT_FDCWD, path.constData(), S_IRUSR | S_IWUSR, AT_SYMLINK_NOFOLLOW) == 0 ||
           ::unlink(path.constData()) == 0;
}

// The runtime folder as the desktop makes it: this user's own folder, which this user can
// make files in. An environment carried over from another user (su without -l) or from a
// login that has ended names a folder that is not, and a lock there keeps nobody out.
bool holdsOurLocks(const QString& folder)
{
    if (!QDir::isAbsolutePath(folder))
        return false;
    const QByteArray path = QFile::encodeName(folder);
    struct stat found {};
    return ::stat(path.constData(), &found) == 0 && S_ISDIR(found.st_mode) && found.st_uid == ::geteuid() &&
           ::access(path.constData(), W_OK | X_OK) == 0;
}

} // namespace

QtInstanceLock::QtInstanceLock(QString lockPath) : path_(std::move(lockPath)) {}

QtInstanceLock::~QtInstanceLock()
{
    release();
}

QString QtInstanceLock::defaultLockPath()
{
    // The runtime folder is private to the user and lasts as long as the login.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (holdsOurLocks(runtime))
        return runtime + QStringLiteral("/somnara.lock");
    // Without a usable one, the user's cache folder: private as well and, unlike a folder under
    // /tmp, never cleaned by the system behind a running copy's back. A home folder may be
    // shared by several machines, each running a copy of its own, so each has its own lock.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    ::mkdir(QFile::encodeName(cache).constData(), S_IRWXU);
    return cache + QStringLiteral("/somnara-") + QSysInfo::machineHostName() + QStringLiteral(".lock");
}

bool QtInstanceLock::anotherInstanceRunning()
{
    if (fd_ >= 0)
        return false;
    switch (acquire()) {
    case Outcome::Held:
        return false;
    case Outcome::HeldByAnother:
        return true;
    case Outcome::Impossible:
        break;
    }
    qWarning("somnara: no instance lock can be made at %s; this copy runs without looking for others",
             qUtf8Printable(path_));
    return false;
}

QtInstanceLock::Outcome QtInstanceLock::acquire()
{
    const QByteArray path = QFile::encodeName(path_);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        struct stat found {};
        if (::lstat(path.constData(), &found) == 0 && !S_ISREG(found.st_mode)) {
            // This program only ever makes an ordinary file here, so nothing else in its
            // place (a link, a pipe, a socket, a device) is a live copy's lock. It is not
            // opened, as a pipe would block and a device might act, but removed, which
            // touches neither a link's target nor a device. A folder may hold the user's
            // files: it stays, and no lock can be made.
            if (S_ISDIR(found.st_mode) || ::unlink(path.constData()) != 0)
                return Outcome::Impossible;
        }
        const int fd = openLockFile(path);
        if (fd < 0) {
            const int error = errno;
            // ELOOP and ENXIO: a link or a socket took the file's place after we looked.
            if ((error == EACCES && makeOpenable(path)) || error == ELOOP || error == ENXIO)
                continue;
            return Outcome::Impossible;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? Outcome::HeldByAnother : Outcome::Impossible;
        }
        // Between our opening and locking it, the holder may have ended and removed the
        // file, or another copy replaced a damaged one: a lock on a file that no longer
        // bears the name keeps nobody out.
        struct stat named {};
        if (::lstat(path.constData(), &named) != 0 || !sameFile(named, opened)) {
            ::close(fd);
            continue;
        }
        fd_ = fd;
        return Outcome::Held;
    }
    return Outcome::Impossible;
}

void QtInstanceLock::release()
{
    if (fd_ < 0)
        return;
    // Removed while still held, and only while the name is still this lock's: a copy
    // starting meanwhile either meets the held lock or makes a file of its own.
    const QByteArray path = QFile::encodeName(path_);
    struct stat held {};
    struct stat named {};
    if (::fstat(fd_, &held) == 0 && ::lstat(path.constData(), &named) == 0 && sameFile(held, named))
        ::unlink(path.constData());
    // Let go even if a program being started still shares the descriptor for a moment.
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

} // namespace platform
