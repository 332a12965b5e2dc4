// Zoom about the centre pixel (cx, cy) = ((W-1)/2, (H-1)/2) by the factor
// k = double(float(requested)) / applied: destination (i, j) is
//
//   fourNeighbourSample(cx + (i - cx) / k,  cy - (cy - j) / k)
//
// and the centre pixel is copied. x depends on the column alone and y on the row
// alone, so the sample's tests are made once per column and once per row and the
// rows are blended by blendSeparableRow() (core/fourneighbourrows.h).

#include "zoom.h"

#include "fourneighbour.h"
#include "fourneighbourrows.h"
#include "parallel.h"
#include "pixelrows.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace effects {

namespace {

// requested rounded to single precision, as float(requested) would give it, but
// without the undefined conversion of a value beyond the float range: round to
// nearest overflows to infinity from halfway between FLT_MAX and 2^128 on.
double roundedToSingle(double value)
{
    constexpr double floatMax = std::numeric_limits<float>::max();
    constexpr double overflowFrom = 0x1.ffffffp+127; // FLT_MAX + half an ulp
    if (std::isnan(value))
        return value;
    const double magnitude = std::fabs(value);
    if (magnitude >= overflowFrom)
        return std::copysign(std::numeric_limits<double>::infinity(), value);
    if (magnitude > floatMax)
        return std::copysign(floatMax, value);
    return double(float(value));
}

} // namespace

QImage zoomAboutCentre(const QImage &source, double requestedPercent, double appliedPercent)
{
    const PixelRows rows(source);
    const int width = rows.width();
    const int height = rows.height();
    QImage result = newRgb32(width, height);
    if (result.isNull())
        return result;

    const double k = roundedToSingle(requestedPercent) / appliedPercent;
    const int crotx = (width - 1) / 2;
    const int croty = (height - 1) / 2;

    // The source column depends only on the destination column, the row only on
    // the row: each is computed once.
    std::vector<double> xtemp(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i)
        xtemp[size_t(i)] = crotx + (i - crotx) / k;
    std::vector<double> ytemp(static_cast<size_t>(height));
    for (int j = 0; j < height; ++j)
        ytemp[size_t(j)] = croty - (croty - j) / k;

    // Rows in parallel: every output pixel is computed alone, in the same way.
    uchar *bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    // The sample's tests and neighbours, once per column and once per row.
    const SeparableColumns columns(axisNeighbours(xtemp, width));
    parallelFor(height, 16, [&](int begin, int end) {
        for (int j = begin; j < end; ++j) {
            QRgb *out = reinterpret_cast<QRgb *>(bits + j * stride);
            const AxisNeighbours y = axisNeighbours(ytemp[size_t(j)], height);
            if (!y.inside) {
                std::fill(out, out + width, qRgb(0, 0, 0));
                continue;
            }
            blendSeparableRow(rows.row(y.lower), rows.row(y.upper), columns, y.fraction,
                              WeightOrder::FourNeighbour, out);
        }
    });
    // The centre pixel is copied, whatever the factor (even one that makes its own
    // position NaN); RGB32 stores it opaque.
    writableRow(result, croty)[crotx] = 0xff000000u | rows.at(crotx, croty);
    return result;
}

} // namespace effects
