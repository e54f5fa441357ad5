#include "platform/QtServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTime>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
const QString kApplicationTitle = QStringLiteral("Somnara");
}

MsgResult QtMessageBoxes::show(const QString& text, MsgIcon icon, MsgButtons buttons)
{
    QString shown = text;
    shown.replace(QChar(13), QChar(10));
    // The box belongs to the window the user is working in, so that it comes in front
    // of it even when that window stays above all others (the refer-a-friend window).
    QMessageBox box(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    kApplicationTitle, shown,
                    buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    const int answer = box.exec();
    if (buttons == MsgButtons::OK)
        return MsgResult::OK;
    return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}

void QtProcessControl::end(int exitCode)
{
    // Ending "at once": no handler may run after this, and no window opened during the
    // shutdown may appear, so the event loop is not given another turn.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

QtInstanceLock::QtInstanceLock(QString lockPath) : path_(std::move(lockPath)) {}

QString QtInstanceLock::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/somnara.lock");
}

bool QtInstanceLock::anotherInstanceRunning()
{
    if (lock_ && lock_->isLocked())
        return false;
    lock_ = std::make_unique<QLockFile>(path_);
    // A lock never goes stale by age while its holder lives; one whose holder has died
    // is recognised by QLockFile and taken over.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return false;
    // Only a lock held by a live copy stops us; a folder we cannot write must not.
    return lock_->error() == QLockFile::LockFailedError;
}

QString QtFileSystem::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

QString QtFileSystem::programName() const
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

bool QtFileSystem::isReadableFile(const QString& path) const
{
    const QFileInfo info(path);
    return info.exists() && info.isFile() && info.isReadable();
}

QDate QtClock::today() const
{
    return QDate::currentDate();
}

void QtRandomSource::randomize()
{
    engine_.seed(static_cast<std::mt19937::result_type>(QTime::currentTime().msecsSinceStartOfDay()));
}

float QtRandomSource::next()
{
    // 24 random bits give every single-precision value of the form k / 2^24, all below 1.
    return static_cast<float>(engine_() >> 8) / 16777216.0f;
}

QString QtSettingsStore::read(const QString& app, const QString& section, const QString& key) const
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, app);
    return store.value(section + QLatin1Char('/') + key).toString();
}

bool QtSettingsStore::write(const QString& app, const QString& section, const QString& key, const QString& value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, app);
    store.setValue(section + QLatin1Char('/') + key, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

void QtWebOpener::open(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

QtServices::QtServices() : instance_(QtInstanceLock::defaultLockPath()), events_(monotonic_) {}

Services QtServices::services()
{
    return Services{messages_, process_, instance_, files_, clock_, monotonic_, events_, random_, settings_, web_};
}

} // namespace platform
