#pragma once
// The one-copy rule, kept by a kernel lock on a file in the user's runtime folder.

#include "platform/Services.h"

#include <QString>

namespace platform {

// A copy of the program holds its lock file open, with an exclusive kernel lock on it, for
// its whole life. The kernel lets the lock go when the holder ends, however it ends, so a
// file left behind by a crash keeps nobody out, whatever it holds; only a live holder does.
// Where no lock can be made at all, the program runs as the only copy.
class QtInstanceLock final : public InstanceLock {
public:
    explicit QtInstanceLock(QString lockPath);
    ~QtInstanceLock() override;
    QtInstanceLock(const QtInstanceLock&) = delete;
    QtInstanceLock& operator=(const QtInstanceLock&) = delete;

    bool anotherInstanceRunning() override;
    // Removes the lock file and lets the lock go. Does nothing in a copy that does not
    // hold the lock, so a copy that was refused leaves the running copy's lock alone.
    void release();

    // somnara.lock in $XDG_RUNTIME_DIR when that is this user's own folder; otherwise (unset,
    // missing, another user's) a file per machine in the user's cache folder.
    static QString defaultLockPath();

private:
    enum class Outcome { Held, HeldByAnother, Impossible };
    Outcome acquire();

    QString path_;
    int fd_ = -1;
};

} // namespace platform
