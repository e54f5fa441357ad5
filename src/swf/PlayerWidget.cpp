#include "swf/PlayerWidget.h"

#include <QFileInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

namespace swf {

namespace {

// How long the first paint may wait for the file to be read, so that a window opening on a
// movie shows the movie's own colour rather than white. Reading a real movie takes a few
// milliseconds; a file that takes longer is shown on white rather than hold up the window.
constexpr std::chrono::milliseconds kFirstPaintWaitsForTheFile{100};

} // namespace

// How the player's thread tells the widget's thread of a file read or a frame drawn: it adds one to a
// count in an event descriptor, which the widget's event loop watches. A call queued to
// the widget would do the same through Qt's event queue, but the locks of that queue are
// Qt's own and invisible to ThreadSanitizer, which then takes every frame's notice for a
// race; a descriptor's write and read order the two threads in its eyes as they do in fact.
// News that comes before the widget's thread looks is heard as one.
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
            widget->takeNews();
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

void PlayerWidget::takeNews()
{
    // Without a picture, the news may be the colour of a movie just read.
    if (picture_.isNull())
        update();
    present();
    // The news may be only that the file was read, which shows no new frame.
    const qint64 drawn = player_.shown().framesDrawn;
    if (drawn != framesHeard_) {
        framesHeard_ = drawn;
        emit frameShown();
    }
}

void PlayerWidget::present()
{
    if (size().isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize device = (QSizeF(size()) * ratio).toSize();
    QRegion repaint;
    player_.showChanges([&](const QImage& frame, const QRegion& changed) {
        // A frame of another size, drawn before a resize, is shown stretched until the next
        // frame; only one drawn for this size lies pixel for pixel where a presenter puts it.
        const bool fits = presenter_ && frame.size() == device;
        const QTransform toWidget = toPicture(frame.size()).inverted();
        for (const QRect& rect : changed) {
            // Rounded outward: a device pixel a logical one covers in part is repainted whole.
            const QRect logical = toWidget.mapRect(QRectF(rect)).toAlignedRect();
            if (!(fits && presenter_(frame, logical)))
                repaint += logical;
        }
    });
    if (!repaint.isEmpty())
        update(repaint);
}

QTransform PlayerWidget::toPicture(const QSize& picture) const
{
    // The picture fills the widget, whatever size it was drawn at.
    return QTransform::fromScale(qreal(picture.width()) / width(), qreal(picture.height()) / height());
}

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
    return !shown.loading && shown.current;
}

QColor PlayerWidget::backgroundColor() const
{
    return backgroundOverride_.value_or(player_.shown().movieBackground.value_or(Qt::white));
}

void PlayerWidget::paintEvent(QPaintEvent* event)
{
    // Nothing drawn yet and no colour known: a moment's wait for the file spares a white flash.
    if (picture_.isNull() && !backgroundOverride_)
        player_.waitUntilRead(kFirstPaintWaitsForTheFile);
    player_.takePicture(picture_);
    QPainter painter(this);
    const QRect area = event->rect();
    if (picture_.isNull()) {
        painter.fillRect(area, backgroundColor());
        return;
    }
    painter.drawImage(QRectF(area), picture_, toPicture(picture_.size()).mapRect(QRectF(area)));
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
