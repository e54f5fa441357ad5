// The X11 presenter on a real X server: the pixels it puts are the picture's, in the
// widget's place, never over the widget's children; popups over the widget neither stop
// it nor are drawn over; at any scale it writes the device pixels the toolkit would paint;
// when the window is uncovered, the screen shows the picture rather than the toolkit's
// older copy of it; and frames put from another thread keep to where the widget was last
// found, and wait while it may have changed.

#include "platform/DirectPresenter.h"
#include "platform/X11Presenter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace {

xcb_connection_t* connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// A widget that paints its picture, as the colour wheel's window does.
class PictureWidget final : public QWidget {
public:
    explicit PictureWidget(QWidget* parent) : QWidget(parent), picture(200, 120, QImage::Format_RGB32)
    {
        picture.fill(Qt::black);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, picture);
    }
};

// A child that paints itself but does not claim to be opaque, as a label without a
// background would: the toolkit paints the widget's picture under it.
class Badge final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(255, 0, 0)); }
};

// The picture of the 200 x 120 widget at the given scale.
QImage pattern(int seed, qreal dpr = 1)
{
    QImage image(QSize(200, 120) * dpr, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) % 256, (y * 13 + seed) % 256, (x + y + seed) % 256));
    return image;
}

// What the X server shows of a drawable, in its pixels.
QImage onScreen(xcb_drawable_t drawable, const QRect& rect)
{
    xcb_connection_t* c = connection();
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<std::int16_t>(rect.x()),
                         static_cast<std::int16_t>(rect.y()), static_cast<std::uint16_t>(rect.width()),
                         static_cast<std::uint16_t>(rect.height()), ~0u),
        nullptr);
    if (!reply)
        return {};
    const QImage shown = QImage(xcb_get_image_data(reply), rect.width(), rect.height(), QImage::Format_RGB32).copy();
    std::free(reply);
    return shown;
}

QImage onScreen(const QWidget& window)
{
    return onScreen(static_cast<xcb_drawable_t>(window.windowHandle()->winId()),
                    QRect(QPoint(0, 0), window.size() * window.devicePixelRatio()));
}

// Every pixel read from the server, bar those in the unchecked region, is the expected one.
::testing::AssertionResult sameImage(const QImage& shown, const QImage& expected, const QRegion& unchecked = {})
{
    if (shown.isNull() || shown.size() != expected.size())
        return ::testing::AssertionFailure() << "no image of the expected size from the server";
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (!unchecked.contains(QPoint(x, y)) && (shown.pixel(x, y) & 0xffffffu) != (expected.pixel(x, y) & 0xffffffu))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << QColor(shown.pixel(x, y)).name().toStdString()
                       << ", not " << QColor(expected.pixel(x, y)).name().toStdString();
    return ::testing::AssertionSuccess();
}

class X11PresenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!connection())
            GTEST_SKIP() << "needs an X server (QT_QPA_PLATFORM=xcb)";
        top = std::make_unique<QWidget>();
        top->setGeometry(40, 40, 300, 200);
        top->setAutoFillBackground(true);
        top->setPalette(QPalette(Qt::black));
        target = new PictureWidget(top.get());
        target->setGeometry(20, 30, 200, 120);
        badge = new Badge(target);
        badge->setGeometry(10, 10, 40, 20);
        top->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(top.get()));
        presenter = platform::makeDirectPresenter(*target);
        ASSERT_NE(presenter, nullptr);
    }

    // Every pixel of the window outside the unchecked region is what it should be.
    ::testing::AssertionResult showsPicture(const QImage& expected, const QRect& updated, const QRegion& unchecked = {})
    {
        QImage want(top->size(), QImage::Format_RGB32);
        want.fill(Qt::black);
        const QRect inTarget = target->geometry();
        QPainter painter(&want);
        painter.drawImage(inTarget.topLeft() + updated.topLeft(), expected.copy(updated));
        painter.fillRect(badge->geometry().translated(inTarget.topLeft()), QColor(255, 0, 0));
        painter.end();
        return sameImage(screen(), want, unchecked);
    }

    // The window as the server has it once everything asked of it is drawn.
    QImage screen()
    {
        if (auto* x11 = dynamic_cast<platform::X11Presenter*>(presenter.get()))
            x11->finish();
        return onScreen(*top);
    }

    std::unique_ptr<QWidget> top;
    PictureWidget* target = nullptr;
    QWidget* badge = nullptr;
    std::unique_ptr<platform::DirectPresenter> presenter;
};

