#include "photometadata.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp> // not among the headers exiv2.hpp includes

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>

struct PhotoMetadata::Data
{
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    // The byte order of the EXIF data read; written files keep it.
    Exiv2::ByteOrder byteOrder = Exiv2::invalidByteOrder;
};

namespace {

// Exiv2 prints its warnings and errors on stderr unless told not to, and its XMP
// parser has to be initialised once before threads may use it.
void prepareExiv2()
{
    static const bool prepared = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        return Exiv2::XmpParser::initialize();
    }();
    Q_UNUSED(prepared);
}

QString reason(const std::exception &exception)
{
    return QString::fromLocal8Bit(exception.what());
}

// IFD0 tags that describe how a TIFF stores its pixels. They are true of the file they
// were read from only; a TIFF written by Exiv2 takes them from its own pixels anyway.
// Numbers rather than names: Exiv2 knows some of them by number only.
const std::uint16_t storageTags[] = {
    0x00fe, // NewSubfileType
    0x00ff, // SubfileType
    0x0102, // BitsPerSample
    0x0103, // Compression
    0x0106, // PhotometricInterpretation
    0x0107, // Thresholding
    0x0108, // CellWidth
    0x0109, // CellLength
    0x010a, // FillOrder
    0x0111, // StripOffsets
    0x0115, // SamplesPerPixel
    0x0116, // RowsPerStrip
    0x0117, // StripByteCounts
    0x0118, // MinSampleValue
    0x0119, // MaxSampleValue
    0x011c, // PlanarConfiguration
    0x0122, // GrayResponseUnit
    0x0123, // GrayResponseCurve
    0x0124, // T4Options
    0x0125, // T6Options
    0x012d, // TransferFunction
    0x013d, // Predictor
    0x0140, // ColorMap
    0x0141, // HalftoneHints
    0x0142, // TileWidth
    0x0143, // TileLength
    0x0144, // TileOffsets
    0x0145, // TileByteCounts
    0x014a, // SubIFDs
    0x014c, // InkSet
    0x014d, // InkNames
    0x014e, // NumberOfInks
    0x0150, // DotRange
    0x0152, // ExtraSamples
    0x0153, // SampleFormat
    0x0154, // SMinSampleValue
    0x0155, // SMaxSampleValue
    0x0156, // TransferRange
    0x015b, // JPEGTables
    0x0200, // JPEGProc
    0x0201, // JPEGInterchangeFormat
    0x0202, // JPEGInterchangeFormatLength
    0x0203, // JPEGRestartInterval
    0x0205, // JPEGLosslessPredictors
    0x0206, // JPEGPointTransforms
    0x0207, // JPEGQTables
    0x0208, // JPEGDCTables
    0x0209, // JPEGACTables
    0x0212, // YCbCrSubSampling
    // The copies of the XMP and IPTC data and the Photoshop resources a TIFF keeps in
    // IFD0: the XMP and IPTC data are carried on their own.
    0x02bc, // XMLPacket
    0x83bb, // IPTCNAA
    0x8649, // ImageResources
    // The colour profile of the old pixels: the written picture carries its own.
    0x8773, // InterColorProfile
};

bool isStorageTag(const Exiv2::Exifdatum &datum)
{
    if (datum.groupName() != "Image")
        return false;
    for (const std::uint16_t tag : storageTags)
        if (datum.tag() == tag)
            return true;
    return false;
}

// Removes what belongs to the old file rather than to the photo: the storage tags,
// the other images of a multi-image TIFF and the thumbnail.
void dropFileStructure(Exiv2::ExifData &exif)
{
    for (auto datum = exif.begin(); datum != exif.end();) {
        const std::string group = datum->groupName();
        const bool otherImage = group.compare(0, 8, "SubImage") == 0
            || group.compare(0, 8, "SubThumb") == 0 || group == "Image2" || group == "Image3"
            || group == "PanaRaw";
        if (otherImage || isStorageTag(*datum))
            datum = exif.erase(datum);
        else
            ++datum;
    }
    Exiv2::ExifThumb(exif).erase();
}

// Sets a count of pixels, as a SHORT where the tag already is one and the value fits,
// as a LONG otherwise.
void setPixelCount(Exiv2::ExifData &exif, const char *key, int value)
{
    const Exiv2::ExifKey exifKey(key);
    const auto found = exif.findKey(exifKey);
    const bool wasShort = found != exif.end() && found->typeId() == Exiv2::unsignedShort;
    const auto count = static_cast<std::uint32_t>(std::max(value, 0));
    if (wasShort && count <= 0xffff)
        exif[key] = static_cast<std::uint16_t>(count);
    else
        exif[key] = count;
}

void setIfPresent(Exiv2::ExifData &exif, const char *key, int value)
{
    if (exif.findKey(Exiv2::ExifKey(key)) != exif.end())
        setPixelCount(exif, key, value);
}

void setIfPresent(Exiv2::XmpData &xmp, const char *key, const std::string &value)
{
    if (xmp.findKey(Exiv2::XmpKey(key)) != xmp.end())
        xmp[key] = value;
}

