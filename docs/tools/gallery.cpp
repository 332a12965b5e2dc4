// Draws the README's sample photo and applies each of the ten effects to it with
// typical parameters, through the editor's own effects library.
//
//   glimmerix-gallery OUTPUT_DIR
//
// writes OUTPUT_DIR/sample.png and one PNG per effect (names below).

#include "gauss.h"
#include "grayworld.h"
#include "median.h"
#include "resample.h"
#include "rotate.h"
#include "sharpen.h"
#include "stretch.h"
#include "waves.h"
#include "zoom.h"

#include <QDir>
#include <QCoreApplication>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The size of the sample photo. The scene is laid out on a 384 x 288 plan and drawn at
// this size; the smaller it is, the smaller the committed pictures.
constexpr int sampleWidth = 288;
constexpr int sampleHeight = 216;
constexpr double planWidth = 384.0;
constexpr double planHeight = 288.0;

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

double smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

// Lattice value noise from an integer hash: deterministic, the same on every machine.
double lattice(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return double(h & 0xffffu) / 65535.0;
}

double valueNoise(double x, double y, std::uint32_t seed)
{
    // The lattice repeats every 2^16 cells; reducing first keeps the conversion to int
    // defined for any coordinate (a non-finite one counts as 0).
    auto cell = [](double v) {
        if (!std::isfinite(v))
            return 0.0;
        return std::floor(v) - 65536.0 * std::floor(v / 65536.0);
    };
    const double fx = std::isfinite(x) ? std::floor(x) : 0.0;
    const double fy = std::isfinite(y) ? std::floor(y) : 0.0;
    const int ix = int(cell(x));
    const int iy = int(cell(y));
    const double tx = smooth(x - fx);
    const double ty = smooth(y - fy);
    const double top = lattice(ix, iy, seed) + (lattice(ix + 1, iy, seed) - lattice(ix, iy, seed)) * tx;
    const double bottom = lattice(ix, iy + 1, seed) + (lattice(ix + 1, iy + 1, seed) - lattice(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

// Fractal noise, 0..1.
double fbm(double x, double y, std::uint32_t seed, int octaves)
{
    double sum = 0.0;
    double amplitude = 0.5;
    double norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x, y, seed + std::uint32_t(i) * 17u);
        norm += amplitude;
        x *= 2.0;
        y *= 2.0;
        amplitude *= 0.5;
    }
    return sum / norm;
}

// Height of a ridge line (in rows from the top) at column x.
double ridge(double x, double base, double height, double scale, std::uint32_t seed)
{
    return base - height * fbm(x / scale, 0.5, seed, 5);
}

// A channel value 0..255, rounded; limited before the conversion, NaN gives 0.
int channel(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return int(std::lround(v));
}

// A hazy lake at sunset: soft sky with clouds, the low sun, two ranges of hills, a
// pine wood on the shore, reflections in rippled water and a few birds. Its contrast is
// low and its colours lean warm, so the contrast stretches and the colour balance have
// something to do; the birds, the trees and the ripples are the fine detail that the
// blur, the median filter and the sharpening act on.
QImage drawSample()
{
    const int w = sampleWidth;
    const int h = sampleHeight;
    const double toPlanX = planWidth / w;
    const double toPlanY = planHeight / h;
    const double horizon = 178.0;
    const double sunX = 262.0;
    const double sunY = 118.0;
    const double sunRadius = 17.0;

    const Colour skyTop{70, 86, 150};
    const Colour skyHorizon{246, 184, 132};
    const Colour cloudLit{250, 206, 170};
    const Colour cloudShade{150, 110, 140};
    const Colour sun{255, 244, 205};
    const Colour farHill{150, 118, 140};
    const Colour nearHill{72, 78, 70};
    const Colour wood{34, 48, 36};
    const Colour waterDeep{40, 58, 86};

    // The scene above the water line, without the birds; the water reflects it.
    auto scene = [&](double x, double y) -> Colour {
        const double t = clamp01(y / horizon);
        Colour c = mix(skyTop, skyHorizon, std::pow(t, 1.4));

        // Glow around the sun.
        const double dx = x - sunX;
        const double dy = y - sunY;
        const double d = std::sqrt(dx * dx + dy * dy);
        c = mix(c, Colour{255, 226, 170}, 0.55 * std::exp(-d / 60.0));

        // Clouds: streaks of noise, lit from the sun below.
        const double cloud = clamp01((fbm(x / 70.0, y / 18.0, 7u, 3) - 0.52) * 3.2) * (1.0 - t * 0.8);
        if (cloud > 0.0) {
            const double lit = clamp01(1.0 - (sunY - y) / 140.0);
            c = mix(c, mix(cloudShade, cloudLit, lit), cloud * 0.85);
        }

        if (d < sunRadius)
            c = sun;
        else if (d < sunRadius + 1.5)
            c = mix(sun, c, (d - sunRadius) / 1.5);

        const double far = ridge(x, horizon - 8.0, 52.0, 90.0, 3u);
        if (y > far)
            c = mix(farHill, skyHorizon, 0.25 * clamp01((horizon - y) / 40.0));
        const double near = ridge(x, horizon + 2.0, 34.0, 55.0, 11u);
        if (y > near)
            c = mix(nearHill, farHill, 0.35 * clamp01((horizon - y) / 30.0));

        // A wood of pines along the left shore: a dark triangle for each tree.
        for (int i = 0; i < 14; ++i) {
            const double tx = 8.0 + i * 10.5 + 6.0 * lattice(i, 1, 5u);
            const double treeHeight = 26.0 + 26.0 * lattice(i, 2, 5u) - i * 1.2;
            const double halfWidth = treeHeight * 0.22;
            const double base = horizon + 1.0;
            const double top = base - treeHeight;
            if (y >= top && y <= base) {
                const double reach = halfWidth * (y - top) / treeHeight;
                if (std::abs(x - tx) <= reach)
                    c = mix(wood, nearHill, 0.2 * lattice(i, 3, 5u));
            }
        }
        return c;
    };

    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double px = x * toPlanX;
            const double py = y * toPlanY;
            Colour c;
            if (py < horizon) {
                c = scene(px, py);
            } else {
                // Water: the scene mirrored about the horizon, shifted by ripples that
                // grow towards the viewer, darkened and tinted.
                const double depth = (py - horizon) / (planHeight - horizon);
                const double ripple = std::sin(py * 1.7 + 3.0 * fbm(px / 40.0, py / 6.0, 21u, 3)) * (1.0 + 5.0 * depth);
                const double mirrored = std::max(0.0, 2.0 * horizon - py - 1.0 - depth * 6.0);
                c = scene(px + ripple, mirrored);
                c = mix(c, waterDeep, 0.25 + 0.45 * depth);
                // Glitter on the sun's path.
                const double path = std::exp(-std::abs(px + ripple * 1.5 - sunX) / (6.0 + 30.0 * depth));
                const double glint = clamp01((fbm(px / 5.0, py / 2.0, 31u, 1) - 0.6) * 4.0);
                c = mix(c, Colour{255, 230, 180}, path * glint * 0.8);
            }
            image.setPixel(x, y, qRgb(channel(c.r), channel(c.g), channel(c.b)));
        }
    }

    // Birds: thin dark "v" strokes against the sky.
    const int birds[][2] = {{118, 52}, {134, 60}, {150, 48}, {96, 66}, {170, 72}};
    for (const auto &bird : birds) {
        const int cx = int(std::lround(bird[0] / toPlanX)); // a plan position: in range
        const int cy = int(std::lround(bird[1] / toPlanY));
        for (int k = -3; k <= 3; ++k) {
            const int y = cy - (std::abs(k) == 3 ? 1 : 0) + (std::abs(k) < 2 ? 1 : 0);
            image.setPixel(cx + k, y, qRgb(44, 40, 58));
        }
    }

    // The haze of the evening: the picture spans only part of the range, so a contrast
    // stretch has room to work, and everything leans warm.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            const Colour hazy = {
                28.0 + qRed(p) * 0.80,
                22.0 + qGreen(p) * 0.74,
                16.0 + qBlue(p) * 0.66,
            };
            image.setPixel(x, y, qRgb(channel(hazy.r), channel(hazy.g), channel(hazy.b)));
        }
    }
    return image;
}

