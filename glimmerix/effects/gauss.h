#ifndef GLIMMERIX_EFFECTS_GAUSS_H
#define GLIMMERIX_EFFECTS_GAUSS_H

#include <QImage>
#include <QVector>

namespace effects {

// Half-width N of the Gaussian window for standard deviation sigma:
// trunc(float(3 * sigma) + 1), limited to 0..maxGaussHalfWidth (a sigma that is
// not a positive finite number gives the one-tap window).
constexpr int maxGaussHalfWidth = 1000;
int gaussHalfWidth(double sigma);

// The 2N + 1 unnormalised weights: index d + N holds the weight at distance d,
// the centre is exactly 1, a side weight is 1 / exp(d^2 / (2 sigma sigma)), which
// is exactly 0 where the exponential overflows (sigma 0.01 and 0.02).
QVector<double> gaussWindow(double sigma);

// One pass of the separable convolution. Reads source (any format, as pixel()
// reads it) and writes target, which must be an RGB32 image of the same size.
// alongRows: lines are rows (taps run along x), otherwise columns. lines and
// length are the number of lines and their length (limited to the image);
// taps outside the line are left out and the sum divides by the weights used.
// window holds 2 halfWidth + 1 weights (a null window or a negative halfWidth
// copies). A target of another size or format is replaced by a new RGB32 image, and
// so is one that shares its pixels when every pixel is to be written.
// The lines run in parallel and in vectors of pixels; each pixel still adds its own
// products in ascending tap order, so the result never depends on the thread count
// or the instruction set.
void wash(const QImage &source, QImage &target, int lines, int length, int halfWidth,
          const double *window, bool alongRows);

// Both passes: rows first, then columns. Result: RGB32.
QImage gaussBlur(const QImage &source, double sigma);

} // namespace effects

#endif
