#include "gauss.h"

#include "pixelrows.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace effects {

namespace {

// A channel mean of the window: trunc(value). With a proper window (non-negative
// weights, centre 1) the value lies in 0..255 already; anything else (NaN from a
// degenerate window) is limited here so that the conversion is always defined.
inline int channelOf(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= 255)
        return 255;
    return static_cast<int>(value);
}

} // namespace

int gaussHalfWidth(double sigma)
{
    if (!(sigma > 0) || !std::isfinite(sigma))
        return 0;
    const double triple = 3 * sigma;
    if (triple >= maxGaussHalfWidth)
        return maxGaussHalfWidth;
    // 3 sigma is rounded to single precision before the 1 is added.
    const float halfWidth = static_cast<float>(triple) + 1.0f;
    if (halfWidth >= static_cast<float>(maxGaussHalfWidth))
        return maxGaussHalfWidth;
    return static_cast<int>(halfWidth);
}

QVector<double> gaussWindow(double sigma)
{
    const int n = gaussHalfWidth(sigma);
    QVector<double> window(2 * n + 1);
    const double denominator = 2 * sigma * sigma;
    for (int i = 2 * n; i >= 0; --i) {
        if (i >= n) {
            const double t = (double(n - i) * double(i - n)) / denominator;
            if (t >= 0)
                window[i] = std::exp(t);
            else if (t < 0)
                window[i] = 1 / std::exp(-t);
            else
                window[i] = 1; // the centre's 0 / 0 when 2 sigma sigma underflows to 0
        } else {
            window[i] = window[2 * n - i];
        }
    }
    return window;
}

void wash(const QImage &source, QImage &target, int lines, int length, int halfWidth,
          const double *window, bool alongRows)
{
    const PixelRows in(source);
    const int width = in.width();
    const int height = in.height();
    if (target.format() != QImage::Format_RGB32 || target.size() != QSize(width, height))
        target = newRgb32(width, height);
    if (target.isNull())
        return;

    static const double identity = 1;
    if (window == nullptr || halfWidth < 0) {
        window = &identity;
        halfWidth = 0;
    }
    const double *centre = window + halfWidth; // centre[k]: the weight at distance k
    lines = std::clamp(lines, 0, alongRows ? height : width);
    length = std::clamp(length, 0, alongRows ? width : height);

    // Taps k from first[j] to last[j] lie inside the line; sums[j] adds their
    // weights in ascending k, exactly as each output pixel does.
    std::vector<int> first(length), last(length);
    std::vector<double> sums(length);
    for (int j = 0; j < length; ++j) {
        first[j] = std::max(-halfWidth, -j);
        last[j] = std::min(halfWidth, length - 1 - j);
        double sum = 0;
        for (int k = first[j]; k <= last[j]; ++k)
            sum += centre[k];
        sums[j] = sum;
    }

    if (alongRows) {
        for (int i = 0; i < lines; ++i) {
            const QRgb *line = in.row(i);
            QRgb *out = writableRow(target, i);
            for (int j = 0; j < length; ++j) {
                double red = 0, green = 0, blue = 0;
                for (int k = first[j]; k <= last[j]; ++k) {
                    const QRgb p = line[j + k];
                    red += qRed(p) * centre[k];
                    green += qGreen(p) * centre[k];
                    blue += qBlue(p) * centre[k];
                }
                out[j] = qRgb(channelOf(red / sums[j]), channelOf(green / sums[j]),
                              channelOf(blue / sums[j]));
            }
        }
        return;
    }

    // Columns: output row j is built for all columns at once; every pixel still
    // accumulates its taps in ascending k, so the sums are the same as column by column.
    std::vector<double> red(lines), green(lines), blue(lines);
    for (int j = 0; j < length; ++j) {
        std::fill(red.begin(), red.end(), 0.0);
        std::fill(green.begin(), green.end(), 0.0);
        std::fill(blue.begin(), blue.end(), 0.0);
        for (int k = first[j]; k <= last[j]; ++k) {
            const QRgb *line = in.row(j + k);
            const double weight = centre[k];
            for (int i = 0; i < lines; ++i) {
                const QRgb p = line[i];
                red[i] += qRed(p) * weight;
                green[i] += qGreen(p) * weight;
                blue[i] += qBlue(p) * weight;
            }
        }
        QRgb *out = writableRow(target, j);
        const double sum = sums[j];
        for (int i = 0; i < lines; ++i)
            out[i] = qRgb(channelOf(red[i] / sum), channelOf(green[i] / sum),
                          channelOf(blue[i] / sum));
    }
}

QImage gaussBlur(const QImage &source, double sigma)
{
    const QVector<double> window = gaussWindow(sigma);
    const int halfWidth = (window.size() - 1) / 2;
    QImage rows = newRgb32(source.width(), source.height());
    wash(source, rows, source.height(), source.width(), halfWidth, window.constData(), true);
    QImage columns = newRgb32(rows.width(), rows.height());
    wash(rows, columns, rows.width(), rows.height(), halfWidth, window.constData(), false);
    return columns;
}

} // namespace effects