// The metadata as it must be written for upright pixels of the given size.
void describeUprightPicture(Exiv2::ExifData &exif, Exiv2::XmpData &xmp, QSize size)
{
    if (!exif.empty()) {
        if (exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation")) != exif.end())
            exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(1);
        setPixelCount(exif, "Exif.Photo.PixelXDimension", size.width());
        setPixelCount(exif, "Exif.Photo.PixelYDimension", size.height());
        setIfPresent(exif, "Exif.Image.ImageWidth", size.width());
        setIfPresent(exif, "Exif.Image.ImageLength", size.height());
    }
    setIfPresent(xmp, "Xmp.tiff.Orientation", "1");
    setIfPresent(xmp, "Xmp.exif.PixelXDimension", std::to_string(size.width()));
    setIfPresent(xmp, "Xmp.exif.PixelYDimension", std::to_string(size.height()));
    setIfPresent(xmp, "Xmp.tiff.ImageWidth", std::to_string(size.width()));
    setIfPresent(xmp, "Xmp.tiff.ImageLength", std::to_string(size.height()));
}

// The Exiv2 image type of each writer format that holds metadata, and its name for
// messages.
struct TargetFormat
{
    int imageType = Exiv2::ImageType::none;
    const char *name = "";
    bool holdsIptc = false;
};

TargetFormat targetFormat(const QByteArray &format)
{
    const QByteArray name = format.toLower();
    if (name == "jpg" || name == "jpeg")
        return {Exiv2::ImageType::jpeg, "JPEG", true};
    if (name == "png")
        return {Exiv2::ImageType::png, "PNG", true};
    if (name == "tif" || name == "tiff")
        return {Exiv2::ImageType::tiff, "TIFF", true};
    // Exiv2 accepts IPTC data for a WebP file but writes nothing of it.
    if (name == "webp")
        return {Exiv2::ImageType::webp, "WebP", false};
    return {};
}

// Whether Exiv2 has a reader for the file's type. Some of its type checks throw on a
// file shorter than what they look at; such a file is of no type Exiv2 knows.
bool exiv2KnowsType(const std::string &path)
{
    try {
        return Exiv2::ImageFactory::getType(path) != Exiv2::ImageType::none;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

PhotoMetadata::PhotoMetadata() = default;

PhotoMetadata PhotoMetadata::read(const QString &fileName)
{
    PhotoMetadata result;
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            result.readFailure = QCoreApplication::translate(
                "PhotoMetadata", "The file cannot be opened: %1").arg(file.errorString());
            return result;
        }
    }
    prepareExiv2();
    // An absolute path, so that Exiv2 never takes the name for a URL.
    const std::string path =
        QFile::encodeName(QFileInfo(fileName).absoluteFilePath()).toStdString();
    try {
        if (!exiv2KnowsType(path))
            return result;
        const auto image = Exiv2::ImageFactory::open(path, false);
        image->readMetadata();
        auto data = std::make_shared<Data>();
        data->exif = image->exifData();
        data->xmp = image->xmpData();
        data->iptc = image->iptcData();
        data->byteOrder = image->byteOrder();
        dropFileStructure(data->exif);
        if (!data->exif.empty() || !data->xmp.empty() || !data->iptc.empty())
            result.d = data;
    } catch (const std::exception &exception) {
        result.readFailure = QCoreApplication::translate(
            "PhotoMetadata", "The metadata cannot be read: %1").arg(reason(exception));
    } catch (...) {
        result.readFailure =
            QCoreApplication::translate("PhotoMetadata", "The metadata cannot be read.");
    }
    return result;
}

bool PhotoMetadata::isEmpty() const
{
    return !d;
}

QString PhotoMetadata::readError() const
{
    return readFailure;
}

bool PhotoMetadata::embedInto(QByteArray &encoded, const QByteArray &format, QSize size,
                              QString *error) const
{
    const TargetFormat target = targetFormat(format);
    if (!d || target.imageType == Exiv2::ImageType::none)
        return true;
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString formatName = QLatin1String(target.name);
    if (encoded.isEmpty())
        return fail(QCoreApplication::translate(
            "PhotoMetadata", "There is no %1 picture to add the metadata to.").arg(formatName));

    prepareExiv2();
    try {
        // Exiv2 works on its own copy of the bytes: encoded changes only at the end.
        const auto image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(encoded.constData()), encoded.size());
        if (image->imageType() != target.imageType)
            return fail(QCoreApplication::translate(
                "PhotoMetadata", "The picture is not a %1 file.").arg(formatName));
        // What the encoder wrote itself stays: the colour profile of a JPEG, PNG or WebP
        // and its comment. (In a TIFF the profile is an IFD0 tag, which Exiv2 takes from
        // the file it writes into, like the tags of the pixel layout.)
        image->readMetadata();

        // read() has left the storage tags and the thumbnail of the old file behind.
        Exiv2::ExifData exif = d->exif;
        Exiv2::XmpData xmp = d->xmp;
        describeUprightPicture(exif, xmp, size);
        // A TIFF keeps the byte order of its own structure.
        if (target.imageType != Exiv2::ImageType::tiff && d->byteOrder != Exiv2::invalidByteOrder)
            image->setByteOrder(d->byteOrder);

        image->setExifData(exif);
        image->setXmpData(xmp);
        if (target.holdsIptc)
            image->setIptcData(d->iptc);
        else
            image->clearIptcData();
        image->writeMetadata();

        Exiv2::BasicIo &io = image->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const long written = io.size();
        const Exiv2::DataBuf bytes = io.read(written);
        if (written <= 0 || bytes.size_ != written)
            return fail(QCoreApplication::translate(
                "PhotoMetadata", "The picture with its metadata cannot be read back."));
        encoded = QByteArray(reinterpret_cast<const char *>(bytes.pData_), bytes.size_);
        return true;
    } catch (const std::exception &exception) {
        return fail(QCoreApplication::translate(
            "PhotoMetadata", "The metadata cannot be written: %1").arg(reason(exception)));
    } catch (...) {
        return fail(
            QCoreApplication::translate("PhotoMetadata", "The metadata cannot be written."));
    }
}
