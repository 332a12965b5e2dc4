#ifndef GLIMMERIX_EFFECTS_SHARPEN_H
#define GLIMMERIX_EFFECTS_SHARPEN_H

#include "parameter.h"

#include <QImage>

namespace effects {

// The strength the editor offers (it blurs with gauss.h's sharpenBlurSigma first).
constexpr Parameter<double> sharpenStrength{0.0, 3.0, 0.01, 0.0};

// Whether an image of this format stores every opaque colour qRgb(r, g, b) exactly,
// so that pixel() gives back the very word that was written: the 32-bit, 24-bit,
// 30-bit, 64-bit and floating-point RGB formats. Indexed, gray, 1-bit and 16-bit
// or 18-bit formats do not.
bool holdsEveryOpaqueColour(QImage::Format format);

// Unsharp masking: every channel becomes O + (O - B) * strength, rounded (halves
// away from zero) and limited to 0..255 (NaN gives 0), O from original and B from
// blurred, both read as pixel() reads them. blurred should have the original's
// size; where it has no pixel, B is taken as O. The result has the original's size
// and keeps its format when holdsEveryOpaqueColour(format), and is RGB32
// otherwise; every pixel() of it is qRgb(r, g, b), alpha 255. Rows run in parallel,
// pixels in vectors, each channel through the scalar steps exactly.
QImage sharpen(const QImage &original, const QImage &blurred, double strength);

} // namespace effects

#endif
