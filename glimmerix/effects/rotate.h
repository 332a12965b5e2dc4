#ifndef GLIMMERIX_EFFECTS_ROTATE_H
#define GLIMMERIX_EFFECTS_ROTATE_H

#include <QImage>

namespace effects {

// Turns the picture about its centre pixel inside a canvas of unchanged size by
// requestedDegrees - appliedDegrees (positive: clockwise on screen), sampling the
// source with the four-neighbour sample. The centre pixel is copied. Result: RGB32.
QImage rotateAboutCentre(const QImage &source, double requestedDegrees, double appliedDegrees);

} // namespace effects

#endif
