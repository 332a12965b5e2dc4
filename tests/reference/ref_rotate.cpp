#include "reference.h"

#include <cmath>

namespace reference {

QImage rotateAboutCentre(const QImage &source, double requestedDegrees, double appliedDegrees)
{
    const double koef = requestedDegrees;
    const double k = koef - appliedDegrees;
    const double rCos = std::cos(k * 0.017453292519943295);
    const double rSin = std::sin(k * 1.5707963267948966 / 90);
    const int width = source.width();
    const int height = source.height();
    QImage temp(width, height, QImage::Format_RGB32);
    const int crotx = (width - 1) / 2;
    const int croty = (height - 1) / 2;

    for (int i = 0; i < width; ++i) {
        for (int j = 0; j < height; ++j) {
            if (i == crotx && j == croty) {
                temp.setPixel(i, j, source.pixel(i, j));
                continue;
            }
            const double dx = i - crotx;
            const double dy = croty - j;
            const double xtemp = dx * rCos - dy * rSin + crotx;
            const double ytemp = croty - dx * rSin - dy * rCos;
            temp.setPixel(i, j, fourNeighbourSample(source, xtemp, ytemp));
        }
    }
    return temp;
}

} // namespace reference
