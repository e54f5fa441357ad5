#include "platform/QtServices.h"

#include "platform/ModalOwner.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
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
                    modalOwner());
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    const int answer = box.exec();
    if (buttons == MsgButtons::OK)
        return MsgResult::OK;
    return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}

void QtProcessControl::releaseAtEnd(std::function<void()> release)
{
    releases_.push_back(std::move(release));
}

void QtProcessControl::end(int exitCode)
{
    for (auto release = releases_.rbegin(); release != releases_.rend(); ++release)
        (*release)();
    // Ending "at once": no handler may run after this, and no window opened during the
    // shutdown may appear, so the event loop is not given another turn.
    std::fflush(nullptr);
    std::_Exit(exitCode);
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

void QtWebOpener::open(const QString& address)
{
    const QUrl url(address);
    if (QDesktopServices::openUrl(url))
        return;
    // The query may carry names and e-mail addresses: it stays out of the log.
    qWarning("somnara: the system did not open %s (an address of %lld characters)",
             qUtf8Printable(url.toDisplayString(QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)),
             static_cast<long long>(address.size()));
}

QtServices::QtServices()
    : instance_(QtInstanceLock::defaultLockPath()), events_(monotonic_), idle_(kApplicationTitle)
{
    process_.releaseAtEnd([this] { instance_.release(); });
    process_.releaseAtEnd([this] { idle_.releaseAtEnd(); });
}

Services QtServices::services()
{
    return Services{messages_, process_, instance_, files_, clock_, monotonic_, events_, random_, settings_, web_, idle_};
}

} // namespace platform
