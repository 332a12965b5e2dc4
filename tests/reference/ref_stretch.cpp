// Linear contrast stretch of one quantity (brightness, blue, green or red).

#include "reference.h"

#include "brightness.h"
#include "channel.h"

namespace reference {

namespace {

int limitedTrunc(double v)
{
    return effects::truncLimited(v);
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
                hist[effects::brightness(p)]++;
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
