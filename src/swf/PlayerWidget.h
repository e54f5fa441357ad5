#pragma once
// A widget that plays an SWF movie file: it loads the file named by its movie property,
// starts it at once and plays it at the file's frame rate, looping as the movie does unless
// its actions stop or move it, antialiased, scaled to fit with its proportions kept and
// centred, with the borders in the background colour. It does nothing while hidden or
// minimised.
//
// The movie is read, run and drawn on a player thread of the widget's own (PlayerThread),
// which hands over the pixels each frame changed, and the widget shows just those. So
// however much a movie asks for, the window answers at once: its menus, its buttons and its
// close box never wait for a frame, and closing it never waits for the movie.
//
// What changed goes to the screen through a presenter the owner may give, which writes the
// pixels of the player's frame to the window without the toolkit's repaint; without one, or
// where it cannot, the widget repaints just those pixels from a picture of its own, brought
// up to date only then.

#include "swf/PlayerThread.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTransform>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace swf {

class PlayerWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlayerWidget(QWidget* parent = nullptr);
    ~PlayerWidget() override;

    // Starts the file, replacing what played. It is read on the player thread: the widget
    // shows the last frame of what played before, or else the background, until the new
    // movie's first frame is drawn. A missing or unreadable file
    // shows only the background and reports nothing; a movie refused for asking more than
    // the player gives shows only the background and says so on stderr.
    void setMovie(const QString& path);
    QString movie() const { return movie_; }

    // Overrides the movie's own background colour.
    void setBackgroundColor(const QColor& colour);
    // The colour drawn around and behind the movie.
    QColor backgroundColor() const;

    // For tests and diagnostics: whether the file set last has been read and a frame drawn
    // since (of the movie, or of only the background when there is none), the 1-based frame
    // of the main timeline shown (0 without a movie) and how many frames have run since the
    // movie was set.
    bool settled() const;
    int currentFrame() const { return player_.shown().currentFrame; }
    qint64 framesAdvanced() const { return player_.shown().framesAdvanced; }
    // Puts a changed part of the movie's frame on the screen: the frame in device pixels
    // covering the whole widget (opaque, premultiplied) and the part in logical pixels.
    // False when it could not, and the widget repaints that part itself. The frame is lent
    // for the call; a copy kept makes the player draw the next frames into other memory.
    using Presenter = std::function<bool(const QImage& picture, const QRect& changed)>;
    void setPresenter(Presenter presenter) { presenter_ = std::move(presenter); }
    // A presenter that can also put frames on the screen from the player's thread, so that
    // the widget's thread sleeps while the movie plays: given each frame in device pixels
    // and the device pixels to show, on that thread. False when it could not just then:
    // the widget then shows them itself, through the presenter above or by repainting.
    void setDirectShow(PlayerThread::DirectShow show) { player_.setDirectShow(std::move(show)); }
    // Frames drawn and handed over to be shown since the player started, whichever thread
    // showed them.
    qint64 framesShown() const { return player_.shown().framesDrawn; }
    // Where the frames are drawn: the presenter's own memory, for one that puts them from
    // there without a copy.
    void setFrameMemory(FrameMemory memory) { player_.setFrameMemory(std::move(memory)); }

    // For tests: runs on the player thread before each frame is drawn.
    void setBeforeDrawing(std::function<void()> hook) { player_.setBeforeDrawing(std::move(hook)); }
    // For tests: stands in for the renderer's account of what each frame changed.
    void setChangeReport(PlayerThread::ChangeReport report) { player_.setChangeReport(std::move(report)); }

signals:
    // A newly drawn frame that changed the picture is on show, shown by the widget's thread.
    void frameShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class FrameNotice;

    void sendPicture();
    // Shows what the player's thread has announced.
    void takeNews();
    // Brings the pixels the player changed to the screen.
    void present();
    // From the widget's logical pixels to the pixels of a picture of that size.
    QTransform toPicture(const QSize& picture) const;

    QString movie_;
    std::optional<QColor> backgroundOverride_;
    // The last frame taken from the player, in device pixels, for repainting; null before
    // the first.
    QImage picture_;
    Presenter presenter_;
    // Before the player, so that it outlives the player's last call.
    std::unique_ptr<FrameNotice> frameNotice_;
    qint64 framesHeard_ = 0;
    PlayerThread player_;
};

} // namespace swf
