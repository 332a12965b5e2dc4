#include "sharpen.h"

#include "pixelrows.h"

#include <cmath>

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

QImage sharpen(const QImage &original, const QImage &blurred, double strength)
{
    const PixelRows o(original);
    const PixelRows b(blurred);
    const int width = o.width();
    const int height = o.height();
    QImage out = newRgb32(width, height);
    if (out.isNull())
        return out;
    for (int y = 0; y < height; ++y) {
        const QRgb *unsharp = o.row(y);
        const QRgb *blur = y < b.height() ? b.row(y) : nullptr;
        const int blurWidth = blur ? b.width() : 0;
        QRgb *target = writableRow(out, y);
        for (int x = 0; x < width; ++x) {
            const QRgb p = unsharp[x];
            const QRgb q = x < blurWidth ? blur[x] : p;
            target[x] = qRgb(sharpened(qRed(p), qRed(q), strength),
                             sharpened(qGreen(p), qGreen(q), strength),
                             sharpened(qBlue(p), qBlue(q), strength));
        }
    }
    const QImage::Format format = original.format();
    if (format != QImage::Format_RGB32 && holdsEveryOpaqueColour(format))
        out.convertTo(format);
    return out;
}

} // namespace effects
