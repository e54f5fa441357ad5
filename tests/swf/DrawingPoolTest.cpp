// The movie player's thread comes from Qt's pool, where the raster engine draws alone, and
// the pool keeps its threads for everyone else meanwhile.

#include "swf/DrawingPool.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <future>
#include <semaphore>

namespace {

TEST(DrawingPool, TheTaskRunsOnAPoolThreadAddedForItAndGivenBack)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    const int before = pool->maxThreadCount();
    std::binary_semaphore release(0);
    std::promise<bool> onPoolThread;
    std::promise<int> seatsMeanwhile;
    swf::startOnDrawingPool([&] {
        onPoolThread.set_value(pool->contains(QThread::currentThread()));
        seatsMeanwhile.set_value(pool->maxThreadCount());
        release.acquire();
    });
    EXPECT_TRUE(onPoolThread.get_future().get());
    EXPECT_EQ(seatsMeanwhile.get_future().get(), before + 1);
    release.release();
    pool->waitForDone();
    EXPECT_EQ(pool->maxThreadCount(), before);
}

TEST(DrawingPool, APoolOfOneThreadStillDrawsInParallelWhileTheTaskRuns)
{
    // As on a one-core machine: were the task to take the pool's only thread, the raster
    // engine's parts of a large translucent fill would wait for it for ever.
    QThreadPool* pool = QThreadPool::globalInstance();
    const int before = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    std::binary_semaphore release(0);
    std::binary_semaphore started(0);
    swf::startOnDrawingPool([&] {
        started.release();
        release.acquire();
    });
    started.acquire();
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 0, 0, 128));
        QPainterPath ellipse;
        ellipse.addEllipse(QRectF(10.5, 10.5, 780, 580));
        painter.drawPath(ellipse);
    }
    EXPECT_EQ(image.pixel(400, 300), qRgb(255, 127, 127));
    release.release();
    pool->waitForDone();
    pool->setMaxThreadCount(before);
}

} // namespace
