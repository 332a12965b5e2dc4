// Unsharp masking, each pixel read with pixel() and written with setPixel().

#include "reference.h"

#include "channel.h"

#include <cmath>

namespace reference {

namespace {

// Formats into which setPixel() stores any opaque colour so that pixel() returns it.
bool keepsFormat(QImage::Format format)
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

// round() first: a NaN or a huge value reaches truncLimited(), which limits it
// before any conversion.
int limited(double v)
{
    return effects::truncLimited(v);
}

} // namespace

QImage sharpen(const QImage &original, const QImage &blurred, double strength)
{
    const double koef = strength;
    QImage temp = keepsFormat(original.format())
        ? original.copy()
        : QImage(original.width(), original.height(), QImage::Format_RGB32);
    for (int i = 0; i < original.width(); ++i) {
        for (int j = 0; j < original.height(); ++j) {
            const QRgb o = original.pixel(i, j);
            const QRgb b = blurred.pixel(i, j);
            const int red = limited(std::round(qRed(o) + (qRed(o) - qRed(b)) * koef));
            const int green = limited(std::round(qGreen(o) + (qGreen(o) - qGreen(b)) * koef));
            const int blue = limited(std::round(qBlue(o) + (qBlue(o) - qBlue(b)) * koef));
            temp.setPixel(i, j, qRgb(red, green, blue));
        }
    }
    return temp;
}

} // namespace reference
