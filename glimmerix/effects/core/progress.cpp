#include "progress.h"

#include <algorithm>

namespace effects {

namespace {

thread_local ProgressSpan current;

} // namespace

double Progress::done() const
{
    return double(reached.load(std::memory_order_relaxed)) / whole;
}

void Progress::reach(double share)
{
    const quint32 wanted = quint32(std::clamp(share, 0.0, 1.0) * whole);
    quint32 now = reached.load(std::memory_order_relaxed);
    while (now < wanted && !reached.compare_exchange_weak(now, wanted, std::memory_order_relaxed)) {
    }
}

void Progress::requestStop()
{
    stop.store(true);
}

bool Progress::stopRequested() const
{
    return stop.load(std::memory_order_relaxed);
}

ProgressSpan currentProgressSpan()
{
    return current;
}

void reportProgress(const ProgressSpan &span, qint64 done, qint64 total)
{
    if (span.progress && total > 0)
        span.progress->reach(span.from + (span.to - span.from) * (double(done) / double(total)));
}

ProgressScope::ProgressScope(Progress &progress, double from, double to)
    : outer(current)
{
    current = ProgressSpan{&progress, from, to};
}

ProgressScope::~ProgressScope()
{
    current = outer;
}

ProgressStages::ProgressStages(int count)
    : whole(current), count(std::max(1, count))
{
}

ProgressStages::~ProgressStages()
{
    current = whole;
    if (whole.progress && !whole.progress->stopRequested())
        whole.progress->reach(whole.to);
}

void ProgressStages::next()
{
    const int stage = std::min(entered++, count - 1);
    const double length = whole.to - whole.from;
    current = ProgressSpan{whole.progress, whole.from + length * stage / count,
                           whole.from + length * (stage + 1) / count};
    if (!stopRequested())
        reportProgress(current, 0, 1);
}

UnreportedPass::UnreportedPass()
    : outer(current)
{
    current.to = current.from;
}

UnreportedPass::~UnreportedPass()
{
    current = outer;
}

bool stopRequested()
{
    return current.progress && current.progress->stopRequested();
}

} // namespace effects