struct Effect {
    const char *file;
    std::function<QImage(const QImage &)> apply;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const QImage sample = drawSample();

    // The parameters are those the README's gallery table names.
    const std::vector<Effect> effects = {
        {"zoom.png", [](const QImage &s) { return effects::zoomAboutCentre(s, 150.0, 100.0); }},
        {"resample.png", [](const QImage &s) { return effects::resample(s, 50); }},
        {"rotate.png", [](const QImage &s) { return effects::rotateAboutCentre(s, 30.0, 0.0); }},
        {"gauss.png", [](const QImage &s) { return effects::gaussBlur(s, 2.0); }},
        {"median.png", [](const QImage &s) { return effects::median(s, 5); }},
        // The editor's sharpening blurs with sigma 0.7 first and sharpens against that.
        {"sharpen.png", [](const QImage &s) { return effects::sharpen(s, effects::gaussBlur(s, 0.7), 2.0); }},
        {"waves.png", [](const QImage &s) { return effects::waves(s, 16.0, 4.0); }},
        {"grayworld.png", [](const QImage &s) { return effects::grayWorld(s); }},
        {"linear.png", [](const QImage &s) { return effects::linearStretch(s); }},
        {"channel.png", [](const QImage &s) { return effects::channelStretch(s); }},
    };

    auto save = [&](const QImage &image, const char *file) {
        const QString path = dir + '/' + QString::fromLatin1(file);
        if (image.isNull() || !image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
        std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
        return true;
    };

    bool ok = save(sample, "sample.png");
    for (const Effect &effect : effects)
        ok = save(effect.apply(sample), effect.file) && ok;
    return ok ? 0 : 1;
}
