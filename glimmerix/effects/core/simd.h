#ifndef GLIMMERIX_EFFECTS_SIMD_H
#define GLIMMERIX_EFFECTS_SIMD_H

// Vector helpers for the effects' inner loops, and the one way a kernel is
// compiled for several instruction sets and picked at run time.
//
// A kernel is written once, as a template over a vector of doubles V, and run
// through simd::run<Kernel>(arguments...): on x86-64 it is compiled for the
// portable baseline (SSE2, 2 doubles per vector), x86-64-v3 (AVX2 and FMA, 4) and
// x86-64-v4 (AVX-512, 8), and run() calls the widest version that level() allows.
// The build itself stays portable (no -march). On other processors only the
// portable version exists (GCC's generic vectors, 2 doubles per vector).
//
// Exactness: the lanes of a vector are always different pixels. Every lane goes
// through the same IEEE operations, in the same order, as the scalar formula for
// its pixel (multiplications, additions and divisions are correctly rounded at
// every width; the project compiles without contraction into fused multiply-adds),
// so each width gives the very bits of the scalar code. The formulas themselves
// (brightness.h, channel.h, fourneighbour.h) are templates that take a double or
// a vector alike, so the scalar and every vector width share one definition.
//
// Vectors never cross a call between functions compiled for different instruction
// sets (their calling conventions differ): the kernels take pointers and scalars,
// and the helpers and formulas are always inlined into them. GCC's note that the
// ABI of vector arguments changed in GCC 4.6 therefore concerns no call of ours;
// it is silenced here, once, for every file that includes this header.

#include <QtGlobal>

#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#define GLIMMERIX_X86 1
#include <immintrin.h> // declares GCC's gather builtins
#else
#define GLIMMERIX_X86 0
#endif

#pragma GCC diagnostic ignored "-Wpsabi"

