#include "swf/PlayerWidget.h"

#include <QFileInfo>
#include <QPainter>

#include <chrono>

namespace swf {

namespace {

// How long the first paint may wait for the file to be read, so that a window opening on a
// movie shows the movie's own colour rather than white. Reading a real movie takes a few
// milliseconds; a file that takes longer is shown on white rather than hold up the window.
constexpr std::chrono::milliseconds kFirstPaintWaitsForTheFile{100};

} // namespace

PlayerWidget::PlayerWidget(QWidget* parent)
    : QWidget(parent),
      player_([this](PlayerThread::News news) {
          QMetaObject::invokeMethod(
              this,
              [this, news] {
                  update();
                  if (news == PlayerThread::News::FrameDrawn)
                      emit frameShown();
              },
              Qt::QueuedConnection);
      })
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
    return !shown.loading && shown.current;
}

QColor PlayerWidget::backgroundColor() const
{
    return backgroundOverride_.value_or(player_.shown().movieBackground.value_or(Qt::white));
}

void PlayerWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Nothing drawn yet and no colour known: a moment's wait for the file spares a white flash.
    if (!backgroundOverride_ && player_.shown().image.isNull())
        player_.waitUntilRead(kFirstPaintWaitsForTheFile);
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
