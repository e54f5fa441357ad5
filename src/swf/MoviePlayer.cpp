#include "swf/MoviePlayer.h"

#include "swf/Renderer.h"

namespace swf {

void MoviePlayer::load(const QString& path)
{
    clear();
    QString refusal;
    movie_ = Movie::loadFile(path, {}, &refusal);
    if (!refusal.isEmpty())
        qWarning("Movie %s refused: %s", qPrintable(path), qPrintable(refusal));
    if (movie_) {
        root_ = std::make_unique<TimelinePlayer>(*movie_, movie_->timeline);
        renderer_ = std::make_unique<Renderer>(*movie_);
        renderer_->setFrameMemory(frameMemory_);
    }
}

void MoviePlayer::setFrameMemory(FrameMemory memory)
{
    frameMemory_ = std::move(memory);
    if (renderer_)
        renderer_->setFrameMemory(frameMemory_);
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

QImage MoviePlayer::render(const QSize& size, const QColor& background) const
{
    if (root_)
        return renderer_->renderImage(*root_, size, background, background);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    // Without a movie every picture is drawn whole.
    changed_ = QRegion(image.rect());
    return image;
}

QRegion MoviePlayer::changed() const
{
    return root_ ? renderer_->changed() : changed_;
}

} // namespace swf
