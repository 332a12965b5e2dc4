// Gray-world balance. The channel means are sums of value / N over all pixels,
// columns outer and rows inner (the order of the additions is part of the
// result); the gray level is double(float(meanR + meanG + meanB)) / 3, and every
// channel becomes
//
//   truncLimited((value * gray) / mean)   (0 where the mean is 0).
//
// balanced() is that formula; it depends on the value alone and is applied as a
// table of 256 per channel.

#include "grayworld.h"

#include "channel.h"
#include "parallel.h"
#include "progress.h"
#include "pixelrows.h"

#include <algorithm>
#include <vector>

namespace effects {

namespace {

// trunc((value * gray) / mean), limited to 255; 0 where the channel is empty.
// (truncLimited() compares before any conversion: a tiny mean can make the
// quotient far larger than an int holds.)
inline int balanced(int value, double gray, double mean)
{
    if (mean == 0)
        return 0;
    return truncLimited((value * gray) / mean);
}

struct ChannelSums
{
    double red = 0, green = 0, blue = 0;
};

// Adds quotient[value] of every channel of `columns` columns of 32-bit words to
// sums, column after column, top to bottom. Kept out of line: in the caller the
// sums live across calls, where the compiler keeps them in memory, and every
// addition would then wait for a store and a load as well.
[[gnu::noinline]] ChannelSums addColumns(ChannelSums sums, const uchar *first, qsizetype columnStep,
                                         qsizetype rowStep, int columns, int height,
                                         const double *quotient)
{
    double red = sums.red, green = sums.green, blue = sums.blue;
    for (int x = 0; x < columns; ++x) {
        const uchar *word = first + x * columnStep;
        for (int y = 0; y < height; ++y, word += rowStep) {
            const QRgb p = *reinterpret_cast<const QRgb *>(word);
            red += quotient[qRed(p)];
            green += quotient[qGreen(p)];
            blue += quotient[qBlue(p)];
        }
    }
    return {red, green, blue};
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
    // value / count for every channel value: the very quotient each term adds.
    double quotient[256];
    for (int v = 0; v < 256; ++v)
        quotient[v] = v / count;

    // The means, as running sums of value / count, columns outer and rows inner:
    // the order of these floating-point sums is part of the result, so this pass is
    // one chain of additions per channel (the three chains run side by side) on one
    // thread. A column of a large image spans more pages than the address caches
    // hold; there a strip of columns is first copied column by column into a small
    // buffer (in parallel), and the chains run through the buffer, column after
    // column as before.
    ProgressStages passes(2);
    passes.next();
    ChannelSums sums;
    const uchar *bits = reinterpret_cast<const uchar *>(in.row(0));
    const qsizetype stride = height > 1 ? reinterpret_cast<const uchar *>(in.row(1)) - bits : 0;
    if (stride * height <= (qsizetype(8) << 20)) {
        sums = addColumns(sums, bits, 4, stride, width, height, quotient);
    } else {
        const int strip = std::clamp(int((qsizetype(1) << 18) / height), 1, 64);
        std::vector<QRgb> columns(size_t(strip) * size_t(height));
        ProgressStages strips((width + strip - 1) / strip);
        for (int x0 = 0; x0 < width; x0 += strip) {
            if (stopRequested())
                return out;
            strips.next();
            const int x1 = std::min(width, x0 + strip);
            parallelFor(height, 256, [&](int begin, int end) {
                for (int y = begin; y < end; ++y) {
                    const QRgb *line = in.row(y);
                    for (int x = x0; x < x1; ++x)
                        columns[size_t(x - x0) * height + y] = line[x];
                }
            });
            sums = addColumns(sums, reinterpret_cast<const uchar *>(columns.data()),
                              qsizetype(height) * 4, 4, x1 - x0, height, quotient);
        }
    }
    const double redN = sums.red, greenN = sums.green, blueN = sums.blue;
    const float level = static_cast<float>((redN + greenN) + blueN);
    const double midN = static_cast<double>(level) / 3;

    // Each output channel depends on its input value alone: three tables of 256.
    uchar red[256], green[256], blue[256];
    for (int v = 0; v < 256; ++v) {
        red[v] = uchar(balanced(v, midN, redN));
        green[v] = uchar(balanced(v, midN, greenN));
        blue[v] = uchar(balanced(v, midN, blueN));
    }
    uchar *target = out.bits();
    const qsizetype targetStride = out.bytesPerLine();
    passes.next();
    parallelFor(height, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const QRgb *line = in.row(y);
            QRgb *row = reinterpret_cast<QRgb *>(target + y * targetStride);
            for (int x = 0; x < width; ++x) {
                const QRgb p = line[x];
                row[x] = 0xff000000u | (QRgb(red[qRed(p)]) << 16) | (QRgb(green[qGreen(p)]) << 8)
                    | QRgb(blue[qBlue(p)]);
            }
        }
    });
    return out;
}

} // namespace effects
