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
    const SamplePosition p = samplePosition(source.width(), source.height(), xtemp, ytemp);
    if (!p.inside)
        return qRgb(0, 0, 0);

    const double hdr = p.hdr; // along x
    const double wdr = p.wdr; // along y
    const double oneMinusWdr = 1 - wdr;
    const double oneMinusHdr = 1 - hdr;

    const QRgb *upper = source.row(p.yLower);
    const QRgb *lower = source.row(p.yUpper);
    const QRgb pii = upper[p.xLower]; // c(xtempi, ytempi)
    const QRgb pin = lower[p.xLower]; // c(xtempi, yneed)
    const QRgb pnn = lower[p.xUpper]; // c(xneed, yneed)
    const QRgb pni = upper[p.xUpper]; // c(xneed, ytempi)

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
