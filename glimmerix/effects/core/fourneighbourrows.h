#ifndef GLIMMERIX_EFFECTS_FOURNEIGHBOURROWS_H
#define GLIMMERIX_EFFECTS_FOURNEIGHBOURROWS_H

// Whole rows of four-neighbour samples, several pixels per vector (see simd.h).
//
// Each pixel blends its four words through fourNeighbourBlend() (fourneighbour.h),
// the formula of fourNeighbourSample() and of the resampling, one pixel a lane.
// For positions whose x depends on the column alone and whose y on the row alone
// (zoom, waves, resampling) the inside test, the neighbours and the fraction are
// worked out once per column and once per row (axisNeighbours()), and each pixel
// only blends.

#include "fourneighbour.h"
#include "pixelrows.h"

#include <QRgb>

#include <vector>

namespace effects {

// The columns of a sampling whose column depends on x alone, one array per field
// so that the kernels load whole vectors of them: the lower and upper neighbour,
// the fraction, and -1 where the column is inside or 0 where it gives black. A
// column that is not inside names column 0, which every row has; the arrays are
// padded with such columns to whole vectors.
struct SeparableColumns
{
    explicit SeparableColumns(const std::vector<AxisNeighbours> &columns);

    int count; // the columns proper, without the padding
    std::vector<int> lower;
    std::vector<int> upper;
    std::vector<double> fraction;
    std::vector<int> inside;
};

// One output row of such a sampling, whose row depends on y alone: out[x] blends
// rows upper and lower at column x with fy = rowFraction; a column that is not
// inside gives opaque black. Every channel is truncated toward zero and limited
// to 0..255. out holds columns.count words.
void blendSeparableRow(const QRgb *upper, const QRgb *lower, const SeparableColumns &columns,
                       double rowFraction, WeightOrder order, QRgb *out);

// out[i] = fourNeighbourSample(source, xtemp[i], ytemp[i]) for i < count.
void sampleRow(const PixelRows &source, const double *xtemp, const double *ytemp, int count,
               QRgb *out);

} // namespace effects

#endif
