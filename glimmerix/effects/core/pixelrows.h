#ifndef GLIMMERIX_EFFECTS_PIXELROWS_H
#define GLIMMERIX_EFFECTS_PIXELROWS_H

#include <QImage>
#include <QRgb>

namespace effects {

// Read-only access to an image's pixels, row by row, as the 32-bit words that
// QImage::pixel() returns for that image, whatever its format.
//
// 32-bit formats are read in place (no copy). Every other format is converted
// once, up front (rows in parallel), into words equal to what pixel() gives for
// each position: for a premultiplied format that is the premultiplied word, for an
// indexed format the colour-table entry.
class PixelRows
{
public:
    explicit PixelRows(const QImage &image);

    int width() const { return words.width(); }
    int height() const { return words.height(); }
    const QRgb *row(int y) const { return reinterpret_cast<const QRgb *>(words.constScanLine(y)); }
    QRgb at(int x, int y) const { return row(y)[x]; }

private:
    QImage words;
};

// A new image of the given size in QImage::Format_RGB32; null when it cannot be
// allocated (or the size is empty). Its pixels are uninitialised: the buffers of
// images that are gone are recycled (at most two kept, 512 MiB in all), which
// spares the page faults of fresh memory.
QImage newRgb32(int width, int height);

// The guards of an effect that writes into a given target (the window's slots
// hand one in). fitTarget() replaces a target that is not an RGB32 image of the
// given size by a new one; ownTarget() gives one that shares its pixels new ones
// when every pixel is to be written (a copy of pixels about to be overwritten
// would be wasted). Both return false when the target could not be allocated
// (or the size is empty).
bool fitTarget(QImage &target, int width, int height);
bool ownTarget(QImage &target, bool everyPixel);

// Row pointer for writing into an RGB32 image made by newRgb32().
inline QRgb *writableRow(QImage &image, int y)
{
    return reinterpret_cast<QRgb *>(image.scanLine(y));
}

} // namespace effects

#endif
