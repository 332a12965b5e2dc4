// Linear contrast stretch of one quantity (brightness, blue, green or red).

#include "reference.h"

#include <cmath>

namespace reference {

namespace {

int limitedTrunc(double v)
{
    if (v > 255)
        v = 255;
    if (v < 0)
        v = 0;
    if (std::isnan(v))
        return 0;
    return int(std::trunc(v));
}

} // namespace

QImage extension(const QImage &source, int channels)
{
    QImage temp(source.width(), source.height(), QImage::Format_RGB32);
    int hist[256];
    for (int k = 0; k < 256; ++k)
        hist[k] = 0;
    for (int i = 0; i < source.height(); ++i) {
        for (int j = 0; j < source.width(); ++j) {
            const QRgb p = source.pixel(j, i);
            if (channels == 0) {
                const int tmp2 = int(std::round((0.2125 * qRed(p) + 0.7154 * qGreen(p)) + 0.0721 * qBlue(p)));
                hist[tmp2]++;
            } else if (channels == 1) {
                hist[qBlue(p)]++;
            } else if (channels == 2) {
                hist[qGreen(p)]++;
            } else if (channels == 3) {
                hist[qRed(p)]++;
            }
        }
    }
    int k = 0;
    while (k < 255 && hist[k] == 0)
        ++k;
    const int min = k;
    k = 255;
    while (k > 0 && hist[k] == 0)
        --k;
    const int max = k;
    const double tmp1 = 255 / double(max - min);

    for (int i = 0; i < source.height(); ++i) {
        for (int j = 0; j < source.width(); ++j) {
            const QRgb p = source.pixel(j, i);
            const int red = qRed(p), green = qGreen(p), blue = qBlue(p);
            const double tmp3 = (red - min) * tmp1;
            const double tmp4 = (green - min) * tmp1;
            const double tmp5 = (blue - min) * tmp1;
            QRgb out;
            switch (channels) {
            case 0: out = qRgb(limitedTrunc(tmp3), limitedTrunc(tmp4), limitedTrunc(tmp5)); break;
            case 1: out = qRgb(red, green, limitedTrunc(tmp5)); break;
            case 2: out = qRgb(red, limitedTrunc(tmp4), blue); break;
            case 3: out = qRgb(limitedTrunc(tmp3), green, blue); break;
            default: out = qRgb(red, green, blue); break;
            }
            temp.setPixel(j, i, out);
        }
    }
    return temp;
}

} // namespace reference
