#include "stretch.h"

#include "brightness.h"
#include "parallel.h"
#include "pixelrows.h"
#include "simd.h"

#include <QMutex>

// The kernels are inlined into one function per instruction set; their vector
// values never cross a call (see simd.h).
#pragma GCC diagnostic ignored "-Wpsabi"

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

// The brightness bins of a run of words, as many at a time as a vector holds: the
// scalar brightness() lane by lane, (0.2125 R + 0.7154 G) + 0.0721 B rounded with
// halves away from zero (the value is never negative: trunc, then up by one when
// the remainder, which is exact, is a half or more).
template <class V>
GLIMMERIX_ALWAYS_INLINE void countBrightness(const QRgb *line, int count, int *hist)
{
    typedef typename simd::Lanes<V>::Int I;
    constexpr int L = simd::Lanes<V>::count;
    const I mask = simd::splatInt<I>(255);
    const V kr = simd::splat<V>(0.2125), kg = simd::splat<V>(0.7154), kb = simd::splat<V>(0.0721);
    const V half = simd::splat<V>(0.5), one = simd::splat<V>(1);
    int x = 0;
    for (; x + L <= count; x += L) {
        const I w = simd::load<I>(line + x);
        const V r = __builtin_convertvector((w >> 16) & mask, V);
        const V g = __builtin_convertvector((w >> 8) & mask, V);
        const V b = __builtin_convertvector(w & mask, V);
        const V value = (kr * r + kg * g) + kb * b;
        const V whole = __builtin_convertvector(__builtin_convertvector(value, I), V);
        const V rounded = value - whole >= half ? whole + one : whole;
        const I bins = __builtin_convertvector(rounded, I);
        int lanes[L];
        simd::store(lanes, bins);
        for (int i = 0; i < L; ++i)
            ++hist[(i & 3) * 256 + lanes[i]];
    }
    for (; x < count; ++x)
        ++hist[brightness(line[x])];
}

GLIMMERIX_TARGET_AVX512 void countBrightnessAvx512(const QRgb *line, int count, int *hist)
{
    countBrightness<simd::d8>(line, count, hist);
}
GLIMMERIX_TARGET_AVX2 void countBrightnessAvx2(const QRgb *line, int count, int *hist)
{
    countBrightness<simd::d4>(line, count, hist);
}
void countBrightnessBaseline(const QRgb *line, int count, int *hist)
{
    countBrightness<simd::d2>(line, count, hist);
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
    // Every pixel is written: a target sharing its pixels (with the source, as the
    // editor's second and third calls have it) gets new ones rather than a copy.
    if (!target.isDetached())
        target = newRgb32(width, height);
    if (target.isNull())
        return;
    uchar *bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    const auto outRow = [&](int y) { return reinterpret_cast<QRgb *>(bits + y * stride); };

    if (channels < StretchBrightness || channels > StretchRed) {
        parallelFor(height, 32, [&](int begin, int end) {
            for (int y = begin; y < end; ++y) {
                const QRgb *line = in.row(y);
                QRgb *out = outRow(y);
                for (int x = 0; x < width; ++x)
                    out[x] = line[x] | 0xff000000u;
            }
        });
        return;
    }

    // The histogram: counts are integers, so the bands of rows may be counted
    // apart and added up. Four interleaved tables per band keep runs of equal
    // values from waiting on one counter.
    void (*brightnessRow)(const QRgb *, int, int *) = countBrightnessBaseline;
    if (simd::level() == simd::Level::Avx512)
        brightnessRow = countBrightnessAvx512;
    else if (simd::level() == simd::Level::Avx2)
        brightnessRow = countBrightnessAvx2;
    const int shift = channels == StretchBlue ? 0 : channels == StretchGreen ? 8 : 16;
    QMutex merging;
    int hist[256] = {};
    parallelFor(height, 32, [&](int begin, int end) {
        int local[4 * 256] = {};
        for (int y = begin; y < end; ++y) {
            const QRgb *line = in.row(y);
            if (channels == StretchBrightness) {
                brightnessRow(line, width, local);
            } else {
                int x = 0;
                for (; x + 4 <= width; x += 4) {
                    ++local[(line[x] >> shift) & 255];
                    ++local[256 + ((line[x + 1] >> shift) & 255)];
                    ++local[512 + ((line[x + 2] >> shift) & 255)];
                    ++local[768 + ((line[x + 3] >> shift) & 255)];
                }
                for (; x < width; ++x)
                    ++local[(line[x] >> shift) & 255];
            }
        }
        QMutexLocker lock(&merging);
        for (int v = 0; v < 256; ++v)
            hist[v] += local[v] + local[256 + v] + local[512 + v] + local[768 + v];
    });
    int min = 0;
    while (min < 255 && hist[min] == 0)
        ++min;
    int max = 255;
    while (max > 0 && hist[max] == 0)
        --max;
    const double factor = 255 / double(max - min); // infinite for a range of 0

    // The mapping depends on the value alone.
    QRgb map[256];
    for (int v = 0; v < 256; ++v)
        map[v] = QRgb(stretched(v, min, factor));

    parallelFor(height, 32, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const QRgb *line = in.row(y);
            QRgb *out = outRow(y);
            if (channels == StretchBrightness) {
                for (int x = 0; x < width; ++x) {
                    const QRgb p = line[x];
                    out[x] = 0xff000000u | (map[qRed(p)] << 16) | (map[qGreen(p)] << 8) | map[qBlue(p)];
                }
            } else {
                const QRgb keep = ~(0xffu << shift);
                for (int x = 0; x < width; ++x) {
                    const QRgb p = line[x];
                    out[x] = (p & keep) | 0xff000000u | (map[(p >> shift) & 255] << shift);
                }
            }
        }
    });
}

