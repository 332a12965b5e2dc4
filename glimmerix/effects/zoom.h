#ifndef GLIMMERIX_EFFECTS_ZOOM_H
#define GLIMMERIX_EFFECTS_ZOOM_H

#include "parameter.h"

#include <QImage>

namespace effects {

// The zoom the editor offers, in percent, for the zoom about the centre and the
// resampling alike; the applied zoom starts at 100 as well.
constexpr Parameter<double> zoomPercent{1.0, 10000.0, 0.01, 100.0};

// Zoom about the centre pixel ((W-1)/2, (H-1)/2) inside a canvas of unchanged size.
// requestedPercent is the total zoom asked for, appliedPercent the zoom already
// applied; the factor is double(float(requestedPercent)) / appliedPercent. The
// centre pixel is copied; every other destination pixel (i, j) is the
// four-neighbour sample at (cx + (i-cx)/k, cy - (cy-j)/k). Result: RGB32.
QImage zoomAboutCentre(const QImage &source, double requestedPercent, double appliedPercent);

} // namespace effects

#endif
