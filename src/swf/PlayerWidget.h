#pragma once
// A widget that plays an SWF movie file: it loads the file named by its movie property,
// starts it at once and plays it at the file's frame rate, looping as the movie does unless
// its actions stop or move it, antialiased, scaled to fit with its proportions kept and
// centred, with the borders in the background colour. It does nothing while hidden or
// minimised.

#include "swf/FrameClock.h"
#include "swf/MoviePlayer.h"

#include <QColor>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace swf {

class PlayerWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlayerWidget(QWidget* parent = nullptr);
    ~PlayerWidget() override;

    // Loads the file and starts it at once, replacing what played. A missing or
    // unreadable file shows only the background and reports nothing.
    void setMovie(const QString& path);
    QString movie() const { return movie_; }

    // Overrides the movie's own background colour.
    void setBackgroundColor(const QColor& colour);
    // The colour drawn around and behind the movie.
    QColor backgroundColor() const;

    // For tests and diagnostics: the 1-based frame of the main timeline shown (0 without a
    // movie) and how many frames have run since the movie was set.
    int currentFrame() const { return player_.currentFrame(); }
    qint64 framesAdvanced() const { return player_.framesAdvanced(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startClock();
    void tick();
    void scheduleNext();

    QString movie_;
    std::optional<QColor> backgroundOverride_;
    MoviePlayer player_;
    FrameClock clock_;
    QElapsedTimer elapsed_;
    QTimer timer_;
    // Frames of the main timeline run since the clock last started.
    qint64 clockFrame_ = 0;
};

} // namespace swf
