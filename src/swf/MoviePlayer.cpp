#include "swf/MoviePlayer.h"

#include "swf/Renderer.h"

namespace swf {

void MoviePlayer::load(const QString& path)
{
    clear();
    movie_ = Movie::loadFile(path);
    if (movie_) {
        root_ = std::make_unique<TimelinePlayer>(*movie_, movie_->timeline);
        renderer_ = std::make_unique<Renderer>(*movie_);
    }
}

void MoviePlayer::clear()
{
    renderer_.reset();
    root_.reset();
    movie_.reset();
    advanced_ = 0;
}

bool MoviePlayer::advance()
{
    if (!root_)
        return false;
    ++advanced_;
    return root_->advance();
}

QColor MoviePlayer::movieBackground() const
{
    return movie_ && movie_->background ? *movie_->background : QColor(Qt::white);
}

void MoviePlayer::paint(QPainter& painter, const QSize& target, const QColor& background) const
{
    if (!root_) {
        painter.fillRect(QRect(QPoint(0, 0), target), background);
        return;
    }
    renderer_->render(painter, *root_, target, background, background);
}

} // namespace swf
