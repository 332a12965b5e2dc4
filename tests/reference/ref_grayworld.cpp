// Gray-world balance, each pixel read with pixel() and written with setPixel().

#include "reference.h"

#include "channel.h"

namespace reference {

namespace {

int balanced(int value, double midN, double mean)
{
    if (mean == 0)
        return 0;
    return effects::truncLimited((value * midN) / mean);
}

} // namespace

QImage grayWorld(const QImage &source)
{
    const int N = source.width() * source.height();
    double redN = 0, greenN = 0, blueN = 0;
    QImage temp(source.width(), source.height(), QImage::Format_RGB32);
    for (int i = 0; i < source.width(); ++i) {
        for (int j = 0; j < source.height(); ++j) {
            const QRgb p = source.pixel(i, j);
            redN += double(qRed(p)) / N;
            greenN += double(qGreen(p)) / N;
            blueN += double(qBlue(p)) / N;
        }
    }
    const float s = float(redN + greenN + blueN);
    const double midN = double(s) / 3;
    for (int i = 0; i < source.width(); ++i) {
        for (int j = 0; j < source.height(); ++j) {
            const QRgb p = source.pixel(i, j);
            temp.setPixel(i, j, qRgb(balanced(qRed(p), midN, redN),
                                     balanced(qGreen(p), midN, greenN),
                                     balanced(qBlue(p), midN, blueN)));
        }
    }
    return temp;
}

} // namespace reference
