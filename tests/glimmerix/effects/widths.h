#ifndef GLIMMERIX_TESTS_WIDTHS_H
#define GLIMMERIX_TESTS_WIDTHS_H

// A shared formula at every width the effects run it at: a plain double and
// vectors of 2, 4 and 8 doubles. The vector forms are computed with the row's
// value in lane `lane` and other values elsewhere, so that a lane mixed up with
// another shows.

#include "simd.h"

#include <QList>

namespace widths {

// f(x) at double and at each vector width, every result as an int (or double).
template <class V, class F> auto inLane(F f, double x, int lane)
{
    V v;
    for (int l = 0; l < effects::simd::Lanes<V>::count; ++l)
        v[l] = l == lane ? x : 100.0 + l; // other lanes: ordinary values
    return f(v)[lane];
}

template <class F> auto everyWidth(F f, double x)
{
    typedef decltype(f(x)) R;
    QList<R> results = {f(x)};
    results << R(inLane<effects::simd::d2>(f, x, 1));
    results << R(inLane<effects::simd::d4>(f, x, 2));
    results << R(inLane<effects::simd::d8>(f, x, 7));
    return results;
}

} // namespace widths

#endif
