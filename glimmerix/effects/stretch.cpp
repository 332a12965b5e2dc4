// Linear contrast stretch. The histogram of the measured quantity (the brightness
// of brightness.h, or one channel) gives the lowest and highest occupied bins min
// and max; every value v of the channels the stretch rewrites becomes
//
//   truncLimited((v - min) * (255.0 / (max - min)))
//
// (an infinite factor for max = min; 0 times it, NaN, gives 0). stretched() is
// that mapping; as it depends on the value alone, it is applied as a table of 256.

#include "stretch.h"

#include "brightness.h"
#include "channel.h"
#include "parallel.h"
#include "progress.h"
#include "pixelrows.h"
#include "simd.h"

#include <mutex>

namespace effects {

namespace {

inline int stretched(int value, int min, double factor)
{
    return truncLimited((value - min) * factor);
}

// ---------------------------------------------------------------------------
// The fast form.

// The brightness bins of a run of words, as many at a time as a vector holds,
// counted into four interleaved tables of 256 (lane l into table l % 4), so that
// runs of equal values do not wait on one counter.
struct CountBrightness {
template <class V> GLIMMERIX_ALWAYS_INLINE static void run(const QRgb *line, int count, int *hist)
{
    constexpr int L = simd::Lanes<V>::count;
    int x = 0;
    for (; x + L <= count; x += L) {
        V r, g, b;
        simd::unpackRgb<V>(line + x, r, g, b);
        int lanes[L];
        simd::store(lanes, simd::toInt(brightnessOf(r, g, b)));
        for (int i = 0; i < L; ++i)
            ++hist[(i & 3) * 256 + lanes[i]];
    }
    for (; x < count; ++x)
        ++hist[brightness(line[x])];
}
};

// The histogram of one channel (at bit `shift`) of a run of words, into four
// interleaved tables as above.
void countChannel(const QRgb *line, int width, int shift, int *local)
{
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

// The stretch of `in` into target, an RGB32 image of its size that owns its pixels.
void stretchInto(const PixelRows &in, QImage &target, int channels)
{
    const int width = in.width();
    const int height = in.height();
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
    // apart and added up.
    const int shift = channels == StretchBlue ? 0 : channels == StretchGreen ? 8 : 16;
    ProgressStages passes(2);
    passes.next();
    std::mutex merging;
    int hist[256] = {};
    parallelFor(height, 32, [&](int begin, int end) {
        int local[4 * 256] = {};
        for (int y = begin; y < end; ++y) {
            if (channels == StretchBrightness)
                simd::run<CountBrightness>(in.row(y), width, local);
            else
                countChannel(in.row(y), width, shift, local);
        }
        const std::lock_guard<std::mutex> lock(merging);
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

    QRgb map[256];
    for (int v = 0; v < 256; ++v)
        map[v] = QRgb(stretched(v, min, factor));

    passes.next();
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

} // namespace

QImage stretch(const QImage &source, StretchChannel channel)
{
    const PixelRows in(source);
    QImage target = newRgb32(in.width(), in.height());
    if (!target.isNull())
        stretchInto(in, target, channel);
    return target;
}

void extension(const QImage &source, QImage &target, int channels)
{
    // Everything below reads `in` only: target may be the source image itself.
    const PixelRows in(source);
    // Every pixel is written: a target sharing its pixels (with the source, as the
    // editor's second and third calls have it) gets new ones rather than a copy.
    if (fitTarget(target, in.width(), in.height()) && ownTarget(target, true))
        stretchInto(in, target, channels);
}

QImage linearStretch(const QImage &source)
{
    return stretch(source, StretchBrightness);
}

QImage channelStretch(const QImage &source)
{
    ProgressStages channels(3);
    channels.next();
    const QImage blue = stretch(source, StretchBlue);
    channels.next();
    const QImage green = stretch(blue, StretchGreen);
    channels.next();
    return stretch(green, StretchRed);
}

} // namespace effects
