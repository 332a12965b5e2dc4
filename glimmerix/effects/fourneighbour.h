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

} // namespace effects

#endif
