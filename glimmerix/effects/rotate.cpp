// Rotation about the centre pixel (cx, cy) by k = requested - applied degrees:
// with dx = i - cx and dy = cy - j, destination (i, j) is
//
//   fourNeighbourSample(dx*cos(k) - dy*sin(k) + cx,  cy - dx*sin(k) - dy*cos(k))
//
// left to right, and the centre pixel is copied. The positions of a row go to
// sampleRow() (core/fourneighbourrows.h), which samples them in vectors.

#include "rotate.h"

#include "fourneighbour.h"
#include "fourneighbourrows.h"
#include "parallel.h"
#include "pixelrows.h"

#include <cmath>
#include <vector>

namespace effects {

QImage rotateAboutCentre(const QImage &source, double requestedDegrees, double appliedDegrees)
{
    const PixelRows rows(source);
    const int width = rows.width();
    const int height = rows.height();
    QImage result = newRgb32(width, height);
    if (result.isNull())
        return result;

    const double k = requestedDegrees - appliedDegrees;
    // Both arguments are the turn in radians, written as two different constants
    // (pi/180, and pi/2 then divided by 90): their last bits differ.
    const double rCos = std::cos(k * 0.017453292519943295);
    const double rSin = std::sin(k * 1.5707963267948966 / 90);
    const int crotx = (width - 1) / 2;
    const int croty = (height - 1) / 2;

    // xtemp = dx*rCos - dy*rSin + crotx and ytemp = croty - dx*rSin - dy*rCos, left
    // to right, with dx = i - crotx and dy = croty - j. The products, and
    // croty - dx*rSin, depend on one coordinate only and are computed once each.
    std::vector<double> dxCos(static_cast<size_t>(width));
    std::vector<double> crotyMinusDxSin(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i) {
        const int dx = i - crotx;
        dxCos[size_t(i)] = dx * rCos;
        crotyMinusDxSin[size_t(i)] = croty - dx * rSin;
    }

    // Rows in parallel: every output pixel is computed alone, in the same way.
    uchar *bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    parallelFor(height, 16, [&](int begin, int end) {
        std::vector<double> xtemp(static_cast<size_t>(width));
        std::vector<double> ytemp(static_cast<size_t>(width));
        for (int j = begin; j < end; ++j) {
            const int dy = croty - j;
            const double dySin = dy * rSin;
            const double dyCos = dy * rCos;
            for (int i = 0; i < width; ++i) {
                xtemp[size_t(i)] = dxCos[size_t(i)] - dySin + crotx;
                ytemp[size_t(i)] = crotyMinusDxSin[size_t(i)] - dyCos;
            }
            sampleRow(rows, xtemp.data(), ytemp.data(), width, reinterpret_cast<QRgb *>(bits + j * stride));
        }
    });
    writableRow(result, croty)[crotx] = 0xff000000u | rows.at(crotx, croty);
    return result;
}

} // namespace effects