QImage linearStretch(const QImage &source)
{
    QImage target = newRgb32(source.width(), source.height());
    extension(source, target, StretchBrightness);
    return target;
}

QImage channelStretch(const QImage &source)
{
    // The three calls extension(.., 1), (.., 2), (.., 3) in a row: each one rewrites
    // only its own channel, so the second and third measure their channel exactly
    // as it was in the source. One pass therefore counts all three histograms and
    // one pass writes all three mappings, with the very results of the three calls.
    const PixelRows in(source);
    const int width = in.width();
    const int height = in.height();
    QImage target = newRgb32(width, height);
    if (target.isNull())
        return target;

    QMutex merging;
    int hist[3][256] = {};
    parallelFor(height, 32, [&](int begin, int end) {
        int local[2][3][256] = {};
        for (int y = begin; y < end; ++y) {
            const QRgb *line = in.row(y);
            int x = 0;
            for (; x + 2 <= width; x += 2) {
                const QRgb p = line[x], q = line[x + 1];
                ++local[0][0][qRed(p)];
                ++local[0][1][qGreen(p)];
                ++local[0][2][qBlue(p)];
                ++local[1][0][qRed(q)];
                ++local[1][1][qGreen(q)];
                ++local[1][2][qBlue(q)];
            }
            for (; x < width; ++x) {
                ++local[0][0][qRed(line[x])];
                ++local[0][1][qGreen(line[x])];
                ++local[0][2][qBlue(line[x])];
            }
        }
        QMutexLocker lock(&merging);
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v)
                hist[c][v] += local[0][c][v] + local[1][c][v];
    });

    QRgb map[3][256];
    for (int c = 0; c < 3; ++c) {
        int min = 0;
        while (min < 255 && hist[c][min] == 0)
            ++min;
        int max = 255;
        while (max > 0 && hist[c][max] == 0)
            --max;
        const double factor = 255 / double(max - min);
        const int shift = 16 - 8 * c;
        for (int v = 0; v < 256; ++v)
            map[c][v] = QRgb(stretched(v, min, factor)) << shift;
    }

    uchar *bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    parallelFor(height, 32, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const QRgb *line = in.row(y);
            QRgb *out = reinterpret_cast<QRgb *>(bits + y * stride);
            for (int x = 0; x < width; ++x) {
                const QRgb p = line[x];
                out[x] = 0xff000000u | map[0][qRed(p)] | map[1][qGreen(p)] | map[2][qBlue(p)];
            }
        }
    });
    return target;
}

} // namespace effects
