#include "swf/PlayerWidget.h"

#include <QFileInfo>
#include <QPainter>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace swf {

// How the player's thread tells the widget's thread of a new frame: it adds one to a
// count in an event descriptor, which the widget's event loop watches. A call queued to
// the widget would do the same through Qt's event queue, but the locks of that queue are
// Qt's own and invisible to ThreadSanitizer, which then takes every frame's notice for a
// race; a descriptor's write and read order the two threads in its eyes as they do in fact.
// Frames drawn before the widget's thread looks are heard as one.
class PlayerWidget::FrameNotice {
public:
    explicit FrameNotice(PlayerWidget* widget)
        : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), notifier_(fd_, QSocketNotifier::Read)
    {
        if (fd_ < 0)
            qWarning("the movie's frames will not be shown as they are drawn: %s", qPrintable(qt_error_string()));
        QObject::connect(&notifier_, &QSocketNotifier::activated, widget, [this, widget] {
            std::uint64_t frames = 0;
            if (::read(fd_, &frames, sizeof frames) != sizeof frames)
                return;
            widget->update();
            emit widget->frameShown();
        });
    }

    ~FrameNotice()
    {
        notifier_.setEnabled(false);
        if (fd_ >= 0)
            ::close(fd_);
    }

    FrameNotice(const FrameNotice&) = delete;
    FrameNotice& operator=(const FrameNotice&) = delete;

    // On the player's thread. A count too full to grow is already heard, so a failed
    // write loses nothing.
    void ring() const
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof one);
    }

private:
    int fd_;
    QSocketNotifier notifier_;
};

PlayerWidget::PlayerWidget(QWidget* parent)
    : QWidget(parent),
      frameNotice_(std::make_unique<FrameNotice>(this)),
      player_([notice = frameNotice_.get()] { notice->ring(); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Movie"));
}

PlayerWidget::~PlayerWidget() = default;

void PlayerWidget::setMovie(const QString& path)
{
    movie_ = path;
    // Assistive technology cannot see the pictures; it can at least say which movie plays.
    setAccessibleDescription(QFileInfo(path).completeBaseName());
    player_.load(path);
    sendPicture();
    update();
}

void PlayerWidget::setBackgroundColor(const QColor& colour)
{
    backgroundOverride_ = colour;
    sendPicture();
    update();
}

bool PlayerWidget::settled() const
{
    const PlayerThread::Shown shown = player_.shown();
    return !shown.loading && !shown.image.isNull();
}

QColor PlayerWidget::backgroundColor() const
{
    return backgroundOverride_.value_or(player_.shown().movieBackground.value_or(Qt::white));
}

void PlayerWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage frame = player_.shown().image;
    if (frame.isNull())
        painter.fillRect(rect(), backgroundColor());
    else
        painter.drawImage(QRectF(rect()), frame);
}

void PlayerWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    sendPicture();
    player_.setPlaying(true);
}

void PlayerWidget::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    player_.setPlaying(false);
}

void PlayerWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    sendPicture();
}

void PlayerWidget::sendPicture()
{
    // Drawn in device pixels, so that a high-density screen gets its own detail.
    player_.setPicture((QSizeF(size()) * devicePixelRatioF()).toSize(), backgroundOverride_);
}

} // namespace swf
