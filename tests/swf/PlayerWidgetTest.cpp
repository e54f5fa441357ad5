// The player widget as the movie window uses it, and the frame clock that keeps its pace.

#include "SwfBytes.h"

#include "swf/FrameClock.h"
#include "swf/MoviePlayer.h"
#include "swf/PlayerWidget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <semaphore>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

const QColor kRed(255, 0, 0);

void waitMs(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The most frames a 50-per-second movie can have run since the stopwatch started, which
// was before the player's clock did; one more covers the two clocks' millisecond rounding.
// Bounding by measured time keeps the check true when a loaded machine oversleeps a wait.
qint64 mostFramesSince(const QElapsedTimer& stopwatch)
{
    return stopwatch.elapsed() * 50 / 1000 + 1;
}

// Waits for a condition that the player thread brings about. The bound only stops a broken
// player from hanging the suite.
bool waitFor(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Waits until the file set last has been read and a frame drawn since.
bool settle(const swf::PlayerWidget& widget)
{
    if (!waitFor([&widget] { return widget.settled(); }))
        return false;
    // The widget hears of the frame through its event loop.
    QCoreApplication::processEvents();
    return true;
}

bool onlyColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != colour)
                return false;
    return true;
}

// A movie of `frames` frames at `rate` with a red square covering the stage.
QByteArray redMovie(int frames, double rate)
{
    swftest::ShapeRecords square;
    square.moveStyles(0, 0, 0, 1, 0).lineBy(2000, 0).lineBy(0, 2000).lineBy(-2000, 0).lineBy(0, -2000);
    swftest::Movie movie;
    movie.background(Qt::green).tag(2, swftest::defineShape(1, 1, {kRed}, {}, square)).place(1, 1).showFrame();
    for (int i = 1; i < frames; ++i)
        movie.showFrame();
    return movie.fws(2000, 2000, rate);
}

// A red square 25 pixels wide that moves 50 pixels right each frame, four frames at 50 a
// second on a green stage of 200 x 100 pixels.
QByteArray movingSquare()
{
    swftest::ShapeRecords square;
    square.moveStyles(0, 0, 0, 1, 0).lineBy(500, 0).lineBy(0, 500).lineBy(-500, 0).lineBy(0, -500);
    swftest::Movie movie;
    movie.background(Qt::green).tag(2, swftest::defineShape(1, 1, {kRed}, {}, square)).place(1, 1, 0, 500).showFrame();
    for (int x = 1000; x < 4000; x += 1000)
        movie.tag(26, swftest::Bytes().u8(0x05).u16(1).matrix(x, 500)).showFrame();
    return movie.fws(4000, 2000, 50);
}

// The frame `frame` of the movie at `path`, drawn whole by a player of its own.
QImage fullRender(const QString& path, int frame, const QSize& size)
{
    swf::MoviePlayer player;
    player.load(path);
    while (player.currentFrame() != frame && player.framesAdvanced() < 100)
        player.advance();
    return player.render(size, player.movieBackground()).convertToFormat(QImage::Format_RGB32);
}

// The areas of the paint events a widget receives.
class PaintLog : public QObject {
public:
    std::vector<QRect> areas;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            areas.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
};

// Lets the widget's thread hear all the player has said so far, and paint what it asked to.
void drain()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

class SwfPlayerWidget : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    QTemporaryDir dir;
    swf::PlayerWidget widget;
};

TEST_F(SwfPlayerWidget, AMissingOrDamagedFileShowsOnlyTheBackground)
{
    widget.resize(120, 80);
    widget.setBackgroundColor(Qt::black);
    const QString damaged = write("damaged.swf", QByteArray("CWS\x0a\x10\x00\x00\x00garbage", 15));
    for (const QString& path : {dir.filePath("missing.swf"), damaged, dir.path()}) {
        widget.setMovie(path);
        EXPECT_EQ(widget.movie(), path);
        ASSERT_TRUE(settle(widget));
        EXPECT_EQ(widget.currentFrame(), 0);
        EXPECT_TRUE(onlyColour(widget.grab().toImage(), Qt::black)) << path.toStdString();
    }
}

