#ifndef GLIMMERIX_EFFECTS_WAVES_H
#define GLIMMERIX_EFFECTS_WAVES_H

#include "parameter.h"

#include <QImage>

namespace effects {

// The wave length and amplitude the editor offers (its labels say 10, its boxes
// allow 100). The editor refuses a wave length of 0.
constexpr Parameter<double> waveLength{0.0, 100.0, 0.01, 0.0};
constexpr Parameter<double> waveAmplitude{0.0, 100.0, 0.01, 0.0};

// Sinusoidal displacement along both axes: the destination pixel (x, y) is the
// four-neighbour sample at (sin(2x*(pi/2)/waveLength)*amplitude + x,
// sin(2y*(pi/2)/waveLength)*amplitude + y). A wave length of 0 leaves no finite
// source point, so every pixel is black. Result: RGB32.
QImage waves(const QImage &source, double waveLength, double amplitude);

} // namespace effects

#endif
