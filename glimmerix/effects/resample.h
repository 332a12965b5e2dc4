#ifndef GLIMMERIX_EFFECTS_RESAMPLE_H
#define GLIMMERIX_EFFECTS_RESAMPLE_H

#include <QImage>
#include <QSize>

namespace effects {

// The largest image the resampling produces: 2^28 pixels (1 GiB at 32 bits).
constexpr qint64 maxResampledPixels = qint64(1) << 28;

// The whole percentage a zoom value stands for: truncated toward zero, limited to
// the int range, 0 for a value that is not a number (compared before the cast).
int wholePercent(double percent);

// The size a resampling by a whole percentage gives: (W * percent) / 100 and
// (H * percent) / 100, truncated. Computed without overflow; a negative percent
// gives an empty size, and a side beyond the int range is saturated to INT_MAX
// (a size that resampleAllowed() refuses).
QSize resampledSize(QSize source, int percent);

// True when resampledSize(source, percent) is a size the resampling will make:
// neither side 0 and at most maxResampledPixels pixels.
bool resampleAllowed(QSize source, int percent);

// Resamples the whole picture to resampledSize(source, percent) with four-neighbour
// interpolation whose neighbours are clamped into the source (never black of its
// own): destination (j, i) samples (j / tw, i / th) with tw = (nw-1)/(W-1),
// th = (nh-1)/(H-1). Result: RGB32, or a null image when the size is not allowed
// or cannot be allocated. A source one pixel wide (high) is sampled at its only
// column (row); a result one pixel wide (high) samples source column (row) 0.
QImage resample(const QImage &source, int percent);

} // namespace effects

#endif
