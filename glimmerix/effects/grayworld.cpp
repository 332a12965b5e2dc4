#include "grayworld.h"

#include "pixelrows.h"

#include <vector>

namespace effects {

namespace {

// trunc((value * gray) / mean), limited to 255; 0 where the channel is empty.
// The quotient is compared before any conversion: a tiny mean can make it far
// larger than an int holds.
inline int balanced(int value, double gray, double mean)
{
    if (mean == 0)
        return 0;
    const double quotient = (value * gray) / mean;
    if (quotient > 255)
        return 255;
    if (!(quotient > 0))
        return 0;
    return static_cast<int>(quotient);
}

} // namespace

QImage grayWorld(const QImage &source)
{
    const PixelRows in(source);
    const int width = in.width();
    const int height = in.height();
    QImage out = newRgb32(width, height);
    if (out.isNull())
        return out;

    // The pixel count as a double (formed in 64 bits, so that it cannot overflow).
    const double count = static_cast<double>(static_cast<qint64>(width) * height);
    std::vector<const QRgb *> rows(height);
    for (int y = 0; y < height; ++y)
        rows[y] = in.row(y);

    // The means, as running sums of value / count, columns outer and rows inner:
    // the order of these floating-point sums is part of the result.
    double redN = 0, greenN = 0, blueN = 0;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const QRgb p = rows[y][x];
            redN += qRed(p) / count;
            greenN += qGreen(p) / count;
            blueN += qBlue(p) / count;
        }
    }
    const float level = static_cast<float>((redN + greenN) + blueN);
    const double midN = static_cast<double>(level) / 3;

    for (int y = 0; y < height; ++y) {
        const QRgb *line = rows[y];
        QRgb *target = writableRow(out, y);
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            target[x] = qRgb(balanced(qRed(p), midN, redN), balanced(qGreen(p), midN, greenN),
                             balanced(qBlue(p), midN, blueN));
        }
    }
    return out;
}

} // namespace effects
