#include "reference.h"

#include <cmath>

namespace reference {

QImage waves(const QImage &source, double waveLength, double amplitude)
{
    const double dl = waveLength;
    const double amp = amplitude;
    const int width = source.width();
    const int height = source.height();
    QImage temp(width, height, QImage::Format_RGB32);

    for (int i = 0; i < width; ++i) {
        for (int j = 0; j < height; ++j) {
            const double a = (double(2 * i) * 1.5707963267948966) / dl;
            const double b = (double(2 * j) * 1.5707963267948966) / dl;
            const double xtemp = std::sin(a) * amp + i;
            const double ytemp = std::sin(b) * amp + j;
            temp.setPixel(i, j, fourNeighbourSample(source, xtemp, ytemp));
        }
    }
    return temp;
}

} // namespace reference