TEST_F(SwfPlayerWidget, TheBackgroundOverridesTheMovieOwn)
{
    widget.resize(200, 100);
    std::atomic<int> draws = 0;
    widget.setBeforeDrawing([&draws] { ++draws; });
    widget.setMovie(write("red.swf", redMovie(1, 12)));
    ASSERT_TRUE(settle(widget));
    EXPECT_EQ(widget.backgroundColor(), QColor(Qt::green)) << "the movie's own colour until one is set";
    EXPECT_EQ(widget.grab().toImage().pixelColor(10, 50), QColor(Qt::green));
    // Hidden, the movie draws no frame but the one the new colour asks for: a second draw
    // would come at once, so a short wait shows it.
    waitMs(200);
    EXPECT_EQ(draws, 1) << "a movie's start draws its first frame once";
    widget.setBackgroundColor(Qt::black);
    EXPECT_EQ(widget.backgroundColor(), QColor(Qt::black));
    ASSERT_TRUE(waitFor([&] { return widget.grab().toImage().pixelColor(10, 50) == QColor(Qt::black); })) << "border";
    EXPECT_EQ(widget.grab().toImage().pixelColor(100, 50), kRed) << "stage centred";
    EXPECT_EQ(draws, 2);
}

TEST_F(SwfPlayerWidget, ANewMovieShowsTheLastPictureUntilItsFirstFrame)
{
    widget.resize(200, 100);
    widget.setMovie(write("red.swf", redMovie(1, 12)));
    ASSERT_TRUE(settle(widget));
    // A pipe holds up the reading of the next movie for as long as the test likes.
    const QString pipe = dir.filePath("next.swf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), S_IRUSR | S_IWUSR), 0);
    widget.setMovie(pipe);
    QFile writer(pipe);
    ASSERT_TRUE(writer.open(QIODevice::WriteOnly)) << "the player opens the next movie";
    const QImage meanwhile = widget.grab().toImage();
    EXPECT_EQ(meanwhile.pixelColor(10, 50), QColor(Qt::green)) << "not the default white";
    EXPECT_EQ(meanwhile.pixelColor(100, 50), kRed);
    EXPECT_FALSE(widget.settled());

    swftest::Movie blue;
    blue.background(Qt::blue).showFrame();
    writer.write(blue.fws(2000, 2000, 12));
    writer.close();
    ASSERT_TRUE(settle(widget));
    EXPECT_TRUE(onlyColour(widget.grab().toImage(), Qt::blue));
}

TEST_F(SwfPlayerWidget, PlaysWhileShownLoopsAndRestsWhileHidden)
{
    widget.resize(50, 50);
    widget.setMovie(write("fast.swf", redMovie(3, 50)));
    ASSERT_TRUE(settle(widget));
    EXPECT_EQ(widget.currentFrame(), 1) << "shows its first frame";
    QElapsedTimer shown;
    shown.start();
    widget.show();
    ASSERT_TRUE(waitFor([&] { return widget.framesAdvanced() >= 3; })) << "loops past the last of three frames";
    // A loaded machine runs fewer frames than the time shown allows, never more.
    EXPECT_LE(widget.framesAdvanced(), mostFramesSince(shown));
    widget.hide();
    const qint64 atHide = widget.framesAdvanced();
    waitMs(200);
    EXPECT_EQ(widget.framesAdvanced(), atHide);
    shown.restart();
    widget.show();
    ASSERT_TRUE(waitFor([&] { return widget.framesAdvanced() > atHide; }));
    const qint64 afterShow = widget.framesAdvanced();
    EXPECT_LE(afterShow, atHide + mostFramesSince(shown)) << "time spent hidden is not caught up";

    widget.hide();
    widget.setMovie(write("other.swf", redMovie(2, 50)));
    EXPECT_EQ(widget.framesAdvanced(), 0);
    ASSERT_TRUE(settle(widget));
    EXPECT_EQ(widget.currentFrame(), 1) << "a new movie starts from its first frame";
    EXPECT_EQ(widget.framesAdvanced(), 0);
}

TEST_F(SwfPlayerWidget, TheWindowAnswersAndClosesWhileAFrameIsBeingDrawn)
{
    // A frame whose drawing the test holds up for as long as it likes. Shared with the
    // player thread, which outlives the widget.
    struct Hold {
        std::atomic<bool> drawing = false;
        std::atomic<bool> heldTooLong = false;
        std::binary_semaphore letGo{0};
    };
    const auto hold = std::make_shared<Hold>();
    auto window = std::make_unique<QWidget>();
    auto* player = new swf::PlayerWidget(window.get());
    player->resize(200, 100);
    auto* back = new QPushButton(QStringLiteral("Back"), window.get());
    player->setBeforeDrawing([hold] {
        hold->drawing = true;
        hold->heldTooLong = !hold->letGo.try_acquire_for(std::chrono::seconds(30));
    });
    window->show();
    player->setMovie(write("red.swf", redMovie(3, 50)));
    QElapsedTimer waited;
    waited.start();
    while (!hold->drawing && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(hold->drawing);

    // The event loop answers while the frame is drawn: a click on Back comes through...
    bool clicked = false;
    QObject::connect(back, &QPushButton::clicked, [&clicked] { clicked = true; });
    QMetaObject::invokeMethod(back, &QPushButton::click, Qt::QueuedConnection);
    waited.restart();
    while (!clicked && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(clicked);
    // ...and the window closes without waiting for the frame.
    window.reset();
    EXPECT_FALSE(hold->heldTooLong) << "the window waited for the frame";
    hold->letGo.release();
}

TEST_F(SwfPlayerWidget, AMovieThatStopsItselfRestsOnItsFrame)
{
    // Three frames at 50 a second; the second holds a DoAction of one Stop.
    swftest::ShapeRecords square;
    square.moveStyles(0, 0, 0, 1, 0).lineBy(2000, 0).lineBy(0, 2000).lineBy(-2000, 0).lineBy(0, -2000);
    swftest::Movie movie;
    movie.tag(2, swftest::defineShape(1, 1, {kRed}, {}, square)).place(1, 1).showFrame();
    movie.tag(12, swftest::Bytes().u8(0x07).u8(0x00)).showFrame().showFrame();
    widget.resize(50, 50);
    widget.setMovie(write("stops.swf", movie.fws(2000, 2000, 50)));
    widget.show();
    QElapsedTimer waited;
    waited.start();
    while (widget.framesAdvanced() < 6 && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_GE(widget.framesAdvanced(), 6);
    EXPECT_EQ(widget.currentFrame(), 2);
    EXPECT_EQ(widget.grab().toImage().pixelColor(25, 25), kRed);
    // Frames counted while it rests stop with the movie, as frames run do.
    widget.hide();
    const qint64 atHide = widget.framesAdvanced();
    waitMs(100);
    EXPECT_EQ(widget.framesAdvanced(), atHide);
}

// The renderer reports only the square's old and new places, which alone cross to the widget.
TEST_F(SwfPlayerWidget, ThePictureShownIsTheFrameDrawnFromTheChangedPartsAlone)
{
    widget.resize(200, 100);
    const QString path = write("moving.swf", movingSquare());
    QSignalSpy shown(&widget, &swf::PlayerWidget::frameShown);
    widget.setMovie(path);
    widget.show();
    ASSERT_TRUE(waitFor([&] { return shown.count() >= 6; })) << "the square loops";
    // The widget's thread looks away while frames are drawn: what they changed adds up.
    std::this_thread::sleep_for(std::chrono::milliseconds(70));
    widget.hide();
    ASSERT_TRUE(waitFor([&] {
        return widget.grab().toImage().convertToFormat(QImage::Format_RGB32) ==
               fullRender(path, widget.currentFrame(), widget.size());
    })) << "frame " << widget.currentFrame();
    // A part repainted alone is that part of the picture.
    const QRect part(60, 10, 90, 50);
    QImage painted(widget.size(), QImage::Format_RGB32);
    painted.fill(Qt::black);
    widget.render(&painted, part.topLeft(), QRegion(part));
    EXPECT_EQ(painted.copy(part), fullRender(path, widget.currentFrame(), widget.size()).copy(part));
}

TEST_F(SwfPlayerWidget, AFrameThatChangedNothingIsNeitherShownNorPainted)
{
    const auto reports = std::make_shared<std::atomic<int>>(0);
    widget.setChangeReport([reports](const QImage&, const QRegion& changed) {
        return ++*reports == 1 ? changed : QRegion();
    });
    const auto draws = std::make_shared<std::atomic<int>>(0);
    widget.setBeforeDrawing([draws] { ++*draws; });
    PaintLog paints;
    widget.installEventFilter(&paints);
    widget.resize(200, 100);
    QSignalSpy shown(&widget, &swf::PlayerWidget::frameShown);
    // Set before the widget is shown, the movie's first frame is the first drawn.
    widget.setMovie(write("moving.swf", movingSquare()));
    widget.show();
    ASSERT_TRUE(waitFor([&] { return shown.count() == 1; }));
    drain();
    const std::size_t paintsForTheFirst = paints.areas.size();
    // The sixth draw starts once the fifth frame has been handed over, or not.
    ASSERT_TRUE(waitFor([&] { return *draws >= 6; }));
    drain();
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(paints.areas.size(), paintsForTheFirst);
}

TEST_F(SwfPlayerWidget, ThePresenterIsGivenOnlyWhatChangedAndWhereItCannotTheWidgetPaintsOnlyThat)
{
    const QRect changed(10, 20, 30, 40);
    // Every frame reports the same rectangle, whatever the renderer found.
    widget.setChangeReport([changed](const QImage&, const QRegion&) { return QRegion(changed); });
    struct Presented {
        std::vector<QRect> areas;
        bool succeeds = true;
    };
    const auto presented = std::make_shared<Presented>();
    widget.setPresenter([presented](const QImage& picture, const QRect& area) {
        EXPECT_EQ(picture.size(), QSize(200, 100)) << "the whole picture, in which the area lies";
        presented->areas.push_back(area);
        return presented->succeeds;
    });
    PaintLog paints;
    widget.installEventFilter(&paints);
    widget.resize(200, 100);
    widget.setMovie(write("moving.swf", movingSquare()));
    widget.show();
    ASSERT_TRUE(waitFor([&] { return presented->areas.size() >= 4; }));
    drain();
    // The first frame is the whole picture, unless the first paint took it.
    for (std::size_t i = 1; i < presented->areas.size(); ++i)
        EXPECT_EQ(presented->areas[i], changed) << i;
    paints.areas.clear();
    ASSERT_TRUE(waitFor([&] { return presented->areas.size() >= 8; }));
    drain();
    EXPECT_TRUE(paints.areas.empty()) << "what the presenter put on the screen is not painted again";

    presented->succeeds = false;
    paints.areas.clear();
    ASSERT_TRUE(waitFor([&] { return paints.areas.size() >= 3; }));
    for (const QRect& area : paints.areas)
        EXPECT_EQ(area, changed);
}

TEST_F(SwfPlayerWidget, FramesShownFromThePlayersThreadAreNoNewsAndThoseItCannotShowGoToTheWidget)
{
    const QRect changed(10, 20, 30, 40);
    widget.setChangeReport([changed](const QImage&, const QRegion&) { return QRegion(changed); });
    struct Direct {
        std::atomic<std::size_t> shown = 0;
        std::atomic<bool> succeeds = true;
        std::size_t count() const { return shown; }
    };
    const auto direct = std::make_shared<Direct>();
    widget.setDirectShow([direct](const QImage&, const QRegion&) {
        ++direct->shown;
        return direct->succeeds.load();
    });
    const auto presented = std::make_shared<std::vector<QRect>>();
    widget.setPresenter([presented](const QImage&, const QRect& area) {
        presented->push_back(area);
        return true;
    });
    QSignalSpy shown(&widget, &swf::PlayerWidget::frameShown);
    widget.resize(200, 100);
    widget.setMovie(write("moving.swf", movingSquare()));
    widget.show();
    ASSERT_TRUE(waitFor([&] { return direct->count() >= 4; }));
    drain();
    const qsizetype heard = shown.count();
    const std::size_t presentedByTheWidget = presented->size();
    const qint64 shownAtFour = widget.framesShown();
    const std::size_t fromFour = direct->count();
    ASSERT_TRUE(waitFor([&] { return direct->count() >= fromFour + 4; }));
    drain();
    EXPECT_EQ(shown.count(), heard) << "a frame shown from the player's thread is no news";
    EXPECT_GE(widget.framesShown(), shownAtFour + 4);

    // Frames it cannot show go to the widget's thread, which shows them itself.
    direct->succeeds = false;
    ASSERT_TRUE(waitFor([&] { return presented->size() >= presentedByTheWidget + 3; }));
    EXPECT_GT(shown.count(), heard);
    EXPECT_EQ(presented->back(), changed);
}

TEST_F(SwfPlayerWidget, ARepaintAfterThePresenterShowsTheLastFrameItWasGiven)
{
    struct State {
        std::atomic<bool> hold = false;
        std::atomic<bool> held = false;
        QImage last;
        int presented = 0;
    };
    const auto state = std::make_shared<State>();
    // Held before a frame, the player hands over no more.
    widget.setBeforeDrawing([state] {
        while (state->hold) {
            state->held = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    widget.setPresenter([state](const QImage& frame, const QRect&) {
        state->last = frame.convertToFormat(QImage::Format_RGB32);
        ++state->presented;
        return true;
    });
    widget.resize(200, 100);
    widget.setMovie(write("moving.swf", movingSquare()));
    widget.show();
    ASSERT_TRUE(waitFor([&] { return state->presented >= 5; }));
    state->hold = true;
    ASSERT_TRUE(waitFor([&] { return state->held.load(); }));
    drain();
    const QImage painted = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    state->hold = false;
    EXPECT_EQ(painted, state->last);
}

TEST(SwfFrameClock, FramesFallDueFromTheStartWithoutDrift)
{
    swf::FrameClock clock;
    clock.restart(12.0, 0, 1000);
    EXPECT_EQ(clock.dueFrame(1000), 0);
    EXPECT_EQ(clock.dueFrame(1083), 0);
    EXPECT_EQ(clock.dueFrame(1084), 1);
    EXPECT_EQ(clock.msUntil(1, 1000), 84);
    // However late each tick comes, frame n stays due at n / 12 s after the start.
    qint64 now = 1000;
    for (int n = 1; n <= 120; ++n) {
        now = 1000 + (n * 1000 + 11) / 12 + 7;
        EXPECT_EQ(clock.dueFrame(now), n);
    }
    EXPECT_EQ(clock.msUntil(121, now), 1000 + (121 * 1000 + 11) / 12 - now);
    EXPECT_EQ(clock.msUntil(5, now), 0) << "a frame already due waits no more";
    // A busy machine finds several frames due at once: they are dropped, not delayed.
    EXPECT_EQ(clock.dueFrame(1000 + 5000), 60);
    // A nonsensical rate falls back to a usable one.
    clock.restart(0.0, 0, 0);
    EXPECT_GT(clock.rate(), 0.0);
}

} // namespace
