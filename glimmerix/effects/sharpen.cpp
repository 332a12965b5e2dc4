#include "sharpen.h"

#include "parallel.h"
#include "pixelrows.h"
#include "simd.h"

#include <algorithm>
#include <cmath>

// The kernels are inlined into one function per instruction set; their vector
// values never cross a call (see simd.h).
#pragma GCC diagnostic ignored "-Wpsabi"

namespace effects {

namespace {

// O + (O - B) * strength, rounded halves away from zero and limited to 0..255.
inline int sharpened(int original, int blurred, double strength)
{
    const double value = std::round(original + (original - blurred) * strength);
    if (!(value > 0)) // NaN included
        return 0;
    if (value > 255)
        return 255;
    return static_cast<int>(value);
}

} // namespace

bool holdsEveryOpaqueColour(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGB30:
    case QImage::Format_BGR30:
    case QImage::Format_A2RGB30_Premultiplied:
    case QImage::Format_A2BGR30_Premultiplied:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_RGBX16FPx4:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBA16FPx4_Premultiplied:
    case QImage::Format_RGBX32FPx4:
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBA32FPx4_Premultiplied:
        return true;
    default:
        return false;
    }
}

namespace {

// One channel of as many pixels as the vector has lanes: every lane is one channel of one
// pixel, through the scalar steps exactly: d = O - B as an integer, v = O + d * strength
// in double precision, rounded with halves away from zero (trunc, then one step
// away from zero when the remainder, computed exactly, is a half or more), limited
// to 0..255. The limits are applied before the rounding where they cannot change
// the result (below -1 and above 256, NaN included), so that the conversions to
// integers always stay in range.
template <class V>
GLIMMERIX_ALWAYS_INLINE typename simd::Lanes<V>::Int sharpenedChannel(typename simd::Lanes<V>::Int o,
                                                                     typename simd::Lanes<V>::Int b,
                                                                     V strength)
{
    typedef typename simd::Lanes<V>::Int I;
    const V low = simd::splat<V>(-1), high = simd::splat<V>(256), half = simd::splat<V>(0.5);
    const V one = simd::splat<V>(1);
    V v = __builtin_convertvector(o, V) + __builtin_convertvector(o - b, V) * strength;
    v = v > low ? v : low; // NaN gives -1, hence 0
    v = v < high ? v : high;
    const V whole = __builtin_convertvector(__builtin_convertvector(v, I), V);
    const V rest = v - whole;
    v = rest >= half ? whole + one : (rest <= -half ? whole - one : whole);
    return simd::channelOf(v);
}

template <class V>
GLIMMERIX_ALWAYS_INLINE void sharpenRow(const QRgb *unsharp, const QRgb *blur, QRgb *target, int count,
                                        double strength)
{
    typedef typename simd::Lanes<V>::Int I;
    constexpr int L = simd::Lanes<V>::count;
    const V k = simd::splat<V>(strength);
    const I mask = simd::splatInt<I>(255);
    int x = 0;
    for (; x + L <= count; x += L) {
        const I o = simd::load<I>(unsharp + x);
        const I b = simd::load<I>(blur + x);
        const I red = sharpenedChannel<V>((o >> 16) & mask, (b >> 16) & mask, k);
        const I green = sharpenedChannel<V>((o >> 8) & mask, (b >> 8) & mask, k);
        const I blue = sharpenedChannel<V>(o & mask, b & mask, k);
        simd::store(target + x, simd::packRgb(red, green, blue));
    }
    for (; x < count; ++x) {
        const QRgb p = unsharp[x], q = blur[x];
        target[x] = qRgb(sharpened(qRed(p), qRed(q), strength), sharpened(qGreen(p), qGreen(q), strength),
                         sharpened(qBlue(p), qBlue(q), strength));
    }
}

GLIMMERIX_TARGET_AVX512 void sharpenRowAvx512(const QRgb *o, const QRgb *b, QRgb *t, int n, double k)
{
    sharpenRow<simd::d8>(o, b, t, n, k);
}
GLIMMERIX_TARGET_AVX2 void sharpenRowAvx2(const QRgb *o, const QRgb *b, QRgb *t, int n, double k)
{
    sharpenRow<simd::d4>(o, b, t, n, k);
}
void sharpenRowBaseline(const QRgb *o, const QRgb *b, QRgb *t, int n, double k)
{
    sharpenRow<simd::d2>(o, b, t, n, k);
}

} // namespace

QImage sharpen(const QImage &original, const QImage &blurred, double strength)
{
    const PixelRows o(original);
    const PixelRows b(blurred);
    const int width = o.width();
    const int height = o.height();
    QImage out = newRgb32(width, height);
    if (out.isNull())
        return out;
    uchar *bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    void (*row)(const QRgb *, const QRgb *, QRgb *, int, double) = sharpenRowBaseline;
    if (simd::level() == simd::Level::Avx512)
        row = sharpenRowAvx512;
    else if (simd::level() == simd::Level::Avx2)
        row = sharpenRowAvx2;
    parallelFor(height, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const QRgb *unsharp = o.row(y);
            const QRgb *blur = y < b.height() ? b.row(y) : unsharp;
            const int both = y < b.height() ? std::min(width, b.width()) : width;
            QRgb *target = reinterpret_cast<QRgb *>(bits + y * stride);
            // Where the blurred image has no pixel, B is O.
            row(unsharp, blur, target, both, strength);
            row(unsharp + both, unsharp + both, target + both, width - both, strength);
        }
    });
    const QImage::Format format = original.format();
    if (format != QImage::Format_RGB32 && holdsEveryOpaqueColour(format))
        out.convertTo(format);
    return out;
}

} // namespace effects
