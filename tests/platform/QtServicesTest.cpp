// The real file and random services against the real file system.

#include "platform/QtServices.h"

#include <QDir>
#include <QFile>
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
