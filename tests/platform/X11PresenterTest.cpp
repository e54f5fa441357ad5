// The X11 presenter on a real X server: the pixels it puts are the picture's, in the
// widget's place, never over the widget's children; and when the window is uncovered,
// the screen shows the picture rather than the toolkit's older copy of it.

#include "platform/DirectPresenter.h"
#include "platform/X11Presenter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

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

QImage pattern(int seed)
{
    QImage image(200, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) % 256, (y * 13 + seed) % 256, (x + y + seed) % 256));
    return image;
}

// What the X server shows of the window, in its own pixels.
QImage onScreen(const QWidget& window)
{
    xcb_connection_t* c = connection();
    const auto id = static_cast<xcb_drawable_t>(window.windowHandle()->winId());
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0, static_cast<std::uint16_t>(window.width()),
                         static_cast<std::uint16_t>(window.height()), ~0u),
        nullptr);
    if (!reply)
        return {};
    const QImage shown = QImage(xcb_get_image_data(reply), window.width(), window.height(), QImage::Format_RGB32).copy();
    std::free(reply);
    return shown;
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

    // Every pixel of the window is what it should be.
    ::testing::AssertionResult showsPicture(const QImage& expected, const QRect& updated)
    {
        const QImage shown = onScreen(*top);
        if (shown.isNull())
            return ::testing::AssertionFailure() << "no image from the server";
        const QRect inTarget = target->geometry();
        const QRect inBadge = badge->geometry().translated(inTarget.topLeft());
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                QRgb want = qRgb(0, 0, 0);
                if (inBadge.contains(x, y))
                    want = qRgb(255, 0, 0);
                else if (inTarget.contains(x, y) && updated.contains(QPoint(x, y) - inTarget.topLeft()))
                    want = expected.pixel(QPoint(x, y) - inTarget.topLeft());
                if ((shown.pixel(x, y) & 0xffffffu) != (want & 0xffffffu))
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex
                                                         << shown.pixel(x, y) << ", not " << want;
            }
        return ::testing::AssertionSuccess();
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

TEST_F(X11PresenterTest, AHiddenWindowIsLeftToTheWidget)
{
    top->hide();
    EXPECT_FALSE(presenter->present(pattern(4), target->rect()));
}

} // namespace
