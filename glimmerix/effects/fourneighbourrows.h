#ifndef GLIMMERIX_EFFECTS_FOURNEIGHBOURROWS_H
#define GLIMMERIX_EFFECTS_FOURNEIGHBOURROWS_H

// Whole rows of four-neighbour samples, several pixels per vector (see simd.h).
//
// Each pixel blends the same four words with the same double operations, in the
// same order, as the scalar formulas of fourNeighbourSample() and of the
// resampling, so every lane gives the scalar result bit for bit.

#include "fourneighbour.h"
#include "fourneighbouraxes.h"
#include "pixelrows.h"

#include <QRgb>

namespace effects {

// The order of the weights in each of the four terms (c * first) * second.
enum class WeightOrder {
    // fourNeighbourSample(): with fx the fraction along x and fy along y,
    // c00*(1-fy)*(1-fx) + c01*(1-fx)*fy + c11*fy*fx + c10*(1-fy)*fx
    FourNeighbour,
    // The resampling: c00*(1-fx)*(1-fy) + c01*(1-fx)*fy + c11*fx*fy + c10*fx*(1-fy)
    Resample,
};
// (c00 is the upper row's lower column, c01 the lower row's lower column, c11 the
// lower row's upper column and c10 the upper row's upper column.)

// One output row of a sampling whose column depends on x alone and whose row on y
// alone: out[x] blends rows upper and lower at columns[x] with fy = rowFraction;
// a column that is not inside gives opaque black. Every channel is truncated
// toward zero and limited to 0..255.
void blendSeparableRow(const QRgb *upper, const QRgb *lower, const AxisNeighbours *columns,
                       int count, double rowFraction, WeightOrder order, QRgb *out);

// out[i] = fourNeighbourSample(source, xtemp[i], ytemp[i]) for i < count.
void sampleRow(const PixelRows &source, const double *xtemp, const double *ytemp, int count,
               QRgb *out);

} // namespace effects

#endif
