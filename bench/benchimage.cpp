#include "benchimage.h"

#include <QtGlobal>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A small fixed generator, so that the picture is the same on every machine.
struct XorShift
{
    std::uint64_t state = 0x9e3779b97f4a7c15ull;
    std::uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return std::uint32_t(state >> 32);
    }
};

int clamp255(double v)
{
    if (!(v > 0))
        return 0;
    if (v > 255)
        return 255;
    return int(v);
}

} // namespace

QImage benchPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const double pi = 3.141592653589793;
    // Gradients built from one table per axis: a slow wave across, a ramp down.
    std::vector<double> across(width), down(height);
    for (int x = 0; x < width; ++x)
        across[x] = std::sin(2 * pi * x / qMax(1, width - 1) * 1.5);
    for (int y = 0; y < height; ++y)
        down[y] = double(y) / qMax(1, height - 1);

    XorShift random;
    for (int y = 0; y < height; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double fy = down[y];
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / qMax(1, width - 1);
            double r = 128 + 90 * across[x] * (1 - fy);
            double g = 40 + 180 * fy;
            double b = 200 - 150 * fx * fy;
            // Hard edges: a dark frame on the left, a bright disc, a saturated band.
            const double dx = fx - 0.62, dy = fy - 0.4;
            if (dx * dx + dy * dy < 0.03) {
                r = 250;
                g = 235 + 20 * fx;
                b = 60;
            } else if (fx < 0.12 && fy > 0.2 && fy < 0.8) {
                r = g = b = 0;
            } else if (fy > 0.85 && fx > 0.3) {
                r = 255;
                g = 255 * fx;
                b = 0;
            }
            // Fine noise everywhere except on the flat black frame.
            if (r + g + b > 0) {
                const std::uint32_t n = random.next();
                r += int(n & 15) - 7.5;
                g += int((n >> 4) & 15) - 7.5;
                b += int((n >> 8) & 15) - 7.5;
            }
            row[x] = qRgb(clamp255(r), clamp255(g), clamp255(b));
        }
    }
    return image;
}
