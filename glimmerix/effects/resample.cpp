// Resampling to (W * percent) / 100 x (H * percent) / 100: destination (j, i)
// blends the four neighbours of (j / tw, i / th), tw = (nw-1)/(W-1) and
// th = (nh-1)/(H-1), clamped into the source, with the resampling's order of the
// weights (fourNeighbourBlend(), WeightOrder::Resample). axisSamples() gives the
// neighbours once per column and row; blendSeparableRow() blends the rows.

#include "resample.h"

#include "fourneighbourrows.h"
#include "parallel.h"
#include "pixelrows.h"

#include <cmath>
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

// The positions along one axis, as the two neighbours and the fraction toward the
// second: d / ((resultSize-1) / (sourceSize-1)), truncated, the truncated index
// clamped so that both neighbours lie in the source (the last column gets
// sourceSize-2 with fraction 1). A source of one pixel is sampled at that pixel; a
// result of one pixel from a wider source at position 0 (the formula's 0/0). Every
// division that can give NaN or infinity is left out, so no such value reaches a
// cast. Every position is inside.
std::vector<AxisNeighbours> axisSamples(int sourceSize, int resultSize)
{
    AxisNeighbours first;
    first.inside = true;
    std::vector<AxisNeighbours> samples(size_t(resultSize), first);
    if (sourceSize == 1)
        return samples;
    if (resultSize == 1) {
        samples[0].upper = 1;
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
        AxisNeighbours &sample = samples[size_t(d)];
        sample.lower = index;
        sample.upper = index + 1;
        sample.fraction = position - index;
    }
    return samples;
}

} // namespace

int wholePercent(double percent)
{
    if (std::isnan(percent))
        return 0;
    if (percent >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (percent <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return int(percent);
}

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

    const SeparableColumns columns(axisSamples(source.width(), size.width()));
    const std::vector<AxisNeighbours> rowSamples = axisSamples(source.height(), size.height());

    // Rows in parallel: every output pixel is computed alone, in the same way. The
    // fractions lie in [0, 1] up to rounding, so every channel's sum stays within
    // (-1, 256), where truncation and the blend's limits to 0..255 agree.
    uchar *bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    parallelFor(size.height(), 16, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const AxisNeighbours &along = rowSamples[size_t(i)];
            blendSeparableRow(rows.row(along.lower), rows.row(along.upper), columns, along.fraction,
                              WeightOrder::Resample, reinterpret_cast<QRgb *>(bits + i * stride));
        }
    });
    return result;
}

} // namespace effects
