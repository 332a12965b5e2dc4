#ifndef GLIMMERIX_EFFECTS_SIMD_H
#define GLIMMERIX_EFFECTS_SIMD_H

// Vector helpers for the effects' inner loops.
//
// A kernel is written once, as a template over a vector of doubles, and compiled
// for three instruction sets: the portable x86-64 baseline (SSE2, 2 doubles per
// vector), x86-64-v3 (AVX2 and FMA, 4) and x86-64-v4 (AVX-512, 8). level() tells
// once which one the processor runs; the build itself stays portable (no -march).
//
// Exactness: the lanes of a vector are always different pixels. Every lane goes
// through the same IEEE operations, in the same order, as the scalar formula for
// its pixel (multiplications, additions and divisions are correctly rounded at
// every width; the project compiles without contraction into fused multiply-adds),
// so each width gives the very bits of the scalar code.
//
// Vectors never cross a call between functions compiled for different instruction
// sets (their calling conventions differ): the kernels take pointers and scalars,
// and the helpers here are always inlined into them.

#include <QtGlobal>

#include <immintrin.h> // declares GCC's gather builtins

namespace effects::simd {

enum class Level { Baseline, Avx2, Avx512 };

// The level the kernels use: the widest this processor and system support
// (detected once), unless limitLevel() lowers it.
Level level();

// Makes level() report at most `highest` (the tests run every kernel that the
// machine can run this way); Level::Avx512 lifts the limit.
void limitLevel(Level highest);

#define GLIMMERIX_TARGET_AVX2 __attribute__((target("arch=x86-64-v3")))
#define GLIMMERIX_TARGET_AVX512 __attribute__((target("arch=x86-64-v4")))
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

// The helpers only ever run inlined into a kernel of their own instruction set, so
// the warning about vector arguments of another calling convention does not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

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

// trunc(v) limited to 0..255, lane by lane, with NaN giving 0: the scalar
//   if (!(v > 0)) 0; else if (v >= 255) 255; else int(v).
template <class V> GLIMMERIX_ALWAYS_INLINE typename Lanes<V>::Int channelOf(V v)
{
    const V zero = V{};
    const V top = splat<V>(255);
    v = v > zero ? v : zero;
    v = v < top ? v : top;
    return __builtin_convertvector(v, typename Lanes<V>::Int);
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
#if !defined(__clang__)
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

#pragma GCC diagnostic pop

} // namespace effects::simd

#endif
