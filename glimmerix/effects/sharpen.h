#ifndef GLIMMERIX_EFFECTS_SHARPEN_H
#define GLIMMERIX_EFFECTS_SHARPEN_H

#include <QImage>

namespace effects {

// Unsharp masking: every channel becomes O + (O - B) * strength, rounded (halves
// away from zero) and limited to 0..255, O from original and B from blurred (the
// same size). The result keeps the original's format when that format holds
// every opaque 8-bit colour exactly, and is RGB32 otherwise; alpha is 255.
QImage sharpen(const QImage &original, const QImage &blurred, double strength);

} // namespace effects

#endif
