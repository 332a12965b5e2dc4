// Unsharp masking: with O a channel of the original and B the same channel of
// the blurred image, the result is
//
//   round(O + (O - B) * strength),  halves away from zero, limited to 0..255 (NaN: 0)
//
// in double precision. sharpened() is that formula, for one channel or a vector
// of channels; the plain form applies it channel by channel, the fast form runs
// it on as many pixels as a vector holds.

#include "sharpen.h"

#include "channel.h"
#include "parallel.h"
#include "pixelrows.h"
#include "simd.h"

#include <algorithm>

namespace effects {

namespace {

// O - B is formed as an integer, then O + (O - B) * strength in double precision.
// The value is limited to -1..256 before the rounding, where that cannot change
// the result (NaN gives -1, hence 0), so that every conversion stays in range.
template <class I, class T> GLIMMERIX_ALWAYS_INLINE auto sharpened(I original, I blurred, T strength)
{
    const T low = simd::splat<T>(-1), high = simd::splat<T>(256);
    T v = simd::toDouble(original) + simd::toDouble(original - blurred) * strength;
    v = v > low ? v : low;
    v = v < high ? v : high;
    return truncLimited(roundHalfAway(v));
}

// The plain form of one pixel.
inline QRgb sharpenedWord(QRgb o, QRgb b, double strength)
{
    return qRgb(sharpened(qRed(o), qRed(b), strength), sharpened(qGreen(o), qGreen(b), strength),
                sharpened(qBlue(o), qBlue(b), strength));
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

// ---------------------------------------------------------------------------
// The fast form: sharpened() on as many pixels as the vector has lanes, one
// channel at a time; the rest of a row in the plain form.

struct SharpenRow {
template <class V>
GLIMMERIX_ALWAYS_INLINE static void run(const QRgb *unsharp, const QRgb *blur, QRgb *target, int count,
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
        const I red = sharpened((o >> 16) & mask, (b >> 16) & mask, k);
        const I green = sharpened((o >> 8) & mask, (b >> 8) & mask, k);
        const I blue = sharpened(o & mask, b & mask, k);
        simd::store(target + x, simd::packRgb(red, green, blue));
    }
    for (; x < count; ++x)
        target[x] = sharpenedWord(unsharp[x], blur[x], strength);
}
};

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
    parallelFor(height, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const QRgb *unsharp = o.row(y);
            const QRgb *blur = y < b.height() ? b.row(y) : unsharp;
            const int both = y < b.height() ? std::min(width, b.width()) : width;
            QRgb *target = reinterpret_cast<QRgb *>(bits + y * stride);
            // Where the blurred image has no pixel, B is O.
            simd::run<SharpenRow>(unsharp, blur, target, both, strength);
            simd::run<SharpenRow>(unsharp + both, unsharp + both, target + both, width - both, strength);
        }
    });
    const QImage::Format format = original.format();
    if (format != QImage::Format_RGB32 && holdsEveryOpaqueColour(format))
        out.convertTo(format);
    return out;
}

} // namespace effects
