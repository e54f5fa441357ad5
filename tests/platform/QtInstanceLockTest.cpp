// The real instance lock against real files and processes: live holders keep others out,
// dead ones do not, and nothing found in the lock's place hangs the start or is written
// through.

#include "ScratchFiles.h"
#include "platform/QtInstanceLock.h"
#include "platform/QtServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs body in a process of its own, which ends with body's result and no clean-up at all,
// as after a crash; returns that result.
int inChildProcess(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        std::_Exit(body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

class LockFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A second copy asking now: true when it would be refused. Any lock it gets goes
    // with it.
    bool secondCopyRefused()
    {
        platform::QtInstanceLock probe(path);
        return probe.anotherInstanceRunning();
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("somnara.lock"));
};

TEST_F(LockFolder, SecondHolderIsRefusedWhileTheFirstLives)
{
    platform::QtInstanceLock first(path);
    platform::QtInstanceLock second(path);
    EXPECT_FALSE(first.anotherInstanceRunning());
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_FALSE(first.anotherInstanceRunning()) << "asking again keeps our own lock";
    EXPECT_TRUE(second.anotherInstanceRunning()) << "asking again changes nothing for the refused one";
}

TEST_F(LockFolder, ALiveHolderKeepsOthersOutAndItsDeathLetsThemIn)
{
    // Another process holds the kernel lock on the file, then is killed: it leaves its
    // file behind and cleans up nothing, as after a crash.
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("--no-fork"), path, QStringLiteral("sh"),
                                           QStringLiteral("-c"), QStringLiteral("echo held; exec sleep 60")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput(), QByteArray("held\n"));

    platform::QtInstanceLock lock(path);
    EXPECT_TRUE(lock.anotherInstanceRunning());

    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(path)) << "the dead holder left its file";
    EXPECT_FALSE(lock.anotherInstanceRunning()) << "taken over";
    EXPECT_TRUE(secondCopyRefused()) << "and held";
}

TEST_F(LockFolder, AFileLeftBehindIsTakenOverWhateverItHolds)
{
    const struct {
        const char* what;
        QByteArray contents;
    } leftovers[] = {
        {"an empty file", QByteArray()},
        {"bytes that mean nothing", QByteArray("\xff\xfe\x00garbage\n\n\x01", 13)},
        {"a live-looking process on another machine", QByteArray("1\nsomnara\nanother-host.example\n")},
        {"a megabyte without a line break", QByteArray(1 << 20, 'x')},
    };
    for (const auto& leftover : leftovers) {
        SCOPED_TRACE(leftover.what);
        ASSERT_TRUE(scratch::writeFile(path, leftover.contents));
        platform::QtInstanceLock lock(path);
        EXPECT_FALSE(lock.anotherInstanceRunning());
        EXPECT_TRUE(secondCopyRefused());
    }
}

TEST_F(LockFolder, AFileThisUserCannotOpenIsTakenOver)
{
    ASSERT_TRUE(scratch::writeFile(path, QByteArray("1\nsomnara\nhost\n")));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    platform::QtInstanceLock lock(path);
    EXPECT_FALSE(lock.anotherInstanceRunning());
    EXPECT_TRUE(secondCopyRefused());
}

TEST_F(LockFolder, WhatStandsInTheLocksPlaceIsNeverOpenedNorWrittenThrough)
{
    // A pipe would block the start for good if it were opened to read or write.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), S_IRUSR | S_IWUSR), 0);
    {
        platform::QtInstanceLock lock(path);
        EXPECT_FALSE(lock.anotherInstanceRunning()) << "a pipe";
        EXPECT_TRUE(QFileInfo(path).isFile());
        EXPECT_TRUE(secondCopyRefused());
    }

    // A link to a device: the device stays as it is, and the lock is a file of its own.
    const QString zero = scratch::zeroDevice(dir);
    ASSERT_TRUE(QFile::link(zero, path));
    {
        platform::QtInstanceLock lock(path);
        EXPECT_FALSE(lock.anotherInstanceRunning()) << "a link to a zero device";
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_TRUE(secondCopyRefused());
    }
    EXPECT_TRUE(scratch::isCharacterDevice(zero));

    // A link to someone's file: the file is neither changed nor removed.
    const QString precious = dir.filePath(QStringLiteral("precious.txt"));
    ASSERT_TRUE(scratch::writeFile(precious, QByteArray("keep me")));
    ASSERT_TRUE(QFile::link(precious, path));
    {
        platform::QtInstanceLock lock(path);
        EXPECT_FALSE(lock.anotherInstanceRunning()) << "a link to an ordinary file";
        EXPECT_TRUE(secondCopyRefused());
    }
    EXPECT_EQ(scratch::contentsOf(precious), QByteArray("keep me"));

    // A folder may hold the user's files: it stays, and the program runs as the only copy.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("somnara.lock/inside")));
    platform::QtInstanceLock lock(path);
    EXPECT_FALSE(lock.anotherInstanceRunning()) << "a folder";
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("somnara.lock/inside"))));
}

TEST_F(LockFolder, NoLockPossibleMeansRunNormally)
{
    platform::QtInstanceLock lock(QStringLiteral("/proc/somnara-cannot-be-here/somnara.lock"));
    EXPECT_FALSE(lock.anotherInstanceRunning());
}

