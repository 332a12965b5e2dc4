#ifndef GLIMMERIX_EFFECTS_PARALLEL_H
#define GLIMMERIX_EFFECTS_PARALLEL_H

#include <functional>

namespace effects {

// How many threads the effects use: by default one per core.
int threadCount();

// Sets the number of threads the effects use; 0 or less restores the default.
// Results never depend on it: every output pixel is computed the same way.
void setThreadCount(int count);

// Runs body(begin, end) over consecutive ranges that cover 0..count-1 exactly
// once, on up to threadCount() threads (the calling thread among them), and
// returns when all are done. Ranges hold at least `grain` items where possible.
// body must only write what belongs to its own range.
//
// Inside a ProgressScope the loop reports the items done into the calling
// thread's span as ranges end, in ranges small enough to report often, and once
// a stop is requested begins no further range: it then returns with some ranges
// never run.
void parallelFor(int count, int grain, const std::function<void(int begin, int end)> &body);

} // namespace effects

#endif