TEST_F(X11PresenterTest, PutsTheChangedPixelsInTheWidgetsPlaceAroundItsChildren)
{
    target->picture = pattern(1);
    ASSERT_TRUE(presenter->present(target->picture, target->rect()));
    EXPECT_TRUE(showsPicture(target->picture, target->rect()));

    // Only the changed part goes out; a part outside the widget is cut off.
    const QImage before = target->picture;
    target->picture = pattern(2);
    const QRect changed(60, 40, 70, 30);
    ASSERT_TRUE(presenter->present(target->picture, changed));
    ASSERT_TRUE(presenter->present(target->picture, QRect(190, 110, 50, 50)));
    QImage expected = before;
    QPainter(&expected).drawImage(changed.topLeft(), target->picture.copy(changed));
    QPainter(&expected).drawImage(QPoint(190, 110), target->picture.copy(QRect(190, 110, 10, 10)));
    EXPECT_TRUE(showsPicture(expected, target->rect()));

    // Pictures it cannot send as they are are left to the widget's repaint.
    EXPECT_FALSE(presenter->present(target->picture.convertToFormat(QImage::Format_ARGB32), target->rect()));
}

TEST_F(X11PresenterTest, OnALocalServerFramesGoThroughSharedMemoryAndNoneIsLost)
{
    auto* x11 = dynamic_cast<platform::X11Presenter*>(presenter.get());
    ASSERT_NE(x11, nullptr);
    EXPECT_TRUE(x11->sharesMemory());
    // Frames faster than the server answers: those that find it still reading the last one
    // go the plain way, and the screen ends with the last.
    for (int seed = 10; seed < 16; ++seed) {
        target->picture = pattern(seed);
        ASSERT_TRUE(presenter->present(target->picture, target->rect()));
    }
    EXPECT_TRUE(showsPicture(target->picture, target->rect()));
}

TEST_F(X11PresenterTest, FramesInItsOwnMemoryGoOutFromThereAndAreNotGivenAgainUntilRead)
{
    auto* x11 = dynamic_cast<platform::X11Presenter*>(presenter.get());
    ASSERT_NE(x11, nullptr);
    const platform::DirectPresenter::FrameMemory memory = presenter->frameMemory();
    ASSERT_TRUE(memory);
    const QSize size = target->size();
    std::set<const uchar*> blocks;
    const uchar* putLast = nullptr;
    for (int seed = 20; seed <= 58; ++seed) {
        QImage frame = memory(size, QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(frame.isNull()) << "the presenter's memory ran out at frame " << seed;
        // The frame put last may still be read by the server: its memory is not given again.
        ASSERT_NE(frame.constBits(), putLast);
        blocks.insert(frame.constBits());
        // Every other frame changes in part: what goes out is that part, from within it.
        QPainter(&frame).drawImage(0, 0, pattern(seed));
        const QRect changed = seed % 2 ? target->rect() : QRect(30 + seed, 20, 60, 40);
        ASSERT_TRUE(presenter->present(frame, changed));
        putLast = frame.constBits();
        // A server far behind gets frames the usual way instead: this one keeps up, as
        // the presenter learns only when it next puts a frame.
        x11->finish();
    }
    // Blocks come back once read: a few serve every frame.
    EXPECT_LE(blocks.size(), 5u);
    const QRect lastChanged(30 + 58, 20, 60, 40);
    QImage expected = pattern(57);
    QPainter(&expected).drawImage(lastChanged.topLeft(), pattern(58).copy(lastChanged));
    EXPECT_TRUE(showsPicture(expected, target->rect()));
}

TEST_F(X11PresenterTest, PopupsOverTheWidgetNeitherStopThePictureNorAreDrawnOver)
{
    // Each opens a popup over the widget: its window, the widgets it put over the picture
    // and how to close it. Read as the widget's own coordinates, the menu's and the
    // tooltip's places on the screen lie elsewhere on the widget.
    struct Popup {
        QWidget* window;
        std::vector<QWidget*> overPicture;
        std::function<void()> close;
    };
    const std::vector<std::function<Popup()>> opens = {
        [&] {
            auto* menu = new QMenu(target);
            menu->addAction(QStringLiteral("Start"));
            menu->addAction(QStringLiteral("Stop"));
            menu->popup(target->mapToGlobal(QPoint(60, 5)));
            return Popup{menu, {}, [menu] { delete menu; }};
        },
        [&] {
            auto* combo = new QComboBox(target);
            combo->addItems({QStringLiteral("Outward"), QStringLiteral("Inward"), QStringLiteral("Both")});
            combo->setGeometry(100, 40, 80, 24);
            combo->show();
            combo->showPopup();
            return Popup{combo->view()->window(), {combo}, [combo] { delete combo; }};
        },
        [&] {
            QToolTip::showText(target->mapToGlobal(QPoint(60, 5)), QStringLiteral("Concentrate on the centre"), target);
            QWidget* tip = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->windowType() == Qt::ToolTip && widget->isVisible())
                    tip = widget;
            return Popup{tip, {}, [] { QToolTip::hideText(); }};
        },
    };
    int seed = 10;
    for (const auto& open : opens) {
        const Popup popup = open();
        ASSERT_NE(popup.window, nullptr);
        SCOPED_TRACE(popup.window->metaObject()->className());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.window));
        const QRect popupOnScreen = popup.window->geometry();
        QRegion unchecked(QRect(top->mapFromGlobal(popupOnScreen.topLeft()), popupOnScreen.size()));
        for (const QWidget* widget : popup.overPicture)
            unchecked += widget->geometry().translated(target->pos());

        target->picture = pattern(++seed);
        ASSERT_TRUE(presenter->present(target->picture, target->rect()));
        EXPECT_TRUE(showsPicture(target->picture, target->rect(), unchecked));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
        EXPECT_TRUE(sameImage(onScreen(root, popupOnScreen), onScreen(*popup.window)));
        popup.close();
    }
}

