// Waves: destination (x, y) is
//
//   fourNeighbourSample(sin(2x * (pi/2) / waveLength) * amplitude + x,
//                       sin(2y * (pi/2) / waveLength) * amplitude + y)
//
// x depends on the column alone and y on the row alone: the rows are blended by
// blendSeparableRow() (core/fourneighbourrows.h).

#include "waves.h"

#include "fourneighbour.h"
#include "fourneighbourrows.h"
#include "parallel.h"
#include "pixelrows.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace effects {

namespace {

// The displaced coordinate of column (row) v: sin((2v * (pi/2)) / waveLength) *
// amplitude + v. Not finite when waveLength is 0; the sample then gives black.
double displaced(int v, double waveLength, double amplitude)
{
    const double a = (2.0 * v * 1.5707963267948966) / waveLength;
    return std::sin(a) * amplitude + v;
}

} // namespace

QImage waves(const QImage &source, double waveLength, double amplitude)
{
    const PixelRows rows(source);
    const int width = rows.width();
    const int height = rows.height();
    QImage result = newRgb32(width, height);
    if (result.isNull())
        return result;

    // The x shift depends on x alone and the y shift on y alone.
    std::vector<double> xtemp(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        xtemp[size_t(x)] = displaced(x, waveLength, amplitude);

    // Rows in parallel: every output pixel is computed alone, in the same way.
    uchar *bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    // The sample's tests and neighbours, once per column and once per row.
    const SeparableColumns columns(axisNeighbours(xtemp, width));
    parallelFor(height, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const AxisNeighbours row = axisNeighbours(displaced(y, waveLength, amplitude), height);
            QRgb *out = reinterpret_cast<QRgb *>(bits + y * stride);
            if (!row.inside) {
                std::fill(out, out + width, qRgb(0, 0, 0));
                continue;
            }
            blendSeparableRow(rows.row(row.lower), rows.row(row.upper), columns, row.fraction,
                              WeightOrder::FourNeighbour, out);
        }
    });
    return result;
}

} // namespace effects
