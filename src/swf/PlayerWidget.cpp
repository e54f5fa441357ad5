#include "swf/PlayerWidget.h"

#include <QPainter>

namespace swf {

PlayerWidget::PlayerWidget(QWidget* parent) : QWidget(parent) {}

PlayerWidget::~PlayerWidget() = default;

void PlayerWidget::setMovie(const QString& path)
{
    movie_ = path;
    update();
}

void PlayerWidget::setBackgroundColor(const QColor& colour)
{
    backgroundOverride_ = colour;
    update();
}

QColor PlayerWidget::backgroundColor() const
{
    return backgroundOverride_.value_or(QColor(255, 255, 255));
}

void PlayerWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor());
}

} // namespace swf
