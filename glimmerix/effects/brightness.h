#ifndef GLIMMERIX_EFFECTS_BRIGHTNESS_H
#define GLIMMERIX_EFFECTS_BRIGHTNESS_H

#include <QRgb>
#include <cmath>

namespace effects {

// Brightness of a pixel, 0 to 255: (0.2125 R + 0.7154 G) + 0.0721 B in double
// precision, in that order, rounded to nearest with halves away from zero.
// A gray pixel R = G = B = v has brightness v.
inline int brightness(QRgb pixel)
{
    const double value = (0.2125 * qRed(pixel) + 0.7154 * qGreen(pixel)) + 0.0721 * qBlue(pixel);
    return static_cast<int>(std::round(value));
}

} // namespace effects

#endif
