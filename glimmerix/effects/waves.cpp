#include "waves.h"

#include "fourneighbour.h"
#include "pixelrows.h"

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

    for (int y = 0; y < height; ++y) {
        const double ytemp = displaced(y, waveLength, amplitude);
        QRgb *out = writableRow(result, y);
        for (int x = 0; x < width; ++x)
            out[x] = fourNeighbourSample(rows, xtemp[size_t(x)], ytemp);
    }
    return result;
}

} // namespace effects