namespace effects::simd {

enum class Level { Baseline, Avx2, Avx512 };

// The level the kernels use: the widest this processor and system support
// (detected once), unless limitLevel() lowers it.
Level level();

// Makes level() report at most `highest` (the tests run every kernel that the
// machine can run this way); Level::Avx512 lifts the limit.
void limitLevel(Level highest);

#define GLIMMERIX_ALWAYS_INLINE inline __attribute__((always_inline))

typedef double d2 __attribute__((vector_size(16)));
typedef double d4 __attribute__((vector_size(32)));
typedef double d8 __attribute__((vector_size(64)));
typedef int i2 __attribute__((vector_size(8)));
typedef int i4 __attribute__((vector_size(16)));
typedef int i8 __attribute__((vector_size(32)));

// For a vector of doubles: its lane count and the vector of as many ints.
template <class V> struct Lanes;
template <> struct Lanes<d2> { static constexpr int count = 2; typedef i2 Int; };
template <> struct Lanes<d4> { static constexpr int count = 4; typedef i4 Int; };
template <> struct Lanes<d8> { static constexpr int count = 8; typedef i8 Int; };

template <class T> GLIMMERIX_ALWAYS_INLINE T load(const void *p)
{
    T v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <class T> GLIMMERIX_ALWAYS_INLINE void store(void *p, T v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

// Every lane s (exactly: s - 0 is s for every double, signed zeros included).
template <class V> GLIMMERIX_ALWAYS_INLINE V splat(double s)
{
    return s - V{};
}

template <class I> GLIMMERIX_ALWAYS_INLINE I splatInt(int s)
{
    return s + I{};
}

// Whole parts and conversions, lane by lane, and the same for a plain double: the
// formulas are written once for both.
GLIMMERIX_ALWAYS_INLINE int toInt(double v)
{
    return static_cast<int>(v);
}
template <class V> GLIMMERIX_ALWAYS_INLINE typename Lanes<V>::Int toInt(V v)
{
    return __builtin_convertvector(v, typename Lanes<V>::Int);
}

GLIMMERIX_ALWAYS_INLINE double toDouble(int v)
{
    return v;
}
template <class I> GLIMMERIX_ALWAYS_INLINE auto toDouble(I v)
{
    typedef double D __attribute__((vector_size(sizeof(I) * 2)));
    return __builtin_convertvector(v, D);
}

// Opaque words qRgb(r, g, b) from channels 0..255.
template <class I> GLIMMERIX_ALWAYS_INLINE I packRgb(I r, I g, I b)
{
    return (r << 16) | (g << 8) | b | splatInt<I>(int(0xff000000u));
}

// The three channels of as many words as the vector has lanes, as doubles.
template <class V>
GLIMMERIX_ALWAYS_INLINE void unpackRgb(const quint32 *words, V &r, V &g, V &b)
{
    typedef typename Lanes<V>::Int I;
    const I w = load<I>(words);
    const I mask = splatInt<I>(255);
    r = __builtin_convertvector((w >> 16) & mask, V);
    g = __builtin_convertvector((w >> 8) & mask, V);
    b = __builtin_convertvector(w & mask, V);
}

// base[index[l]] for every lane l. Every index must name a word of base.
//
// GCC: one gather instruction for 8 and 4 lanes (only the AVX-512 and AVX2 kernels
// have vectors of that many ints). Its builtins, unlike the intrinsics' wrapper
// functions, may sit in this template, which is compiled for no instruction set of
// its own; they are checked where the template is inlined. Clang checks them here,
// so it loads lane by lane, as the baseline does.
template <class I> GLIMMERIX_ALWAYS_INLINE I gatherWords(const quint32 *base, I index)
{
#if GLIMMERIX_X86 && !defined(__clang__)
    if constexpr (sizeof(I) == 32)
        return __builtin_ia32_gathersiv8si(I{}, reinterpret_cast<const int *>(base), index, ~I{}, 4);
    if constexpr (sizeof(I) == 16)
        return __builtin_ia32_gathersiv4si(I{}, reinterpret_cast<const int *>(base), index, ~I{}, 4);
#endif
    I words;
    for (int l = 0; l < int(sizeof(I) / sizeof(int)); ++l)
        words[l] = int(base[index[l]]);
    return words;
}

// Stores the first `count` words of a vector (all of them when count >= its lanes).
template <class I> GLIMMERIX_ALWAYS_INLINE void storeWords(quint32 *out, I words, int count)
{
    constexpr int L = int(sizeof(I) / sizeof(int));
    if (count >= L) {
        store(out, words);
    } else {
        int lanes[L];
        store(lanes, words);
        for (int i = 0; i < count; ++i)
            out[i] = quint32(lanes[i]);
    }
}

// The dispatch. A kernel is a class with
//
//   template <class V> GLIMMERIX_ALWAYS_INLINE static void run(arguments...);
//
// (V is d2, d4 or d8; the body is inlined into each version below). A kernel that
// is fastest at a narrower width may declare
//   static constexpr Level highest = Level::Avx2;
// and processors above that level run its version for that level.
template <class Kernel, class = void> struct HighestLevel {
    static constexpr Level value = Level::Avx512;
};
template <class Kernel> struct HighestLevel<Kernel, decltype(void(Kernel::highest))> {
    static constexpr Level value = Kernel::highest;
};

template <class Kernel> struct Versions {
#if GLIMMERIX_X86
    template <class... Args> __attribute__((target("arch=x86-64-v4"))) static void avx512(Args &&...args)
    {
        Kernel::template run<d8>(std::forward<Args>(args)...);
    }
    template <class... Args> __attribute__((target("arch=x86-64-v3"))) static void avx2(Args &&...args)
    {
        Kernel::template run<d4>(std::forward<Args>(args)...);
    }
#endif
    template <class... Args> static void baseline(Args &&...args)
    {
        Kernel::template run<d2>(std::forward<Args>(args)...);
    }
};

// Runs the widest version of Kernel that this processor has and level() allows
// (only the versions up to the kernel's highest level are compiled).
template <class Kernel, class... Args> void run(Args &&...args)
{
#if GLIMMERIX_X86
    constexpr Level highest = HighestLevel<Kernel>::value;
    const Level chosen = int(level()) < int(highest) ? level() : highest;
    if constexpr (highest == Level::Avx512) {
        if (chosen == Level::Avx512)
            return Versions<Kernel>::avx512(std::forward<Args>(args)...);
    }
    if constexpr (highest != Level::Baseline) {
        if (chosen == Level::Avx2)
            return Versions<Kernel>::avx2(std::forward<Args>(args)...);
    }
#endif
    Versions<Kernel>::baseline(std::forward<Args>(args)...);
}

} // namespace effects::simd

#endif
