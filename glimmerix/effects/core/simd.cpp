#include "simd.h"

#include <atomic>

namespace effects::simd {

namespace {

Level detected()
{
#if !GLIMMERIX_X86
    return Level::Baseline; // only the portable versions are compiled
#else
    __builtin_cpu_init();
#if defined(__clang__)
    // Clang knows no instruction-set levels here: their defining features instead
    // (every processor with these has the rest of its level too).
    const bool v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")
        && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    const bool v4 = v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
        && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")
        && __builtin_cpu_supports("avx512cd");
#else
    const bool v3 = __builtin_cpu_supports("x86-64-v3");
    const bool v4 = __builtin_cpu_supports("x86-64-v4");
#endif
    if (v4)
        return Level::Avx512;
    if (v3)
        return Level::Avx2;
    return Level::Baseline;
#endif
}

std::atomic<int> highestAllowed{int(Level::Avx512)};

} // namespace

Level level()
{
    static const Level supported = detected();
    const int allowed = highestAllowed.load(std::memory_order_relaxed);
    return int(supported) < allowed ? supported : Level(allowed);
}

void limitLevel(Level highest)
{
    highestAllowed.store(int(highest), std::memory_order_relaxed);
}

} // namespace effects::simd
