#include "parallel.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

namespace effects {

namespace {

std::atomic<int> configuredThreads{0};

QThreadPool &workers()
{
    static QThreadPool pool;
    return pool;
}

} // namespace

int threadCount()
{
    const int configured = configuredThreads.load();
    return configured > 0 ? configured : std::max(1, QThread::idealThreadCount());
}

void setThreadCount(int count)
{
    configuredThreads.store(std::max(0, count));
}

void parallelFor(int count, int grain, const std::function<void(int begin, int end)> &body)
{
    if (count <= 0)
        return;
    grain = std::max(1, grain);
    const int threads = std::min(threadCount(), (count + grain - 1) / grain);
    if (threads <= 1) {
        body(0, count);
        return;
    }

    // A few ranges per thread, taken in turn, even out uneven work.
    const int ranges = std::min(threads * 4, (count + grain - 1) / grain);
    std::atomic<int> next{0};
    auto work = [&] {
        for (int range = next++; range < ranges; range = next++) {
            const int begin = int(qint64(count) * range / ranges);
            const int end = int(qint64(count) * (range + 1) / ranges);
            body(begin, end);
        }
    };

    QThreadPool &pool = workers();
    if (pool.maxThreadCount() < threads - 1)
        pool.setMaxThreadCount(threads - 1);
    QSemaphore finished;
    for (int helper = 1; helper < threads; ++helper) {
        pool.start([&] {
            work();
            finished.release();
        });
    }
    work();
    finished.acquire(threads - 1);
}

} // namespace effects
