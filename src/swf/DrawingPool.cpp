#include "swf/DrawingPool.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <mutex>

namespace swf {

void startOnDrawingPool(std::function<void()> task)
{
    static std::once_flag waitsAtTheEnd;
    if (QCoreApplication::instance() != nullptr)
        std::call_once(waitsAtTheEnd, [] { qAddPostRoutine([] { QThreadPool::globalInstance()->waitForDone(); }); });
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setMaxThreadCount(pool->maxThreadCount() + 1);
    pool->reserveThread();
    pool->startOnReservedThread([task = std::move(task)] {
        task();
        QThreadPool* pool = QThreadPool::globalInstance();
        pool->setMaxThreadCount(pool->maxThreadCount() - 1);
    });
}

} // namespace swf
