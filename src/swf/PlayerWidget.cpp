#include "swf/PlayerWidget.h"

#include <QFileInfo>
#include <QPainter>

namespace swf {

PlayerWidget::PlayerWidget(QWidget* parent)
    : QWidget(parent),
      player_([this] { QMetaObject::invokeMethod(this, [this] { update(); emit frameShown(); }, Qt::QueuedConnection); })
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
