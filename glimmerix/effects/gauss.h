#ifndef GLIMMERIX_EFFECTS_GAUSS_H
#define GLIMMERIX_EFFECTS_GAUSS_H

#include "parameter.h"

#include <QImage>
#include <QVector>

namespace effects {

// The standard deviation the editor offers, and the one its sharpening blurs with.
constexpr Parameter<double> gaussSigma{0.01, 5.0, 0.01, 1.0};
constexpr double sharpenBlurSigma = 0.7;

// Half-width N of the Gaussian window for standard deviation sigma:
// trunc(float(3 * sigma) + 1), limited to 0..maxGaussHalfWidth (a sigma that is
// not a positive finite number gives the one-tap window).
constexpr int maxGaussHalfWidth = 1000;
int gaussHalfWidth(double sigma);

// The 2N + 1 unnormalised weights: index d + N holds the weight at distance d,
// the centre is exactly 1, a side weight is 1 / exp(d^2 / (2 sigma sigma)), which
// is exactly 0 where the exponential overflows (sigma 0.01 and 0.02).
QVector<double> gaussWindow(double sigma);

// The direction of one pass: along the rows (taps run along x) or the columns.
enum class BlurAxis { Rows, Columns };

// Both passes: rows first, then columns. Result: RGB32.
QImage gaussBlur(const QImage &source, double sigma);

// One pass of the separable convolution over the whole image with the 2N + 1
// weights of window (an empty or even-sized window copies). Every channel of the
// pixel at position j of a line becomes trunc((sum of c[j+k] w[k]) / (sum of
// w[k])), limited to 0..255, over the taps k inside the line, both sums in
// ascending k. Reads the source as pixel() does. Result: RGB32. The lines run in
// parallel and in vectors of pixels; each pixel still adds its own products in
// ascending tap order, so the result never depends on the thread count or the
// instruction set.
QImage gaussPass(const QImage &source, const QVector<double> &window, BlurAxis axis);

// The editor's wash slot, as an adapter over the same pass: reads source and
// writes target, which should be an RGB32 image of the same size (one of another
// size or format is replaced by a new one, and so is one that shares its pixels
// when every pixel is to be written). alongRows: lines are rows, otherwise
// columns. lines and length are the number of lines and their length, limited to
// the image; only those pixels are written. window holds 2 halfWidth + 1 weights
// (a null window or a negative halfWidth copies).
void wash(const QImage &source, QImage &target, int lines, int length, int halfWidth,
          const double *window, bool alongRows);

} // namespace effects

#endif