TEST_F(LockFolder, ReleaseRemovesOnlyTheHoldersFile)
{
    platform::QtInstanceLock first(path);
    ASSERT_FALSE(first.anotherInstanceRunning());
    platform::QtInstanceLock refused(path);
    ASSERT_TRUE(refused.anotherInstanceRunning());
    refused.release();
    EXPECT_TRUE(QFileInfo::exists(path)) << "a refused copy leaves the running copy's file";
    EXPECT_TRUE(secondCopyRefused()) << "and its lock";

    first.release();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(secondCopyRefused());

    // A holder whose file was replaced meanwhile leaves the new file alone.
    platform::QtInstanceLock again(path);
    ASSERT_FALSE(again.anotherInstanceRunning());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(scratch::writeFile(path, QByteArray("someone else's")));
    again.release();
    EXPECT_EQ(scratch::contentsOf(path), QByteArray("someone else's"));
}

// A copy that dies leaves its lock to nobody, not even to a program it started: the
// browser that a refer-a-friend request opens may outlive it by hours.
TEST_F(LockFolder, ProgramsStartedByACopyDoNotKeepItsLockAfterItDies)
{
    const QString pidFile = dir.filePath(QStringLiteral("child.pid"));
    const int died = inChildProcess([&] {
        platform::QtInstanceLock lock(path);
        if (lock.anotherInstanceRunning())
            return 2;
        QProcess browser;
        browser.setProgram(QStringLiteral("sleep"));
        browser.setArguments({QStringLiteral("30")});
        browser.setStandardOutputFile(QProcess::nullDevice());
        browser.setStandardErrorFile(QProcess::nullDevice());
        qint64 pid = 0;
        QFile file(pidFile);
        if (!browser.startDetached(&pid) || !file.open(QIODevice::WriteOnly) ||
            file.write(QByteArray::number(pid)) <= 0)
            return 3;
        file.close();
        std::_Exit(0); // without giving the lock back, as in a crash
    });
    ASSERT_EQ(died, 0);
    const pid_t child = static_cast<pid_t>(scratch::contentsOf(pidFile).toLongLong());
    ASSERT_GT(child, 0);
    EXPECT_FALSE(secondCopyRefused());
    ::kill(child, SIGKILL);
}

// ---- Where the lock is kept ----

TEST(DefaultLockPath, ARuntimeFolderThatCannotHoldTheLockGivesWayToTheCacheFolder)
{
    QTemporaryDir runtime;
    QTemporaryDir cache;
    ASSERT_TRUE(runtime.isValid() && cache.isValid());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString aFile = runtime.filePath(QStringLiteral("file"));
    ASSERT_TRUE(QFile(aFile).open(QIODevice::WriteOnly));
    // Another user's folder: as root, one given away; otherwise one this user cannot write in.
    const QString othersFolder = runtime.filePath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkdir(othersFolder));
    const QByteArray others = QFile::encodeName(othersFolder);
    ASSERT_EQ(::geteuid() == 0 ? ::chown(others.constData(), 65534, 65534) : ::chmod(others.constData(), S_IRUSR | S_IXUSR), 0);

    const struct {
        const char* what;
        QString folder;
        QString lockFolder;
    } cases[] = {
        {"this user's folder", runtime.path(), runtime.path()},
        {"unset", QString(), cache.path()},
        {"relative", QStringLiteral("run/user"), cache.path()},
        {"missing", runtime.filePath(QStringLiteral("gone")), cache.path()},
        {"a file", aFile, cache.path()},
        {"another user's folder", othersFolder, cache.path()},
    };
    for (const auto& c : cases) {
        if (c.folder.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(c.folder));
        const QString path = platform::QtInstanceLock::defaultLockPath();
        EXPECT_EQ(QFileInfo(path).absolutePath().toStdString(), c.lockFolder.toStdString()) << c.what;
        // Whatever the folder, one copy keeps the next out.
        platform::QtInstanceLock first(path);
        platform::QtInstanceLock second(platform::QtInstanceLock::defaultLockPath());
        EXPECT_FALSE(first.anotherInstanceRunning()) << c.what;
        EXPECT_TRUE(second.anotherInstanceRunning()) << c.what;
    }
    ::chmod(others.constData(), S_IRWXU);
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_CACHE_HOME");
}

// ---- The real services end the process and give the lock back ----

class RealServicesEnd : public LockFolder {
protected:
    void SetUp() override
    {
        LockFolder::SetUp();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    }
    void TearDown() override { qunsetenv("XDG_RUNTIME_DIR"); }
};

TEST_F(RealServicesEnd, ANormalEndRemovesTheLock)
{
    const int ended = inChildProcess([] {
        platform::QtServices real;
        platform::Services services = real.services();
        if (services.instance.anotherInstanceRunning())
            return 2;
        services.process.end(0);
        return 3;
    });
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(RealServicesEnd, ARefusedCopyEndsWithoutTouchingTheRunningCopysLock)
{
    platform::QtInstanceLock running(path);
    ASSERT_FALSE(running.anotherInstanceRunning());
    const int ended = inChildProcess([] {
        platform::QtServices real;
        platform::Services services = real.services();
        services.process.end(services.instance.anotherInstanceRunning() ? 0 : 2);
        return 3;
    });
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(secondCopyRefused());
}

} // namespace
