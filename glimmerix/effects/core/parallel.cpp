#include "parallel.h"

#include "progress.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

namespace effects {

namespace {

std::atomic<int> configuredThreads{0};

// With progress to report, a loop runs in at least this many ranges, so that the
// report moves in small steps and a stop waits for no more than a range a thread.
constexpr int reportingRanges = 128;

// The pool's queue and the semaphore synchronise through the toolkit's own
// locks, which ThreadSanitizer cannot see; these tell it what they order.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
void orderedBefore(void *token) { __tsan_release(token); }
void orderedAfter(void *token) { __tsan_acquire(token); }
#else
void orderedBefore(void *) {}
void orderedAfter(void *) {}
#endif

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
    const ProgressSpan span = currentProgressSpan();
    Progress *const progress = span.progress;
    if (count <= 0 || (progress && progress->stopRequested()))
        return;
    grain = std::max(1, grain);
    const int chunks = (count + grain - 1) / grain;
    const int threads = std::min(threadCount(), chunks);
    if (threads <= 1 && !progress) {
        body(0, count);
        return;
    }

    // A few ranges per thread, taken in turn, even out uneven work.
    const int ranges = std::min(chunks, progress ? std::max(threads * 4, reportingRanges) : threads * 4);
    std::atomic<int> next{0};
    std::atomic<qint64> itemsDone{0};
    auto work = [&] {
        for (int range = next++; range < ranges; range = next++) {
            if (progress && progress->stopRequested())
                return;
            const int begin = int(qint64(count) * range / ranges);
            const int end = int(qint64(count) * (range + 1) / ranges);
            body(begin, end);
            if (progress)
                reportProgress(span, itemsDone += end - begin, count);
        }
    };
    if (threads <= 1) {
        work();
        return;
    }

    QThreadPool &pool = workers();
    if (pool.maxThreadCount() < threads - 1)
        pool.setMaxThreadCount(threads - 1);
    QSemaphore finished;
    orderedBefore(&next);
    for (int helper = 1; helper < threads; ++helper) {
        pool.start([&] {
            orderedAfter(&next);
            work();
            orderedBefore(&finished);
            finished.release();
        });
    }
    work();
    finished.acquire(threads - 1);
    orderedAfter(&finished);
}

} // namespace effects
