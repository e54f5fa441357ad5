// ThreadSanitizer sees the locks of what it compiled, and Qt was compiled without it. QtGui's
// raster engine splits large fills, scalings and conversions into parts that it hands to
// QThreadPool::globalInstance() and waits for on a QSemaphore, both ordered by Qt's own
// futexes; unseen, every picture painted in parallel would look like a race between the
// drawing threads and whoever touches the pixels before or after. QtGui reaches these three
// functions through the dynamic linker, which takes a test program's own definitions first:
// these tell ThreadSanitizer of each hand-off and then do what Qt does. Linked into the
// tests of the ThreadSanitizer build only.
//
// The pool keeps one drawing thread here. Two would also share the pool's own lists of
// waiting threads, which they change under the pool's mutex inside Qt, where
// ThreadSanitizer can neither see the order nor name the code; one thread shares nothing
// with the thread that draws but what is handed over below.

#include <QCoreApplication>
#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>
#include <utility>

namespace {

using SemaphoreCall = void (*)(QSemaphore*, int);

SemaphoreCall qtOwn(const char* symbol)
{
    return reinterpret_cast<SemaphoreCall>(dlsym(RTLD_NEXT, symbol));
}

// Where the handing thread releases and the drawing thread acquires. A member would not
// do: the drawing thread would read it before it had acquired anything.
char handedOver;

// A part, taken over by whichever drawing thread runs it. The pool frees it there.
class Part : public QRunnable {
public:
    explicit Part(std::function<void()> run) : run_(std::move(run)) {}

    void run() override
    {
        __tsan_acquire(&handedOver);
        run_();
    }

private:
    std::function<void()> run_;
};

const bool oneDrawingThread = [] {
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    return true;
}();

} // namespace

void QThreadPool::start(std::function<void()> functionToRun, int priority)
{
    if (!functionToRun)
        return;
    QRunnable* part = new Part(std::move(functionToRun));
    __tsan_release(&handedOver);
    start(part, priority);
}

// A movie's player asks for a reserved thread of the pool. Here it gets a thread of its own
// instead, whose start and end ThreadSanitizer sees: a second pool thread would share the
// pool's lists with the drawing thread, as above. It draws as players did before they
// moved to the pool, handing its large fills to the one drawing thread. The threads are
// joined as the application ends, where the pool would be waited for.
void QThreadPool::startOnReservedThread(std::function<void()> functionToRun)
{
    // Neither the reservation nor the seat added for the player is the pool's here; the
    // player gives its seat back as it ends, so it is lent back to it then.
    releaseThread();
    setMaxThreadCount(maxThreadCount() - 1);
    auto player = [task = std::move(functionToRun)] {
        task();
        QThreadPool* pool = QThreadPool::globalInstance();
        pool->setMaxThreadCount(pool->maxThreadCount() + 1);
    };
    static std::mutex mutex;
    static std::vector<std::thread> players;
    const std::lock_guard lock(mutex);
    if (players.empty())
        qAddPostRoutine([] {
            std::vector<std::thread> all;
            {
                const std::lock_guard lock(mutex);
                all.swap(players);
            }
            for (std::thread& player : all)
                player.join();
        });
    players.emplace_back(std::move(player));
}

void QSemaphore::release(int n)
{
    static const SemaphoreCall qtRelease = qtOwn("_ZN10QSemaphore7releaseEi");
    __tsan_release(this);
    qtRelease(this, n);
}

void QSemaphore::acquire(int n)
{
    static const SemaphoreCall qtAcquire = qtOwn("_ZN10QSemaphore7acquireEi");
    qtAcquire(this, n);
    __tsan_acquire(this);
}
