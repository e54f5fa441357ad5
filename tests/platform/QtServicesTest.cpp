// The real file, lock and random services against the real file system.

#include "platform/QtServices.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(QtFileSystem, OnlyAnOrdinaryReadableFileCountsAsPresent)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Pendulum.swf"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("BoxUpward.swf")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone.swf")), dir.filePath(QStringLiteral("BoxDownward.swf"))));

    platform::QtFileSystem files;
    EXPECT_TRUE(files.isReadableFile(file));
    EXPECT_FALSE(files.isReadableFile(dir.filePath(QStringLiteral("BoxUpward.swf")))) << "a folder";
    EXPECT_FALSE(files.isReadableFile(dir.filePath(QStringLiteral("BoxDownward.swf")))) << "a dangling link";
    EXPECT_FALSE(files.isReadableFile(dir.filePath(QStringLiteral("missing.swf"))));
    // A backslash is an ordinary character in a Linux file name: it names another file.
    EXPECT_FALSE(files.isReadableFile(dir.path() + QStringLiteral("\\Pendulum.swf")));

    if (::geteuid() != 0) { // root reads every file
        ASSERT_TRUE(f.setPermissions(QFileDevice::WriteOwner));
        EXPECT_FALSE(files.isReadableFile(file)) << "an unreadable file";
    }
}

TEST(QtInstanceLock, SecondHolderIsRefusedWhileTheFirstLives)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("somnara.lock"));
    platform::QtInstanceLock first(path);
    platform::QtInstanceLock second(path);
    EXPECT_FALSE(first.anotherInstanceRunning());
    EXPECT_TRUE(second.anotherInstanceRunning());
    EXPECT_FALSE(first.anotherInstanceRunning()) << "asking again keeps our own lock";
}

TEST(QtInstanceLock, LockLeftByADeadProcessIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("somnara.lock"));
    // A copy killed with -9 leaves its lock file behind, naming a process that is gone.
    QProcess child;
    child.start(QStringLiteral("true"), {});
    ASSERT_TRUE(child.waitForStarted());
    const qint64 deadPid = child.processId();
    ASSERT_TRUE(child.waitForFinished());
    QByteArray contents;
    {
        QLockFile ours(path);
        ASSERT_TRUE(ours.tryLock(0));
        QFile written(path);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        contents = written.readAll();
        ours.unlock();
    }
    contents = QByteArray::number(deadPid) + contents.mid(contents.indexOf('\n'));
    {
        QFile stale(path);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write(contents);
    }
    platform::QtInstanceLock lock(path);
    EXPECT_FALSE(lock.anotherInstanceRunning());
}

TEST(QtInstanceLock, NoLockPossibleMeansRunNormally)
{
    platform::QtInstanceLock lock(QStringLiteral("/proc/somnara-cannot-be-here/somnara.lock"));
    EXPECT_FALSE(lock.anotherInstanceRunning());
}

TEST(QtRandomSource, ValuesStayInTheHalfOpenUnitInterval)
{
    platform::QtRandomSource random;
    random.randomize();
    float lowest = 1.0f;
    float highest = 0.0f;
    for (int i = 0; i < 100000; ++i) {
        const float r = random.next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_LT(lowest, 0.001f);
    EXPECT_GT(highest, 0.999f);
}

} // namespace
