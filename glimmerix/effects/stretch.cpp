#include "stretch.h"

#include "brightness.h"
#include "pixelrows.h"

namespace effects {

namespace {

// trunc of (value - min) * factor, limited to 0..255 first; NaN (0 times an
// infinite factor) gives 0.
inline int stretched(int value, int min, double factor)
{
    const double v = (value - min) * factor;
    if (v > 255)
        return 255;
    if (!(v > 0))
        return 0;
    return static_cast<int>(v);
}

} // namespace

void extension(const QImage &source, QImage &target, int channels)
{
    // Everything below reads `in` only: target may be the source image itself.
    const PixelRows in(source);
    const int width = in.width();
    const int height = in.height();
    if (target.format() != QImage::Format_RGB32 || target.size() != QSize(width, height))
        target = newRgb32(width, height);
    if (target.isNull())
        return;

    if (channels < StretchBrightness || channels > StretchRed) {
        for (int y = 0; y < height; ++y) {
            const QRgb *line = in.row(y);
            QRgb *out = writableRow(target, y);
            for (int x = 0; x < width; ++x)
                out[x] = line[x] | 0xff000000u;
        }
        return;
    }

    int hist[256] = {};
    for (int y = 0; y < height; ++y) {
        const QRgb *line = in.row(y);
        switch (channels) {
        case StretchBrightness:
            for (int x = 0; x < width; ++x)
                ++hist[brightness(line[x])];
            break;
        case StretchBlue:
            for (int x = 0; x < width; ++x)
                ++hist[qBlue(line[x])];
            break;
        case StretchGreen:
            for (int x = 0; x < width; ++x)
                ++hist[qGreen(line[x])];
            break;
        default:
            for (int x = 0; x < width; ++x)
                ++hist[qRed(line[x])];
            break;
        }
    }
    int min = 0;
    while (min < 255 && hist[min] == 0)
        ++min;
    int max = 255;
    while (max > 0 && hist[max] == 0)
        --max;
    const double factor = 255 / double(max - min); // infinite for a range of 0

    // The mapping depends on the value alone.
    int map[256];
    for (int v = 0; v < 256; ++v)
        map[v] = stretched(v, min, factor);

    for (int y = 0; y < height; ++y) {
        const QRgb *line = in.row(y);
        QRgb *out = writableRow(target, y);
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            const int red = qRed(p), green = qGreen(p), blue = qBlue(p);
            switch (channels) {
            case StretchBrightness:
                out[x] = qRgb(map[red], map[green], map[blue]);
                break;
            case StretchBlue:
                out[x] = qRgb(red, green, map[blue]);
                break;
            case StretchGreen:
                out[x] = qRgb(red, map[green], blue);
                break;
            default:
                out[x] = qRgb(map[red], green, blue);
                break;
            }
        }
    }
}

QImage linearStretch(const QImage &source)
{
    QImage target = newRgb32(source.width(), source.height());
    extension(source, target, StretchBrightness);
    return target;
}

QImage channelStretch(const QImage &source)
{
    QImage target = newRgb32(source.width(), source.height());
    extension(source, target, StretchBlue);
    QImage previous = target;
    extension(previous, target, StretchGreen);
    previous = target;
    extension(previous, target, StretchRed);
    return target;
}

} // namespace effects
