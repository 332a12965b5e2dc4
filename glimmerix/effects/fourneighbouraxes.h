#ifndef GLIMMERIX_EFFECTS_FOURNEIGHBOURAXES_H
#define GLIMMERIX_EFFECTS_FOURNEIGHBOURAXES_H

// fourNeighbourSample() for positions whose x depends on the column alone and whose
// y on the row alone (zoom, waves): the inside test, the neighbours and the
// fraction are worked out once per column and once per row, and each pixel only
// blends, with the very operations of fourNeighbourSample() in the same order.

#include <QRgb>

#include <vector>

namespace effects {

// One axis of a sample position: lower and upper neighbour and the fraction, or
// not inside (the sample is black).
struct AxisNeighbours
{
    int lower = 0;
    int upper = 0;
    double fraction = 0;
    bool inside = false;
};

// Decided on the doubles before any cast, as fourNeighbourSample() does: inside
// means -1 < position <= size - 1 with the upper neighbour inside the image too.
inline AxisNeighbours axisNeighbours(double position, int size)
{
    AxisNeighbours axis;
    if (!(position > -1.0 && position <= double(size - 1)))
        return axis;
    axis.lower = int(position);
    axis.upper = position == axis.lower ? axis.lower : axis.lower + 1;
    if (axis.upper >= size)
        return axis;
    axis.fraction = position - axis.lower;
    axis.inside = true;
    return axis;
}

inline std::vector<AxisNeighbours> axisNeighbours(const std::vector<double> &positions, int size)
{
    std::vector<AxisNeighbours> axes(positions.size());
    for (size_t i = 0; i < positions.size(); ++i)
        axes[i] = axisNeighbours(positions[i], size);
    return axes;
}

// A blended channel after truncation toward zero, limited to 0..255.
inline int limitedBlend(double value)
{
    const int truncated = int(value);
    return truncated < 0 ? 0 : (truncated > 255 ? 255 : truncated);
}

// The sample of the row pair (upper = row y.lower, lower = row y.upper) at column x:
// c(xi, yi)*(1-wdr)*(1-hdr) + c(xi, yn)*(1-hdr)*wdr + c(xn, yn)*wdr*hdr
// + c(xn, yi)*(1-wdr)*hdr per channel, left to right.
inline QRgb blendFour(const QRgb *upper, const QRgb *lower, const AxisNeighbours &x, double wdr)
{
    const double hdr = x.fraction;
    const double oneMinusWdr = 1 - wdr;
    const double oneMinusHdr = 1 - hdr;
    const QRgb pii = upper[x.lower];
    const QRgb pin = lower[x.lower];
    const QRgb pnn = lower[x.upper];
    const QRgb pni = upper[x.upper];
    const auto blend = [&](int cii, int cin, int cnn, int cni) {
        return limitedBlend(cii * oneMinusWdr * oneMinusHdr + cin * oneMinusHdr * wdr + cnn * wdr * hdr
                            + cni * oneMinusWdr * hdr);
    };
    return qRgb(blend(qRed(pii), qRed(pin), qRed(pnn), qRed(pni)),
                blend(qGreen(pii), qGreen(pin), qGreen(pnn), qGreen(pni)),
                blend(qBlue(pii), qBlue(pin), qBlue(pnn), qBlue(pni)));
}

} // namespace effects

#endif
