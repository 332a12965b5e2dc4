#include "resample.h"

#include "parallel.h"
#include "pixelrows.h"

#include <limits>
#include <vector>

namespace effects {

namespace {

// One side of the new size, saturated to the int range.
int resampledSide(int side, int percent)
{
    if (side <= 0 || percent <= 0)
        return 0;
    const qint64 scaled = qint64(side) * percent / 100; // at most 2^62 / 100
    return scaled > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                     : int(scaled);
}

// Where one destination column (row) d samples the source along that axis: the
// two neighbours and the fraction toward the second.
struct AxisSample
{
    int lower;
    int upper;
    double fraction;
};

// The positions along one axis: d / ((resultSize-1) / (sourceSize-1)), truncated,
// the truncated index clamped so that both neighbours lie in the source (the last
// column gets sourceSize-2 with fraction 1). A source of one pixel is sampled at
// that pixel; a result of one pixel from a wider source at position 0 (the
// formula's 0/0). Every division that can give NaN or infinity is left out, so no
// such value reaches a cast.
std::vector<AxisSample> axisSamples(int sourceSize, int resultSize)
{
    std::vector<AxisSample> samples(size_t(resultSize), AxisSample{0, 0, 0.0});
    if (sourceSize == 1)
        return samples;
    if (resultSize == 1) {
        samples[0] = AxisSample{0, 1, 0.0};
        return samples;
    }
    const double ratio = double(resultSize - 1) / (sourceSize - 1);
    for (int d = 0; d < resultSize; ++d) {
        // 0 <= position <= sourceSize - 1 up to rounding: the cast is safe.
        const double position = d / ratio;
        int index = int(position);
        if (index < 0)
            index = 0;
        else if (index >= sourceSize - 1)
            index = sourceSize - 2;
        samples[size_t(d)] = AxisSample{index, index + 1, position - index};
    }
    return samples;
}

} // namespace

QSize resampledSize(QSize source, int percent)
{
    return QSize(resampledSide(source.width(), percent), resampledSide(source.height(), percent));
}

bool resampleAllowed(QSize source, int percent)
{
    const QSize size = resampledSize(source, percent);
    return size.width() > 0 && size.height() > 0
        && qint64(size.width()) * size.height() <= maxResampledPixels;
}

QImage resample(const QImage &source, int percent)
{
    if (!resampleAllowed(source.size(), percent))
        return QImage();
    const PixelRows rows(source);
    if (rows.width() != source.width() || rows.height() != source.height())
        return QImage(); // the source could not be read
    const QSize size = resampledSize(source.size(), percent);
    QImage result = newRgb32(size.width(), size.height());
    if (result.isNull())
        return result;

    const std::vector<AxisSample> columns = axisSamples(source.width(), size.width());
    const std::vector<AxisSample> rowSamples = axisSamples(source.height(), size.height());

    // Rows in parallel: every output pixel is computed alone, in the same way.
    uchar *bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    parallelFor(size.height(), 16, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const AxisSample &along = rowSamples[size_t(i)];
            const QRgb *rowHd = rows.row(along.lower);
            const QRgb *rowHd1 = rows.row(along.upper);
            const double hdr = along.fraction;
            const double oneMinusHdr = 1 - hdr;
            QRgb *out = reinterpret_cast<QRgb *>(bits + i * stride);
            for (int j = 0; j < size.width(); ++j) {
                const AxisSample &across = columns[size_t(j)];
                const double wdr = across.fraction;
                const double oneMinusWdr = 1 - wdr;
                const QRgb p00 = rowHd[across.lower];  // c(wd, hd)
                const QRgb p01 = rowHd1[across.lower]; // c(wd, hd+1)
                const QRgb p11 = rowHd1[across.upper]; // c(wd+1, hd+1)
                const QRgb p10 = rowHd[across.upper];  // c(wd+1, hd)
                // (c * w1) * w2, the terms added left to right; the fractions lie in
                // [0, 1] up to rounding, so the sum stays within (-1, 256).
                const auto blend = [&](int c00, int c01, int c11, int c10) {
                    return int(c00 * oneMinusWdr * oneMinusHdr + c01 * oneMinusWdr * hdr
                               + c11 * wdr * hdr + c10 * wdr * oneMinusHdr);
                };
                out[j] = qRgb(blend(qRed(p00), qRed(p01), qRed(p11), qRed(p10)),
                              blend(qGreen(p00), qGreen(p01), qGreen(p11), qGreen(p10)),
                              blend(qBlue(p00), qBlue(p01), qBlue(p11), qBlue(p10)));
            }
        }
    });
    return result;
}

} // namespace effects
