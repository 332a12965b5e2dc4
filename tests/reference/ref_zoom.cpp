#include "reference.h"

namespace reference {

QImage zoomAboutCentre(const QImage &source, double requestedPercent, double appliedPercent)
{
    const double koef = requestedPercent;
    const double k = double(static_cast<float>(koef)) / appliedPercent;
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
            const double xtemp = crotx + (i - crotx) / k;
            const double ytemp = croty - (croty - j) / k;
            temp.setPixel(i, j, fourNeighbourSample(source, xtemp, ytemp));
        }
    }
    return temp;
}

} // namespace reference
