#ifndef GLIMMERIX_EFFECTS_CHANNEL_H
#define GLIMMERIX_EFFECTS_CHANNEL_H

// The two ways a computed double becomes a channel value 0..255. Each is written
// once, for a plain double and for a vector of doubles alike (see simd.h): every
// effect, every vector width and the reference forms use these definitions.

#include "simd.h"

namespace effects {

// trunc(v) limited to 0..255, NaN giving 0:
//   v <= 0 or NaN: 0;  v >= 255: 255;  otherwise int(v).
// The limits are applied to the double before the conversion, so that the
// conversion is defined for every v (infinities and huge values included).
template <class T> GLIMMERIX_ALWAYS_INLINE auto truncLimited(T v)
{
    const T zero = T{};
    const T top = simd::splat<T>(255);
    v = v > zero ? v : zero;
    v = v < top ? v : top;
    return simd::toInt(v);
}

// v rounded to nearest with halves away from zero, as a double: trunc(v), then one
// step away from zero when the remainder v - trunc(v), which is exact, is a half or
// more. v must lie well inside the int range (the callers limit it first).
template <class T> GLIMMERIX_ALWAYS_INLINE T roundHalfAway(T v)
{
    const T half = simd::splat<T>(0.5);
    const T one = simd::splat<T>(1);
    const T whole = simd::toDouble(simd::toInt(v));
    const T rest = v - whole;
    return rest >= half ? whole + one : (rest <= -half ? whole - one : whole);
}

} // namespace effects

#endif
