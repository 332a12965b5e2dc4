#include "reference.h"

#include <algorithm>
#include <cmath>

namespace reference {

namespace {

// Truncated toward zero, then limited to 0..255 (only an extrapolating position
// between -1 and 0 can leave that range).
int limited(double value)
{
    return int(std::clamp(std::trunc(value), 0.0, 255.0));
}

} // namespace

QRgb fourNeighbourSample(const QImage &source, double xtemp, double ytemp)
{
    const QRgb black = qRgb(0, 0, 0);
    if (!std::isfinite(xtemp) || !std::isfinite(ytemp))
        return black;

    // Integer parts and neighbours, kept as doubles until they are known to lie in
    // the image, so that no out-of-range value is ever converted to int.
    const double xtempi = std::trunc(xtemp);
    const double ytempi = std::trunc(ytemp);
    const double xneed = xtemp == xtempi ? xtempi : xtempi + 1;
    const double yneed = ytemp == ytempi ? ytempi : ytempi + 1;
    if (xtempi < 0 || xneed >= source.width() || ytempi < 0 || yneed >= source.height())
        return black;

    const double hdr = xtemp - xtempi;
    const double wdr = ytemp - ytempi;
    const int xi = int(xtempi);
    const int xn = int(xneed);
    const int yi = int(ytempi);
    const int yn = int(yneed);

    const QRgb a = source.pixel(xi, yi);
    const QRgb b = source.pixel(xi, yn);
    const QRgb c = source.pixel(xn, yn);
    const QRgb d = source.pixel(xn, yi);

    const double red = qRed(a) * (1 - wdr) * (1 - hdr) + qRed(b) * (1 - hdr) * wdr
        + qRed(c) * wdr * hdr + qRed(d) * (1 - wdr) * hdr;
    const double green = qGreen(a) * (1 - wdr) * (1 - hdr) + qGreen(b) * (1 - hdr) * wdr
        + qGreen(c) * wdr * hdr + qGreen(d) * (1 - wdr) * hdr;
    const double blue = qBlue(a) * (1 - wdr) * (1 - hdr) + qBlue(b) * (1 - hdr) * wdr
        + qBlue(c) * wdr * hdr + qBlue(d) * (1 - wdr) * hdr;

    return qRgb(limited(red), limited(green), limited(blue));
}

} // namespace reference
