#ifndef GLIMMERIX_EFFECTS_FOURNEIGHBOUR_H
#define GLIMMERIX_EFFECTS_FOURNEIGHBOUR_H

#include "pixelrows.h"

namespace effects {

// The four-neighbour (bilinear) sample shared by zoom, rotation and waves.
//
// The neighbours are the position truncated toward zero and, where the position
// has a fractional part, the next pixel. A position whose lower neighbour is
// below 0, whose upper neighbour is past the last column or row, or that is not
// a finite number gives opaque black. Otherwise each channel is
//   c(xi, yi)*(1-wdr)*(1-hdr) + c(xi, yn)*(1-hdr)*wdr + c(xn, yn)*wdr*hdr + c(xn, yi)*(1-wdr)*hdr
// with hdr the fraction along x and wdr along y, evaluated left to right in double
// precision and truncated toward zero. A position between -1 and 0 passes the
// test and extrapolates from pixels 0 and 1; such a channel is limited to 0..255
// rather than wrapping. (In an image one pixel wide or high there is no pixel 1,
// so such a position gives black there.) The test is made on the doubles before
// any conversion, so NaN, infinities and huge positions are safe.
QRgb fourNeighbourSample(const PixelRows &source, double xtemp, double ytemp);

// Where fourNeighbourSample() reads: the lower and upper neighbour along each axis
// and the fractions (hdr along x, wdr along y); not inside when the sample is black.
struct SamplePosition
{
    int xLower = 0;
    int xUpper = 0;
    int yLower = 0;
    int yUpper = 0;
    double hdr = 0;
    double wdr = 0;
    bool inside = false;
};

// Decided on the doubles before any cast: NaN fails every comparison and an
// infinity fails one of them, so whatever passes lies in (-1, W-1] x (-1, H-1]
// and truncates to an int without overflow. A position at or below -1 has a
// lower neighbour below 0; one above W-1 an upper neighbour past the last column.
inline SamplePosition samplePosition(int width, int height, double xtemp, double ytemp)
{
    SamplePosition p;
    if (!(xtemp > -1.0 && xtemp <= double(width - 1) && ytemp > -1.0
          && ytemp <= double(height - 1)))
        return p;
    const int xtempi = int(xtemp);
    const int ytempi = int(ytemp);
    const int xneed = xtemp == xtempi ? xtempi : xtempi + 1;
    const int yneed = ytemp == ytempi ? ytempi : ytempi + 1;
    // Still possible here: a one-pixel-wide (high) image and a position in (-1, 0),
    // whose upper neighbour 1 does not exist.
    if (xneed >= width || yneed >= height)
        return p;
    p.xLower = xtempi;
    p.xUpper = xneed;
    p.yLower = ytempi;
    p.yUpper = yneed;
    p.hdr = xtemp - xtempi;
    p.wdr = ytemp - ytempi;
    p.inside = true;
    return p;
}

} // namespace effects

#endif
