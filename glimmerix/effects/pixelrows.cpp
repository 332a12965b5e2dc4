#include "pixelrows.h"

#include <QRgba64>

namespace effects {

namespace {

// Fills one row of ARGB32 words with what pixel() returns for the source row.
void convertRow(const QImage &source, int y, QRgb *out)
{
    const uchar *in = source.constScanLine(y);
    const int width = source.width();
    switch (source.format()) {
    case QImage::Format_Indexed8: {
        const QList<QRgb> table = source.colorTable();
        for (int x = 0; x < width; ++x) {
            const int index = in[x];
            out[x] = index < table.size() ? table[index] : source.pixel(x, y);
        }
        break;
    }
    case QImage::Format_Grayscale8:
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[x], in[x], in[x]);
        break;
    case QImage::Format_RGB888:
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
        break;
    case QImage::Format_BGR888:
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
        break;
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        for (int x = 0; x < width; ++x)
            out[x] = qRgba(in[4 * x], in[4 * x + 1], in[4 * x + 2], in[4 * x + 3]);
        break;
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied: {
        const QRgba64 *wide = reinterpret_cast<const QRgba64 *>(in);
        for (int x = 0; x < width; ++x)
            out[x] = wide[x].toArgb32();
        break;
    }
    default:
        // Rare formats (1-bit, 16-bit, 30-bit, floating point): the toolkit's own reading.
        for (int x = 0; x < width; ++x)
            out[x] = source.pixel(x, y);
        break;
    }
}

} // namespace

PixelRows::PixelRows(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        words = image; // shared, not copied
        return;
    case QImage::Format_Invalid:
        return;
    default:
        break;
    }
    words = QImage(image.size(), QImage::Format_ARGB32);
    if (words.isNull())
        return;
    for (int y = 0; y < image.height(); ++y)
        convertRow(image, y, reinterpret_cast<QRgb *>(words.scanLine(y)));
}

QImage newRgb32(int width, int height)
{
    if (width <= 0 || height <= 0)
        return QImage();
    return QImage(width, height, QImage::Format_RGB32);
}

} // namespace effects
