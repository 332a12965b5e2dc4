#ifndef GLIMMERIX_EFFECTS_BRIGHTNESS_H
#define GLIMMERIX_EFFECTS_BRIGHTNESS_H

// The brightness of a pixel, 0 to 255:
//
//   round((0.2125 R + 0.7154 G) + 0.0721 B)
//
// in double precision, in that order, rounded to nearest with halves away from
// zero. A gray pixel R = G = B = v has brightness v. Written once for a double and
// for a vector of doubles (one pixel a lane): the contrast stretch and the median
// use it at every vector width, the reference forms through brightness().

#include "channel.h"
#include "simd.h"

#include <QRgb>

namespace effects {

// The brightness of channels given as doubles (or as vectors of them), as a double.
template <class T> GLIMMERIX_ALWAYS_INLINE T brightnessOf(T red, T green, T blue)
{
    const T value = (simd::splat<T>(0.2125) * red + simd::splat<T>(0.7154) * green)
        + simd::splat<T>(0.0721) * blue;
    return roundHalfAway(value); // never negative, at most 255
}

inline int brightness(QRgb pixel)
{
    return int(brightnessOf<double>(qRed(pixel), qGreen(pixel), qBlue(pixel)));
}

} // namespace effects

#endif
