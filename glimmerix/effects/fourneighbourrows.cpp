#include "fourneighbourrows.h"

#include "simd.h"

namespace effects {

namespace {

// The four words of as many pixels as the vector has lanes, their fractions, and
// which of them are inside (-1) or give black (0).
template <class V> struct Neighbours
{
    typedef typename simd::Lanes<V>::Int I;
    I c00, c01, c11, c10;
    V fx, fy;
    I inside;
};

// One channel of every lane: the four terms (c * first) * second added left to
// right, truncated and limited to 0..255 (simd::channelOf() gives trunc-then-limit
// for every finite value).
template <class V, WeightOrder order>
GLIMMERIX_ALWAYS_INLINE typename simd::Lanes<V>::Int blendChannel(V c00, V c01, V c11, V c10, V fx, V fy)
{
    const V one = simd::splat<V>(1);
    const V oneMinusFx = one - fx;
    const V oneMinusFy = one - fy;
    if constexpr (order == WeightOrder::FourNeighbour)
        return simd::channelOf<V>(c00 * oneMinusFy * oneMinusFx + c01 * oneMinusFx * fy + c11 * fy * fx
                                  + c10 * oneMinusFy * fx);
    else
        return simd::channelOf<V>(c00 * oneMinusFx * oneMinusFy + c01 * oneMinusFx * fy + c11 * fx * fy
                                  + c10 * fx * oneMinusFy);
}

// The channel at `shift` of every lane's four words (no lambda here: a lambda is a
// function of its own, compiled for the baseline, and vectors must not cross into it).
template <class V, WeightOrder order>
GLIMMERIX_ALWAYS_INLINE typename simd::Lanes<V>::Int blendShifted(const Neighbours<V> &n, int shift)
{
    typedef typename simd::Lanes<V>::Int I;
    const I mask = simd::splatInt<I>(255);
    return blendChannel<V, order>(__builtin_convertvector((n.c00 >> shift) & mask, V),
                                  __builtin_convertvector((n.c01 >> shift) & mask, V),
                                  __builtin_convertvector((n.c11 >> shift) & mask, V),
                                  __builtin_convertvector((n.c10 >> shift) & mask, V), n.fx, n.fy);
}

template <class V, WeightOrder order>
GLIMMERIX_ALWAYS_INLINE typename simd::Lanes<V>::Int blendWords(const Neighbours<V> &n)
{
    typedef typename simd::Lanes<V>::Int I;
    const I blended = simd::packRgb(blendShifted<V, order>(n, 16), blendShifted<V, order>(n, 8),
                                    blendShifted<V, order>(n, 0));
    const I black = simd::splatInt<I>(int(0xff000000u));
    return n.inside ? blended : black;
}

template <class V, WeightOrder order>
GLIMMERIX_ALWAYS_INLINE void separableRow(const QRgb *upper, const QRgb *lower, const AxisNeighbours *columns,
                                          int count, double rowFraction, QRgb *out)
{
    constexpr int L = simd::Lanes<V>::count;
    Neighbours<V> n;
    n.fy = simd::splat<V>(rowFraction);
    for (int x = 0; x < count; x += L) {
        // A column that is not inside may name a neighbour past the row's end: its
        // lane reads column 0 instead and gives black. The last vector of the row
        // takes the columns that are left; its other lanes are not stored.
        for (int l = 0; l < L; ++l) {
            const AxisNeighbours column =
                x + l < count && columns[x + l].inside ? columns[x + l] : AxisNeighbours();
            n.c00[l] = int(upper[column.lower]);
            n.c01[l] = int(lower[column.lower]);
            n.c11[l] = int(lower[column.upper]);
            n.c10[l] = int(upper[column.upper]);
            n.fx[l] = column.fraction;
            n.inside[l] = column.inside ? -1 : 0;
        }
        simd::storeWords(out + x, blendWords<V, order>(n), count - x);
    }
}

template <class V>
GLIMMERIX_ALWAYS_INLINE void positionsRow(const PixelRows &source, const double *xtemp, const double *ytemp,
                                          int count, QRgb *out)
{
    constexpr int L = simd::Lanes<V>::count;
    const int width = source.width();
    const int height = source.height();
    Neighbours<V> n;
    for (int x = 0; x < count; x += L) {
        for (int l = 0; l < L; ++l) {
            const SamplePosition p = x + l < count ? samplePosition(width, height, xtemp[x + l], ytemp[x + l])
                                                   : SamplePosition();
            const QRgb *upper = source.row(p.yLower);
            const QRgb *lower = source.row(p.yUpper);
            n.c00[l] = int(upper[p.xLower]);
            n.c01[l] = int(lower[p.xLower]);
            n.c11[l] = int(lower[p.xUpper]);
            n.c10[l] = int(upper[p.xUpper]);
            n.fx[l] = p.hdr;
            n.fy[l] = p.wdr;
            n.inside[l] = p.inside ? -1 : 0;
        }
        simd::storeWords(out + x, blendWords<V, WeightOrder::FourNeighbour>(n), count - x);
    }
}

typedef void (*SeparableRow)(const QRgb *, const QRgb *, const AxisNeighbours *, int, double, QRgb *);
typedef void (*PositionsRow)(const PixelRows &, const double *, const double *, int, QRgb *);

template <WeightOrder order>
GLIMMERIX_TARGET_AVX512 void separableAvx512(const QRgb *u, const QRgb *l, const AxisNeighbours *c, int n,
                                             double f, QRgb *o)
{
    separableRow<simd::d8, order>(u, l, c, n, f, o);
}
template <WeightOrder order>
GLIMMERIX_TARGET_AVX2 void separableAvx2(const QRgb *u, const QRgb *l, const AxisNeighbours *c, int n,
                                         double f, QRgb *o)
{
    separableRow<simd::d4, order>(u, l, c, n, f, o);
}
template <WeightOrder order>
void separableBaseline(const QRgb *u, const QRgb *l, const AxisNeighbours *c, int n, double f, QRgb *o)
{
    separableRow<simd::d2, order>(u, l, c, n, f, o);
}

GLIMMERIX_TARGET_AVX512 void positionsAvx512(const PixelRows &s, const double *x, const double *y, int n,
                                             QRgb *o)
{
    positionsRow<simd::d8>(s, x, y, n, o);
}
GLIMMERIX_TARGET_AVX2 void positionsAvx2(const PixelRows &s, const double *x, const double *y, int n,
                                         QRgb *o)
{
    positionsRow<simd::d4>(s, x, y, n, o);
}
void positionsBaseline(const PixelRows &s, const double *x, const double *y, int n, QRgb *o)
{
    positionsRow<simd::d2>(s, x, y, n, o);
}

template <WeightOrder order> SeparableRow separableKernel()
{
    switch (simd::level()) {
    case simd::Level::Avx512:
        return separableAvx512<order>;
    case simd::Level::Avx2:
        return separableAvx2<order>;
    case simd::Level::Baseline:
        break;
    }
    return separableBaseline<order>;
}

} // namespace

void blendSeparableRow(const QRgb *upper, const QRgb *lower, const AxisNeighbours *columns, int count,
                       double rowFraction, WeightOrder order, QRgb *out)
{
    const SeparableRow row = order == WeightOrder::FourNeighbour ? separableKernel<WeightOrder::FourNeighbour>()
                                                                 : separableKernel<WeightOrder::Resample>();
    row(upper, lower, columns, count, rowFraction, out);
}

void sampleRow(const PixelRows &source, const double *xtemp, const double *ytemp, int count, QRgb *out)
{
    PositionsRow row = positionsBaseline;
    if (simd::level() == simd::Level::Avx512)
        row = positionsAvx512;
    else if (simd::level() == simd::Level::Avx2)
        row = positionsAvx2;
    row(source, xtemp, ytemp, count, out);
}

} // namespace effects
