#ifndef GLIMMERIX_TESTS_REFERENCE_H
#define GLIMMERIX_TESTS_REFERENCE_H

// The effects in their plainest exact form: every pixel read with pixel() and
// written with setPixel(), double precision in the written order, one thread.
// Kept for the tests only, as the yardstick of the library's faster code.

#include <QImage>

namespace reference {

QRgb fourNeighbourSample(const QImage &source, double xtemp, double ytemp);
QImage zoomAboutCentre(const QImage &source, double requestedPercent, double appliedPercent);
QImage rotateAboutCentre(const QImage &source, double requestedDegrees, double appliedDegrees);
QImage waves(const QImage &source, double waveLength, double amplitude);
QImage resample(const QImage &source, int percent);
QImage gaussBlur(const QImage &source, double sigma);
QImage median(const QImage &source, int size);
QImage sharpen(const QImage &original, const QImage &blurred, double strength);
QImage grayWorld(const QImage &source);
QImage extension(const QImage &source, int channels);

} // namespace reference

#endif
