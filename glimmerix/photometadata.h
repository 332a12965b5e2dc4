#ifndef GLIMMERIX_PHOTOMETADATA_H
#define GLIMMERIX_PHOTOMETADATA_H

#include <QByteArray>
#include <QSize>
#include <QString>

#include <memory>

// The EXIF, XMP and IPTC data of a photo, carried from the file that was opened into
// the file that is saved. Exiv2 does the reading and writing; its types stay inside
// photometadata.cpp. Copies share the data read, so a PhotoMetadata is cheap to copy.
// Every Exiv2 failure is turned into a false result or an error text: no exception
// leaves this class.
class PhotoMetadata
{
public:
    PhotoMetadata();                                // no metadata

    // Reads the EXIF, XMP and IPTC data of a file. A file whose type carries no
    // metadata or is unknown to Exiv2 (BMP, GIF, ...) gives empty metadata and no
    // error. A file whose metadata cannot be parsed, or that cannot be opened at
    // all, gives empty metadata and a readError() saying why.
    // The tags that describe how a TIFF stores its pixels (strips, tiles, bits per
    // sample, compression, sub-images) and the EXIF thumbnail are not kept: they
    // belong to the old file, not to the photo.
    static PhotoMetadata read(const QString &fileName);

    bool isEmpty() const;
    QString readError() const;                      // empty when the read went well

    // Adds the metadata to a picture already encoded in memory in the writer
    // format `format` (the QImageWriter format name from the file suffix: "jpg",
    // "jpeg", "png", "tif", "tiff", "webp"; others hold no metadata: encoded stays
    // as it is and the result is true). In the copy written, Orientation is 1
    // (Exif.Image.Orientation and Xmp.tiff.Orientation, where present) because the
    // pixels are upright now, and the pixel-dimension tags (Exif.Photo.PixelXDimension/
    // PixelYDimension, Exif.Image.ImageWidth/ImageLength where present, the XMP
    // exif:PixelXDimension/PixelYDimension and tiff:ImageWidth/ImageLength where
    // present) say `size`. The EXIF thumbnail (of the old picture) is removed.
    // What the picture itself carries besides (its colour profile) is kept.
    // Exiv2 has no place for IPTC data in a WebP file; a WebP gets the EXIF and XMP only.
    // Empty metadata: unchanged, true.
    // On failure `encoded` is left exactly as it was, the result is false and
    // *error (when error is not null) says why.
    bool embedInto(QByteArray &encoded, const QByteArray &format, QSize size, QString *error) const;

private:
    struct Data;
    std::shared_ptr<const Data> d;
    QString readFailure;
};

#endif // GLIMMERIX_PHOTOMETADATA_H
