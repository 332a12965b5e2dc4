#include "fourneighbour.h"

namespace effects {

namespace {

// A blended channel after truncation toward zero, limited to 0..255. Only a
// position between -1 and 0 (negative fraction, linear extrapolation) can leave
// that range; the weights then lie in (-1, 2), so the value is far inside int.
inline int limitedChannel(double value)
{
    const int truncated = int(value);
    return truncated < 0 ? 0 : (truncated > 255 ? 255 : truncated);
}

} // namespace

QRgb fourNeighbourSample(const PixelRows &source, double xtemp, double ytemp)
{
    const int width = source.width();
    const int height = source.height();

    // Decided on the doubles, before any cast: NaN fails every comparison and an
    // infinity fails one of them, so whatever passes lies in (-1, W-1] x (-1, H-1]
    // and truncates to an int without overflow. A position at or below -1 has a
    // lower neighbour below 0; one above W-1 an upper neighbour past the last column.
    if (!(xtemp > -1.0 && xtemp <= double(width - 1) && ytemp > -1.0
          && ytemp <= double(height - 1)))
        return qRgb(0, 0, 0);

    const int xtempi = int(xtemp);
    const int ytempi = int(ytemp);
    const int xneed = xtemp == xtempi ? xtempi : xtempi + 1;
    const int yneed = ytemp == ytempi ? ytempi : ytempi + 1;
    // Still possible here: a one-pixel-wide (high) image and a position in (-1, 0),
    // whose upper neighbour 1 does not exist.
    if (xneed >= width || yneed >= height)
        return qRgb(0, 0, 0);

    const double hdr = xtemp - xtempi; // along x
    const double wdr = ytemp - ytempi; // along y
    const double oneMinusWdr = 1 - wdr;
    const double oneMinusHdr = 1 - hdr;

    const QRgb *upper = source.row(ytempi);
    const QRgb *lower = source.row(yneed);
    const QRgb pii = upper[xtempi]; // c(xtempi, ytempi)
    const QRgb pin = lower[xtempi]; // c(xtempi, yneed)
    const QRgb pnn = lower[xneed];  // c(xneed, yneed)
    const QRgb pni = upper[xneed];  // c(xneed, ytempi)

    // Each term is (c * w1) * w2 with the weights in this order, the terms added
    // left to right: multiplying the two weights first would change the rounding.
    const auto blend = [&](int cii, int cin, int cnn, int cni) {
        return limitedChannel(cii * oneMinusWdr * oneMinusHdr + cin * oneMinusHdr * wdr
                              + cnn * wdr * hdr + cni * oneMinusWdr * hdr);
    };
    const int red = blend(qRed(pii), qRed(pin), qRed(pnn), qRed(pni));
    const int green = blend(qGreen(pii), qGreen(pin), qGreen(pnn), qGreen(pni));
    const int blue = blend(qBlue(pii), qBlue(pin), qBlue(pnn), qBlue(pni));
    return qRgb(red, green, blue);
}

} // namespace effects
