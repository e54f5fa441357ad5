// The real event loop as a long piece of work meets it: whatever is waiting is handled
// by one call, whoever put it there, and a wait ends when an event arrives.

#include "platform/QtEventLoop.h"
#include "platform/QtServices.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

class QtEventLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Settle whatever the start-up left queued, so that each case sees only its own.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    platform::SteadyClock clock;
    platform::QtEventLoop loop{clock};
};

TEST_F(QtEventLoopTest, RunsOnGlibHereSoTheCheapCheckIsTheOneUnderTest)
{
    ASSERT_NE(QAbstractEventDispatcher::instance(), nullptr);
    EXPECT_TRUE(QAbstractEventDispatcher::instance()->inherits("QEventDispatcherGlib"));
}

TEST_F(QtEventLoopTest, HandlesAnEventPostedOnThisThread)
{
    bool handled = false;
    QMetaObject::invokeMethod(
        qApp, [&] { handled = true; }, Qt::QueuedConnection);
    loop.handlePending();
    EXPECT_TRUE(handled);
}

TEST_F(QtEventLoopTest, HandlesAnEventPostedFromAnotherThread)
{
    bool handled = false;
    std::thread poster([&] {
        QMetaObject::invokeMethod(
            qApp, [&] { handled = true; }, Qt::QueuedConnection);
    });
    poster.join();
    loop.handlePending();
    EXPECT_TRUE(handled);
}

TEST_F(QtEventLoopTest, HandlesATimerThatHasFallenDue)
{
    bool fired = false;
    QTimer::singleShot(1ms, Qt::PreciseTimer, qApp, [&] { fired = true; });
    std::this_thread::sleep_for(3ms);
    loop.handlePending();
    EXPECT_TRUE(fired);
}

TEST_F(QtEventLoopTest, WithNothingWaitingItReturnsAndHandlesWhatComesLater)
{
    loop.handlePending();
    bool handled = false;
    QMetaObject::invokeMethod(
        qApp, [&] { handled = true; }, Qt::QueuedConnection);
    loop.handlePending();
    EXPECT_TRUE(handled);
}

TEST_F(QtEventLoopTest, AnEventEndsAWaitLongBeforeItsDeadline)
{
    bool handled = false;
    std::thread poster([&] {
        std::this_thread::sleep_for(5ms);
        QMetaObject::invokeMethod(
            qApp, [&] { handled = true; }, Qt::QueuedConnection);
    });
    // An hour: only the event can end this wait within the test's time.
    while (!handled)
        loop.waitUntil(clock.now() + 1h);
    poster.join();
    EXPECT_TRUE(handled);
}

TEST_F(QtEventLoopTest, APassedDeadlineOnlyHandlesWhatIsWaiting)
{
    bool handled = false;
    QMetaObject::invokeMethod(
        qApp, [&] { handled = true; }, Qt::QueuedConnection);
    loop.waitUntil(clock.now() - 1ms);
    EXPECT_TRUE(handled);
}

} // namespace
