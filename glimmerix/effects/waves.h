#ifndef GLIMMERIX_EFFECTS_WAVES_H
#define GLIMMERIX_EFFECTS_WAVES_H

#include <QImage>

namespace effects {

// Sinusoidal displacement along both axes: the destination pixel (x, y) is the
// four-neighbour sample at (sin(2x*(pi/2)/waveLength)*amplitude + x,
// sin(2y*(pi/2)/waveLength)*amplitude + y). A wave length of 0 leaves no finite
// source point, so every pixel is black. Result: RGB32.
QImage waves(const QImage &source, double waveLength, double amplitude);

} // namespace effects

#endif
