#ifndef GLIMMERIX_EFFECTS_ROTATE_H
#define GLIMMERIX_EFFECTS_ROTATE_H

#include "parameter.h"

#include <QImage>

namespace effects {

// The angle the editor offers, in degrees (the box's default step of 1).
constexpr Parameter<double> rotationDegrees{-180.0, 180.0, 1.0, 0.0};

// Turns the picture about its centre pixel inside a canvas of unchanged size by
// requestedDegrees - appliedDegrees (positive: clockwise on screen), sampling the
// source with the four-neighbour sample. The centre pixel is copied. Result: RGB32.
QImage rotateAboutCentre(const QImage &source, double requestedDegrees, double appliedDegrees);

} // namespace effects

#endif