// Run at several scales (see CMakeLists.txt): the screen must show what the toolkit
// itself paints for the same picture, no pixel more or less.
TEST_F(X11PresenterTest, WritesTheDevicePixelsTheToolkitPaintsForTheWidget)
{
    // Odd places put the widget's and the badge's edges between device pixels at 1.25 and
    // 1.5, where the row above the widget and the badge's last column are not the widget's.
    target->setGeometry(21, 31, 200, 120);
    badge->setGeometry(11, 9, 43, 21);
    const qreal dpr = top->devicePixelRatio();
    const auto paintedByToolkit = [&](int seed) {
        target->picture = pattern(seed, dpr);
        top->repaint();
        return screen();
    };
    const QImage expected = paintedByToolkit(21);
    paintedByToolkit(20);
    ASSERT_TRUE(presenter->present(pattern(21, dpr), target->rect()));
    EXPECT_TRUE(sameImage(screen(), expected)) << "at scale " << dpr;
}

TEST_F(X11PresenterTest, AnUncoveredWindowShowsThePictureNotTheToolkitsOlderCopy)
{
    // The toolkit's copy of the widget is black; the screen has the picture.
    target->picture = pattern(3);
    ASSERT_TRUE(presenter->present(target->picture, target->rect()));
    ASSERT_TRUE(showsPicture(target->picture, target->rect()));

    QWidget cover;
    cover.setWindowFlag(Qt::FramelessWindowHint);
    cover.setGeometry(top->geometry());
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    cover.hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(showsPicture(target->picture, target->rect())); }, 5000))
        << showsPicture(target->picture, target->rect()).message();
}

// Lets the widget's thread run out of events and wait, as it does between a movie's frames.
void runOutOfEvents()
{
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

bool presentedFromAnotherThread(platform::DirectPresenter& presenter, const QImage& frame, const QRegion& changed)
{
    bool put = false;
    std::thread([&] { put = presenter.presentOffThread(frame, changed); }).join();
    return put;
}

// The same once the widget's thread has found the widget's place: events of the window
// that come late (activation, focus) make it look again.
bool presentedOnceFound(platform::DirectPresenter& presenter, const QImage& frame, const QRegion& changed)
{
    for (int tries = 0; tries < 100; ++tries) {
        runOutOfEvents();
        if (presentedFromAnotherThread(presenter, frame, changed))
            return true;
    }
    return false;
}

TEST_F(X11PresenterTest, FramesFromAnotherThreadGoWhereTheWidgetsThreadLastFoundThem)
{
    const platform::DirectPresenter::FrameMemory memory = presenter->frameMemory();
    ASSERT_TRUE(memory);
    const auto frameOf = [&](int seed) {
        QImage frame = memory(target->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter(&frame).drawImage(0, 0, pattern(seed));
        return frame;
    };
    const QImage first = frameOf(30);
    ASSERT_TRUE(presentedOnceFound(*presenter, first, QRegion(target->rect())));
    EXPECT_TRUE(showsPicture(pattern(30), target->rect()));

    // A child laid over the widget: until the widget's thread has seen it, no frame goes
    // from the other thread, and after, none goes over it.
    auto* cover = new Badge(target);
    cover->setGeometry(100, 60, 50, 30);
    cover->show();
    const QImage second = frameOf(31);
    EXPECT_FALSE(presentedFromAnotherThread(*presenter, second, QRegion(target->rect())));
    ASSERT_TRUE(presentedOnceFound(*presenter, second, QRegion(target->rect())));
    const QRect coverInWindow = cover->geometry().translated(target->pos());
    EXPECT_TRUE(showsPicture(pattern(31), target->rect(), coverInWindow));
    QImage red(coverInWindow.size(), QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    EXPECT_TRUE(sameImage(screen().copy(coverInWindow), red));
}

TEST_F(X11PresenterTest, AHiddenWindowIsLeftToTheWidget)
{
    top->hide();
    EXPECT_FALSE(presenter->present(pattern(4), target->rect()));
}

} // namespace
