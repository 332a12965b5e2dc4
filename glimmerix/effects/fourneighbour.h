#ifndef GLIMMERIX_EFFECTS_FOURNEIGHBOUR_H
#define GLIMMERIX_EFFECTS_FOURNEIGHBOUR_H

// The four-neighbour (bilinear) sample shared by zoom, rotation, waves and the
// resampling.
//
// Along each axis the neighbours of a position p are trunc(p) and, where p has a
// fractional part, the next pixel; the fraction is p - trunc(p). A position whose
// lower neighbour is below 0, whose upper neighbour is past the last column or
// row, or that is not a finite number gives opaque black. Otherwise, with fx the
// fraction along x and fy along y, each channel is
//
//   trunc(c00*(1-fy)*(1-fx) + c01*(1-fx)*fy + c11*fy*fx + c10*(1-fy)*fx)
//
// evaluated left to right in double precision, each term (c * first) * second,
// limited to 0..255; c00 is the upper row's lower column, c01 the lower row's
// lower column, c11 the lower row's upper column and c10 the upper row's upper
// column. A position between -1 and 0 passes the test and extrapolates from
// pixels 0 and 1 (such a channel is limited rather than wrapping). The
// resampling blends the same four words with its own order of the weights:
//
//   trunc(c00*(1-fx)*(1-fy) + c01*(1-fx)*fy + c11*fx*fy + c10*fx*(1-fy)).

#include "channel.h"
#include "pixelrows.h"
#include "simd.h"

#include <vector>

namespace effects {

// The order of the weights in each of the four terms (c * first) * second.
enum class WeightOrder {
    FourNeighbour, // zoom, rotation, waves
    Resample,
};

// The blend of one channel of the four neighbours, before truncation; for doubles
// or vectors of doubles (one pixel a lane).
template <WeightOrder order, class T>
GLIMMERIX_ALWAYS_INLINE T fourNeighbourBlend(T c00, T c01, T c11, T c10, T fx, T fy)
{
    const T one = simd::splat<T>(1);
    const T oneMinusFx = one - fx;
    const T oneMinusFy = one - fy;
    if constexpr (order == WeightOrder::FourNeighbour)
        return c00 * oneMinusFy * oneMinusFx + c01 * oneMinusFx * fy + c11 * fy * fx + c10 * oneMinusFy * fx;
    else
        return c00 * oneMinusFx * oneMinusFy + c01 * oneMinusFx * fy + c11 * fx * fy + c10 * fx * oneMinusFy;
}

// The blended word of four words: every channel through fourNeighbourBlend() and
// truncLimited(), alpha 255.
template <WeightOrder order> inline QRgb fourNeighbourWord(QRgb c00, QRgb c01, QRgb c11, QRgb c10, double fx,
                                                          double fy)
{
    const auto channel = [&](int shift) {
        const auto at = [shift](QRgb word) { return double((word >> shift) & 0xff); };
        return truncLimited(fourNeighbourBlend<order>(at(c00), at(c01), at(c11), at(c10), fx, fy));
    };
    return qRgb(channel(16), channel(8), channel(0));
}

// One axis of a sample position: lower and upper neighbour and the fraction, or
// not inside (the sample is black).
struct AxisNeighbours
{
    int lower = 0;
    int upper = 0;
    double fraction = 0;
    bool inside = false;
};

// Decided on the double before any cast: NaN fails every comparison and an
// infinity one of them, so whatever passes lies in (-1, size - 1] and truncates
// to an int without overflow. A position at or below -1 has a lower neighbour
// below 0; one above size - 1 an upper neighbour past the end. Still possible
// after that test: a one-pixel image and a position in (-1, 0), whose upper
// neighbour 1 does not exist.
inline AxisNeighbours axisNeighbours(double position, int size)
{
    AxisNeighbours axis;
    if (!(position > -1.0 && position <= double(size - 1)))
        return axis;
    axis.lower = int(position);
    axis.upper = position == axis.lower ? axis.lower : axis.lower + 1;
    if (axis.upper >= size)
        return axis;
    axis.fraction = position - axis.lower;
    axis.inside = true;
    return axis;
}

inline std::vector<AxisNeighbours> axisNeighbours(const std::vector<double> &positions, int size)
{
    std::vector<AxisNeighbours> axes(positions.size());
    for (size_t i = 0; i < positions.size(); ++i)
        axes[i] = axisNeighbours(positions[i], size);
    return axes;
}

// Where the sample at (x, y) reads: one axis each.
struct SamplePosition
{
    AxisNeighbours x;
    AxisNeighbours y;
    bool inside() const { return x.inside && y.inside; }
};

inline SamplePosition samplePosition(int width, int height, double x, double y)
{
    return {axisNeighbours(x, width), axisNeighbours(y, height)};
}

// The sample of source at (x, y), read through pixelAt(column, row).
template <class PixelAt> QRgb fourNeighbourSampleOf(PixelAt pixelAt, int width, int height, double x, double y)
{
    const SamplePosition p = samplePosition(width, height, x, y);
    if (!p.inside())
        return qRgb(0, 0, 0);
    return fourNeighbourWord<WeightOrder::FourNeighbour>(
        pixelAt(p.x.lower, p.y.lower), pixelAt(p.x.lower, p.y.upper), pixelAt(p.x.upper, p.y.upper),
        pixelAt(p.x.upper, p.y.lower), p.x.fraction, p.y.fraction);
}

// The sample of source at (x, y).
QRgb fourNeighbourSample(const PixelRows &source, double x, double y);

} // namespace effects

#endif
