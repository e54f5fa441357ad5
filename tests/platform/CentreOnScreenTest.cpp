// Centring a window that is not shown yet, at the size it will show at.

#include "platform/Twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(CentreOnScreen, AWindowThatGrowsToItsLayoutWhenShownIsCentredAtThatSize)
{
    // Made smaller than its contents need, as a frame sized to its designed client area
    // below a menu bar and strips: showing it would grow it, and so off the centre.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* content = new QLabel(QStringLiteral("content"));
    content->setMinimumSize(301, 203);
    layout->addWidget(content);
    window.resize(100, 100);

    platform::centreOnScreen(window);
    window.show();

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect shown = window.frameGeometry();
    // The platform tells the size of a window's frame only once it shows: that much
    // off the centre is the most a window can be centred before.
    const QSize frame = shown.size() - window.size();
    EXPECT_GT(window.width(), 301);
    EXPECT_LE(std::abs(2 * shown.x() + shown.width() - screen.width() - 2 * screen.x()), frame.width() + 1);
    EXPECT_LE(std::abs(2 * shown.y() + shown.height() - screen.height() - 2 * screen.y()), frame.height() + 1);
}

} // namespace
