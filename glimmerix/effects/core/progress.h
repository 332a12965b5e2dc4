#ifndef GLIMMERIX_EFFECTS_PROGRESS_H
#define GLIMMERIX_EFFECTS_PROGRESS_H

#include <QtGlobal>

#include <atomic>

namespace effects {

// How far long work has come, and the request to stop it: shared between the
// thread that waits for the work and the threads that do it.
class Progress
{
public:
    // The share of the work done, from 0 to 1. It never goes back.
    double done() const;
    // Raises the share done to `share` (0 to 1) unless it is there already.
    void reach(double share);

    // Asks the work to stop. What it has not begun is left undone: the result
    // of stopped work is incomplete and must be dropped.
    void requestStop();
    bool stopRequested() const;

private:
    static constexpr quint32 whole = 1u << 30;
    std::atomic<quint32> reached{0};
    std::atomic<bool> stop{false};
};

// The part of a Progress that the work of one thread fills now: from `from` to
// `to` of the whole. No progress: the work reports nothing and never stops.
struct ProgressSpan
{
    Progress *progress = nullptr;
    double from = 0;
    double to = 1;
};

// The span of the work that the calling thread does now.
ProgressSpan currentProgressSpan();

// Reports into a span that `done` of its `total` units are done.
void reportProgress(const ProgressSpan &span, qint64 done, qint64 total);

// Makes the calling thread's work fill `from` to `to` of `progress` while the
// scope lives.
class ProgressScope
{
public:
    explicit ProgressScope(Progress &progress, double from = 0, double to = 1);
    ~ProgressScope();
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

private:
    ProgressSpan outer;
};

// Work in several passes: splits the calling thread's span into `count` equal
// stages, entered one after another with next(), so that the passes report one
// progress over all of them. Stages nest: a pass may split its stage again.
class ProgressStages
{
public:
    explicit ProgressStages(int count);
    // Back to the whole span, which is then done unless the work was stopped:
    // stopped work never reports its end.
    ~ProgressStages();
    ProgressStages(const ProgressStages &) = delete;
    ProgressStages &operator=(const ProgressStages &) = delete;

    // Enters the next stage: the first on the first call.
    void next();

private:
    ProgressSpan whole;
    int count;
    int entered = 0;
};

// A short pass ahead of the work proper (a conversion, a table): while the scope
// lives the calling thread's work can be stopped but moves no progress, so that
// the pass after it reports the whole span.
class UnreportedPass
{
public:
    UnreportedPass();
    ~UnreportedPass();
    UnreportedPass(const UnreportedPass &) = delete;
    UnreportedPass &operator=(const UnreportedPass &) = delete;

private:
    ProgressSpan outer;
};

// Whether the work the calling thread does has been asked to stop.
bool stopRequested();

} // namespace effects

#endif
