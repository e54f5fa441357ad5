#include "swf/PlayerWidget.h"

#include <QFileInfo>
#include <QPainter>

namespace swf {

namespace {

// A machine that falls further behind than this restarts the clock instead of running every
// missed frame, so a long stall cannot turn into a burst of catching up.
constexpr double kMostSecondsBehind = 2.0;

} // namespace

PlayerWidget::PlayerWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PlayerWidget::tick);
    setAccessibleName(QStringLiteral("Movie"));
    elapsed_.start();
}

PlayerWidget::~PlayerWidget() = default;

void PlayerWidget::setMovie(const QString& path)
{
    movie_ = path;
    // Assistive technology cannot see the pictures; it can at least say which movie plays.
    setAccessibleDescription(QFileInfo(path).completeBaseName());
    player_.load(path);
    timer_.stop();
    if (isVisible())
        startClock();
    update();
}

void PlayerWidget::setBackgroundColor(const QColor& colour)
{
    backgroundOverride_ = colour;
    update();
}

QColor PlayerWidget::backgroundColor() const
{
    return backgroundOverride_.value_or(player_.movieBackground());
}

void PlayerWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    player_.paint(painter, size(), backgroundColor());
}

void PlayerWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    startClock();
}

void PlayerWidget::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    timer_.stop();
}

void PlayerWidget::startClock()
{
    const Movie* movie = player_.movie();
    if (movie == nullptr || player_.movie()->timeline.frames.empty())
        return;
    clockFrame_ = 0;
    clock_.restart(movie->frameRate, 0, elapsed_.elapsed());
    scheduleNext();
}

void PlayerWidget::scheduleNext()
{
    timer_.start(static_cast<int>(clock_.msUntil(clockFrame_ + 1, elapsed_.elapsed())));
}

void PlayerWidget::tick()
{
    if (!isVisible() || !player_.hasMovie())
        return;
    const qint64 now = elapsed_.elapsed();
    const qint64 due = clock_.dueFrame(now);
    bool changed = false;
    if (double(due - clockFrame_) > kMostSecondsBehind * clock_.rate()) {
        changed = player_.advance();
        clockFrame_ = 0;
        clock_.restart(clock_.rate(), 0, now);
    } else {
        // Every due frame runs, as the display list depends on each, but only the last is drawn.
        for (; clockFrame_ < due; ++clockFrame_)
            changed = player_.advance() || changed;
    }
    // A movie that has stopped is not drawn again until it moves.
    if (changed)
        update();
    scheduleNext();
}

} // namespace swf
