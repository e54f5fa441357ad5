// The real settings store against what a user's configuration folder may hold in place of
// its file: each case either works as an ordinary file or reads as an empty store, refuses
// the write, and leaves what it found as it was. None may hang or fill memory.

#include "ScratchFiles.h"
#include "platform/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kApp = QStringLiteral("somnara");
const QString kSection = QStringLiteral("Settings");
const QString kKey = QStringLiteral("Duration");

class ConfigFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    bool write(const QString& value) { return store.write(kApp, kSection, kKey, value); }
    QString read() const { return store.read(kApp, kSection, kKey); }

    // Neither read nor written: the write is refused and the place keeps what it holds.
    void expectRefused(const char* what)
    {
        SCOPED_TRACE(what);
        EXPECT_TRUE(read().isEmpty());
        EXPECT_FALSE(write(QStringLiteral("12/8/26")));
        EXPECT_TRUE(read().isEmpty());
    }

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("somnara.conf"));
    platform::QtSettingsStore store{dir.path()};
};

TEST_F(ConfigFolder, AnOrdinaryFileIsMadeAndReadBack)
{
    EXPECT_TRUE(read().isEmpty());
    ASSERT_TRUE(write(QStringLiteral("12/8/26")));
    EXPECT_TRUE(QFileInfo(file).isFile());
    EXPECT_EQ(read(), QStringLiteral("12/8/26"));
}

TEST_F(ConfigFolder, APipeInTheFilesPlaceIsNeverOpened)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), S_IRUSR | S_IWUSR), 0);
    expectRefused("a pipe");
    EXPECT_FALSE(QFileInfo(file).isFile()) << "still the pipe";
}

TEST_F(ConfigFolder, AFolderInTheFilesPlaceStays)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("somnara.conf/inside")));
    expectRefused("a folder");
    EXPECT_TRUE(QFileInfo::exists(file + QStringLiteral("/inside")));
}

TEST_F(ConfigFolder, ALinkToADeviceIsNeitherReadNorWrittenThrough)
{
    const QString zero = scratch::zeroDevice(dir);
    ASSERT_TRUE(QFile::link(zero, file));
    expectRefused("a link to a zero device");
    EXPECT_TRUE(QFileInfo(file).isSymLink());
    EXPECT_TRUE(scratch::isCharacterDevice(zero));
}

TEST_F(ConfigFolder, ALinkThatLeadsNowhereCreatesNothing)
{
    const QString target = dir.filePath(QStringLiteral("elsewhere/somnara.conf"));
    ASSERT_TRUE(QFile::link(target, file));
    expectRefused("a dangling link");
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(ConfigFolder, ALinkToAnOrdinaryFileIsReadAndWrittenThrough)
{
    // A settings file kept in a repository of the user's files and linked into place.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dotfiles")));
    const QString kept = dir.filePath(QStringLiteral("dotfiles/somnara.conf"));
    platform::QtSettingsStore elsewhere(dir.filePath(QStringLiteral("dotfiles")));
    ASSERT_TRUE(elsewhere.write(kApp, kSection, kKey, QStringLiteral("11/23/26")));
    ASSERT_TRUE(QFile::link(kept, file));

    EXPECT_EQ(read(), QStringLiteral("11/23/26"));
    ASSERT_TRUE(write(QStringLiteral("12/8/26")));
    EXPECT_TRUE(QFileInfo(file).isSymLink()) << "the link stays a link";
    EXPECT_EQ(elsewhere.read(kApp, kSection, kKey), QStringLiteral("12/8/26")) << "the kept file has the value";
}

TEST_F(ConfigFolder, AFileFarTooLargeToBeOursIsLeftAlone)
{
    const QByteArray huge(1 << 20, '\n');
    ASSERT_TRUE(scratch::writeFile(file, huge));
    expectRefused("a megabyte");
    EXPECT_EQ(scratch::contentsOf(file), huge);
}

TEST_F(ConfigFolder, WhatStandsInTheWriteLocksPlaceStopsTheWriteWithoutHanging)
{
    // Qt keeps a lock file beside the store while it writes, and reads any it finds there.
    const QString lock = file + QStringLiteral(".lock");
    ASSERT_EQ(::mkfifo(QFile::encodeName(lock).constData(), S_IRUSR | S_IWUSR), 0);
    EXPECT_FALSE(write(QStringLiteral("12/8/26"))) << "a pipe";
    ASSERT_TRUE(QFile::remove(lock));

    const QString zero = scratch::zeroDevice(dir);
    ASSERT_TRUE(QFile::link(zero, lock));
    EXPECT_FALSE(write(QStringLiteral("12/8/26"))) << "a link to a zero device";
    EXPECT_TRUE(scratch::isCharacterDevice(zero));
    EXPECT_FALSE(QFileInfo::exists(file)) << "nothing was written";
}

TEST_F(ConfigFolder, AnUnreadableFileOrAReadOnlyFolderRefusesTheWrite)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads and writes whatever the permissions say";
    ASSERT_TRUE(scratch::writeFile(file, QByteArray("[Settings]\nkey=value\n")));
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::WriteOwner));
    expectRefused("an unreadable file");
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(scratch::contentsOf(file), QByteArray("[Settings]\nkey=value\n"));

    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    expectRefused("a read-only folder");
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
}

} // namespace
