#ifndef GLIMMERIX_TESTS_PHOTOFIXTURES_H
#define GLIMMERIX_TESTS_PHOTOFIXTURES_H

// Camera-like photo files for the tests: a picture written by Qt, then given the
// EXIF, XMP and IPTC data a camera or a phone writes, through Exiv2. Also reads
// such data back from a saved file.

#include <QFile>
#include <QImage>
#include <QString>

#include <exiv2/exiv2.hpp>

#include <string>

namespace photofixtures {

// What a camera writes into a photo taken with the given orientation tag.
struct CameraData
{
    int orientation = 1;
    QString make = "Glimmerix Test Camera Co.";
    QString model = "GX-1";
    QString dateTaken = "2026:06:21 12:34:56";
    QString title = "Holiday";
    QString caption = "A day at the lake";
};

inline std::string localPath(const QString &fileName)
{
    return QFile::encodeName(fileName).toStdString();
}

// Writes picture to fileName in the format its suffix names, then adds the camera
// data and the picture's size as the camera recorded it. Returns false on failure.
inline bool writePhoto(const QString &fileName, const QImage &picture, const CameraData &camera = CameraData())
{
    if (!picture.save(fileName))
        return false;
    try {
        Exiv2::XmpParser::initialize();
        auto photo = Exiv2::ImageFactory::open(localPath(fileName));
        photo->readMetadata();
        Exiv2::ExifData exif;
        exif["Exif.Image.Make"] = camera.make.toStdString();
        exif["Exif.Image.Model"] = camera.model.toStdString();
        exif["Exif.Image.Orientation"] = uint16_t(camera.orientation);
        exif["Exif.Photo.DateTimeOriginal"] = camera.dateTaken.toStdString();
        exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
        exif["Exif.Photo.PixelXDimension"] = uint32_t(picture.width());
        exif["Exif.Photo.PixelYDimension"] = uint32_t(picture.height());
        exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
        exif["Exif.GPSInfo.GPSLatitude"] = "52/1 31/1 0/1";
        photo->setExifData(exif);
        Exiv2::XmpData xmp;
        xmp["Xmp.dc.title"] = camera.title.toStdString();
        photo->setXmpData(xmp);
        Exiv2::IptcData iptc;
        iptc["Iptc.Application2.Caption"] = camera.caption.toStdString();
        photo->setIptcData(iptc);
        photo->writeMetadata();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

// The metadata of a file as Exiv2 reads it, or nothing when it cannot.
struct ReadBack
{
    bool readable = false;
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;

    QString exifText(const char *key) const
    {
        const auto found = exif.findKey(Exiv2::ExifKey(key));
        return found == exif.end() ? QString() : QString::fromStdString(found->toString());
    }
    long exifNumber(const char *key) const
    {
        const auto found = exif.findKey(Exiv2::ExifKey(key));
        return found == exif.end() ? -1 : found->toLong();
    }
    QString xmpText(const char *key) const
    {
        const auto found = xmp.findKey(Exiv2::XmpKey(key));
        return found == xmp.end() ? QString() : QString::fromStdString(found->toString());
    }
    QString iptcText(const char *key) const
    {
        const auto found = iptc.findKey(Exiv2::IptcKey(key));
        return found == iptc.end() ? QString() : QString::fromStdString(found->toString());
    }
};

inline ReadBack readBack(const QString &fileName)
{
    ReadBack data;
    try {
        auto photo = Exiv2::ImageFactory::open(localPath(fileName));
        photo->readMetadata();
        data.exif = photo->exifData();
        data.xmp = photo->xmpData();
        data.iptc = photo->iptcData();
        data.readable = true;
    } catch (const std::exception &) {
    }
    return data;
}

} // namespace photofixtures

#endif
