// Gaussian blur: one window of 2N + 1 weights, a pass along the rows and then a
// pass along the columns, each pixel written with setPixel().

#include "reference.h"

#include "channel.h"

#include <cmath>
#include <vector>

namespace reference {

namespace {

constexpr int maxHalfWidth = 1000;

int halfWidthFor(double sigma)
{
    if (std::isnan(sigma) || sigma <= 0 || std::isinf(sigma))
        return 0;
    if (3 * sigma >= maxHalfWidth)
        return maxHalfWidth;
    const float n = float(3 * sigma) + 1;
    if (n >= maxHalfWidth)
        return maxHalfWidth;
    return int(n);
}

int truncated(double value)
{
    return effects::truncLimited(value);
}

// koef1 lines of length koef2; a: the lines are rows.
void wash(const QImage &curImage, QImage &temp, int koef1, int koef2, int N,
          const double *wind, bool a)
{
    for (int i = 0; i < koef1; ++i) {
        for (int j = 0; j < koef2; ++j) {
            double red = 0, green = 0, blue = 0, sum = 0;
            for (int k = -N; k <= N; ++k) {
                if (0 <= j + k && j + k < koef2) {
                    const QRgb p = a ? curImage.pixel(j + k, i) : curImage.pixel(i, j + k);
                    red += qRed(p) * wind[k + N];
                    green += qGreen(p) * wind[k + N];
                    blue += qBlue(p) * wind[k + N];
                }
            }
            for (int k = -N; k <= N; ++k)
                if (0 <= j + k && j + k < koef2)
                    sum += wind[k + N];
            const QRgb out = qRgb(truncated(red / sum), truncated(green / sum), truncated(blue / sum));
            if (a)
                temp.setPixel(j, i, out);
            else
                temp.setPixel(i, j, out);
        }
    }
}

} // namespace

QImage gaussBlur(const QImage &source, double sigma)
{
    const int N = halfWidthFor(sigma);
    std::vector<double> wind(2 * N + 1);
    for (int i = 2 * N; i >= 0; --i) {
        if (i >= N) {
            const double t = (double(N - i) * double(i - N)) / (2 * sigma * sigma);
            if (i == N)
                wind[i] = 1; // exp(0); also where 2 sigma sigma is 0 and t is 0 / 0
            else if (t >= 0)
                wind[i] = std::exp(t);
            else
                wind[i] = 1 / std::exp(-t);
        } else {
            wind[i] = wind[2 * N - i];
        }
    }

    QImage curImage = source;
    QImage temp(source.width(), source.height(), QImage::Format_RGB32);
    wash(curImage, temp, curImage.height(), curImage.width(), N, wind.data(), true);
    curImage = temp;
    wash(curImage, temp, curImage.width(), curImage.height(), N, wind.data(), false);
    curImage = temp;
    return curImage;
}

} // namespace reference
