// PhotoMetadata: the EXIF, XMP and IPTC data of an opened photo written into the
// picture that is saved. The fixtures are JPEG and TIFF files written by Qt, into
// which the test puts camera data with Exiv2 itself; the saved pictures are read
// back with Exiv2 and decoded with Qt, which must see the very pixels of the same
// picture encoded without metadata.

#include "photometadata.h"
#include "testimages.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp> // not among the headers exiv2.hpp includes

#include <cstdint>
#include <exception>
#include <string>

namespace {

const QSize oldSize(64, 48);
const QSize newSize(50, 70);

QByteArray encode(const QImage &image, const QByteArray &format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        qFatal("cannot encode a %s picture: %s", format.constData(),
               qPrintable(writer.errorString()));
    return bytes;
}

// Decodes as a viewer would, turning the pixels as the file's orientation says.
QImage decode(const QByteArray &bytes, const QByteArray &format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(true);
    return reader.read();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The metadata of a picture in memory as Exiv2 reads it.
struct ReadBack
{
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    int imageType = Exiv2::ImageType::none;
    QString failure;

    bool hasExif(const char *key) const { return exif.findKey(Exiv2::ExifKey(key)) != exif.end(); }
    QString exifText(const char *key) const
    {
        const auto datum = exif.findKey(Exiv2::ExifKey(key));
        return datum == exif.end() ? QStringLiteral("(absent)")
                                   : QString::fromStdString(datum->toString());
    }
    QString xmpText(const char *key) const
    {
        const auto datum = xmp.findKey(Exiv2::XmpKey(key));
        return datum == xmp.end() ? QStringLiteral("(absent)")
                                  : QString::fromStdString(datum->toString());
    }
    QString iptcText(const char *key) const
    {
        const auto datum = iptc.findKey(Exiv2::IptcKey(key));
        return datum == iptc.end() ? QStringLiteral("(absent)")
                                   : QString::fromStdString(datum->toString());
    }
    bool hasThumbnail() const
    {
        for (const Exiv2::Exifdatum &datum : exif)
            if (datum.groupName() == "Thumbnail")
                return true;
        return false;
    }
};

ReadBack readBack(const QByteArray &bytes)
{
    ReadBack result;
    try {
        const auto image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(bytes.constData()), bytes.size());
        image->readMetadata();
        result.imageType = image->imageType();
        result.exif = image->exifData();
        result.xmp = image->xmpData();
        result.iptc = image->iptcData();
    } catch (const std::exception &exception) {
        result.failure = QString::fromLocal8Bit(exception.what());
    }
    return result;
}

// A JPEG APP1 segment with the given contents.
QByteArray app1(const QByteArray &contents)
{
    const int length = int(contents.size()) + 2;
    QByteArray segment("\xff\xe1", 2);
    segment.append(char(length >> 8));
    segment.append(char(length & 0xff));
    return segment + contents;
}

// The smallest GIF: one white pixel. Qt has no GIF writer.
const char onePixelGifBytes[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
                                ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
const QByteArray onePixelGif(onePixelGifBytes, sizeof onePixelGifBytes - 1);

} // namespace

class TestPhotoMetadata : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString photoPath;      // JPEG with camera data, XMP, IPTC and a thumbnail
    QString tiffPath;       // TIFF written by Qt with a camera make added

    QString path(const QString &name) const { return dir.filePath(name); }

    // Puts the camera data into the JPEG file, as a camera would have written it.
    static void addCameraData(const QString &file)
    {
        const auto image = Exiv2::ImageFactory::open(QFile::encodeName(file).toStdString());
        image->readMetadata();

        Exiv2::ExifData exif;
        exif["Exif.Image.Make"] = "Glimmerix Test Optics";
        exif["Exif.Image.Model"] = "GX-100";
        exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(6);
        exif["Exif.Image.ImageWidth"] = static_cast<std::uint32_t>(oldSize.width());
        exif["Exif.Image.ImageLength"] = static_cast<std::uint32_t>(oldSize.height());
        exif["Exif.Photo.DateTimeOriginal"] = "2021:06:13 14:05:09";
        exif["Exif.Photo.ExposureTime"] = Exiv2::Rational(1, 250);
        exif["Exif.Photo.PixelXDimension"] = static_cast<std::uint16_t>(oldSize.width());
        exif["Exif.Photo.PixelYDimension"] = static_cast<std::uint16_t>(oldSize.height());
        exif["Exif.GPSInfo.GPSVersionID"] = "2 2 0 0";
        exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
        exif["Exif.GPSInfo.GPSLatitude"] = "48/1 51/1 2400/100";
        exif["Exif.GPSInfo.GPSLongitudeRef"] = "E";
        exif["Exif.GPSInfo.GPSLongitude"] = "2/1 17/1 4000/100";
        const QByteArray thumbnail = encode(testimages::photoLikeImage(16, 12, 5), "jpg");
        Exiv2::ExifThumb(exif).setJpegThumbnail(
            reinterpret_cast<const Exiv2::byte *>(thumbnail.constData()), thumbnail.size());
        image->setExifData(exif);

        Exiv2::XmpData xmp;
        xmp["Xmp.dc.title"] = "lang=x-default Harbour at dusk";
        xmp["Xmp.xmp.CreatorTool"] = "GX-100 firmware 1.2";
        xmp["Xmp.tiff.Orientation"] = "6";
        xmp["Xmp.tiff.ImageWidth"] = std::to_string(oldSize.width());
        xmp["Xmp.tiff.ImageLength"] = std::to_string(oldSize.height());
        xmp["Xmp.exif.PixelXDimension"] = std::to_string(oldSize.width());
        xmp["Xmp.exif.PixelYDimension"] = std::to_string(oldSize.height());
        image->setXmpData(xmp);

        Exiv2::IptcData iptc;
        iptc["Iptc.Application2.Caption"] = "Boats in the old harbour";
        iptc["Iptc.Application2.City"] = "Honfleur";
        image->setIptcData(iptc);

        image->writeMetadata();
    }

    static void addMake(const QString &file)
    {
        const auto image = Exiv2::ImageFactory::open(QFile::encodeName(file).toStdString());
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        exif["Exif.Image.Make"] = "Glimmerix Test Scanners";
        image->setExifData(exif);
        image->writeMetadata();
    }

    // The format's picture of the new size, without metadata.
    static QByteArray newPicture(const QByteArray &format)
    {
        return encode(testimages::photoLikeImage(newSize.width(), newSize.height(), 11), format);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        photoPath = path("photo.jpg");
        QVERIFY(testimages::photoLikeImage(oldSize.width(), oldSize.height(), 3)
                    .save(photoPath, "jpg"));
        tiffPath = path("scan.tif");
        QVERIFY(testimages::photoLikeImage(oldSize.width(), oldSize.height(), 4)
                    .save(tiffPath, "tif"));
        try {
            addCameraData(photoPath);
            addMake(tiffPath);
        } catch (const std::exception &exception) {
            QFAIL(exception.what());
        }

        // The fixture must hold what the checks below expect to see changed or kept.
        QFile file(photoPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const ReadBack fixture = readBack(file.readAll());
        QCOMPARE(fixture.failure, QString());
        QCOMPARE(fixture.exifText("Exif.Image.Orientation"), QStringLiteral("6"));
        QVERIFY(fixture.hasThumbnail());
        QCOMPARE(fixture.iptcText("Iptc.Application2.Caption"),
                 QStringLiteral("Boats in the old harbour"));
        QCOMPARE(fixture.xmpText("Xmp.tiff.Orientation"), QStringLiteral("6"));
    }

    void defaultIsEmpty()
    {
        const PhotoMetadata metadata;
        QVERIFY(metadata.isEmpty());
        QCOMPARE(metadata.readError(), QString());

        const QByteArray plain = newPicture("jpg");
        QByteArray bytes = plain;
        QString error;
        QVERIFY(metadata.embedInto(bytes, "jpg", newSize, &error));
        QCOMPARE(bytes, plain);
        QCOMPARE(error, QString());
    }

    void readsPhoto()
    {
        const PhotoMetadata metadata = PhotoMetadata::read(photoPath);
        QCOMPARE(metadata.readError(), QString());
        QVERIFY(!metadata.isEmpty());
    }

    void embed_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("lossless");
        QTest::addColumn<bool>("keepsIptc");
        QTest::addColumn<int>("imageType");

        QTest::newRow("jpg") << QByteArray("jpg") << false << true << int(Exiv2::ImageType::jpeg);
        QTest::newRow("jpeg") << QByteArray("jpeg") << false << true << int(Exiv2::ImageType::jpeg);
        QTest::newRow("png") << QByteArray("png") << true << true << int(Exiv2::ImageType::png);
        QTest::newRow("tif") << QByteArray("tif") << true << true << int(Exiv2::ImageType::tiff);
        QTest::newRow("tiff") << QByteArray("tiff") << true << true << int(Exiv2::ImageType::tiff);
        // Exiv2 writes no IPTC data into WebP.
        QTest::newRow("webp") << QByteArray("webp") << false << false << int(Exiv2::ImageType::webp);
    }

    void embed()
    {
        QFETCH(QByteArray, format);
        QFETCH(bool, lossless);
        QFETCH(bool, keepsIptc);
        QFETCH(int, imageType);

        const PhotoMetadata read = PhotoMetadata::read(photoPath);
        QCOMPARE(read.readError(), QString());
        const PhotoMetadata metadata = read; // copies share what was read

        const QByteArray plain = newPicture(format);
        QByteArray bytes = plain;
        QString error;
        QVERIFY2(metadata.embedInto(bytes, format, newSize, &error), qPrintable(error));
        QCOMPARE(error, QString());
        QVERIFY(bytes != plain);

        const ReadBack written = readBack(bytes);
        QCOMPARE(written.failure, QString());
        QCOMPARE(written.imageType, imageType);

        // What the camera said is still there.
        QCOMPARE(written.exifText("Exif.Image.Make"), QStringLiteral("Glimmerix Test Optics"));
        QCOMPARE(written.exifText("Exif.Image.Model"), QStringLiteral("GX-100"));
        QCOMPARE(written.exifText("Exif.Photo.DateTimeOriginal"),
                 QStringLiteral("2021:06:13 14:05:09"));
        QCOMPARE(written.exifText("Exif.Photo.ExposureTime"), QStringLiteral("1/250"));
        QCOMPARE(written.exifText("Exif.GPSInfo.GPSLatitudeRef"), QStringLiteral("N"));
        QCOMPARE(written.exifText("Exif.GPSInfo.GPSLatitude"),
                 QStringLiteral("48/1 51/1 2400/100"));
        QCOMPARE(written.exifText("Exif.GPSInfo.GPSLongitudeRef"), QStringLiteral("E"));
        QCOMPARE(written.exifText("Exif.GPSInfo.GPSLongitude"),
                 QStringLiteral("2/1 17/1 4000/100"));
        QCOMPARE(written.xmpText("Xmp.dc.title"), QStringLiteral("lang=\"x-default\" Harbour at dusk"));
        QCOMPARE(written.xmpText("Xmp.xmp.CreatorTool"), QStringLiteral("GX-100 firmware 1.2"));
        if (keepsIptc) {
            QCOMPARE(written.iptcText("Iptc.Application2.Caption"),
                     QStringLiteral("Boats in the old harbour"));
            QCOMPARE(written.iptcText("Iptc.Application2.City"), QStringLiteral("Honfleur"));
        } else {
            QVERIFY(written.iptc.empty());
        }

        // The pixels are upright and of the new size, and the old thumbnail is gone.
        QCOMPARE(written.exifText("Exif.Image.Orientation"), QStringLiteral("1"));
        QCOMPARE(written.xmpText("Xmp.tiff.Orientation"), QStringLiteral("1"));
        const QString width = QString::number(newSize.width());
        const QString height = QString::number(newSize.height());
        QCOMPARE(written.exifText("Exif.Photo.PixelXDimension"), width);
        QCOMPARE(written.exifText("Exif.Photo.PixelYDimension"), height);
        QCOMPARE(written.exifText("Exif.Image.ImageWidth"), width);
        QCOMPARE(written.exifText("Exif.Image.ImageLength"), height);
        QCOMPARE(written.xmpText("Xmp.exif.PixelXDimension"), width);
        QCOMPARE(written.xmpText("Xmp.exif.PixelYDimension"), height);
        QCOMPARE(written.xmpText("Xmp.tiff.ImageWidth"), width);
        QCOMPARE(written.xmpText("Xmp.tiff.ImageLength"), height);
        QVERIFY(!written.hasThumbnail());

        // Qt sees the same picture as without the metadata.
        const QImage withoutMetadata = decode(plain, format);
        QVERIFY(!withoutMetadata.isNull());
        QCOMPARE(withoutMetadata.size(), newSize);
        const QImage withMetadata = decode(bytes, format);
        QVERIFY(!withMetadata.isNull());
        COMPARE_IMAGES(withMetadata, withoutMetadata);
        if (lossless)
            COMPARE_IMAGES(withMetadata,
                           testimages::photoLikeImage(newSize.width(), newSize.height(), 11));
    }

    // The colour profile the encoder wrote stays with the picture.
    void keepsColourProfile_data()
    {
        QTest::addColumn<QByteArray>("format");
        for (const char *format : {"jpg", "png", "tif", "webp"})
            QTest::newRow(format) << QByteArray(format);
    }

    void keepsColourProfile()
    {
        QFETCH(QByteArray, format);

        QImage image = testimages::photoLikeImage(newSize.width(), newSize.height(), 12);
        image.setColorSpace(QColorSpace::DisplayP3);
        const QByteArray plain = encode(image, format);
        const QColorSpace encoded = decode(plain, format).colorSpace();
        if (!encoded.isValid())
            QSKIP("Qt writes no colour profile in this format");

        QByteArray bytes = plain;
        QString error;
        QVERIFY2(PhotoMetadata::read(photoPath).embedInto(bytes, format, newSize, &error),
                 qPrintable(error));
        const QImage withMetadata = decode(bytes, format);
        QVERIFY(withMetadata.colorSpace().isValid());
        QCOMPARE(withMetadata.colorSpace(), encoded);
    }

    // How the old TIFF stored its pixels is nothing the new picture may claim.
    void tiffStorageStaysBehind_data()
    {
        QTest::addColumn<QByteArray>("format");
        for (const char *format : {"jpg", "png", "tif", "webp"})
            QTest::newRow(format) << QByteArray(format);
    }

    void tiffStorageStaysBehind()
    {
        QFETCH(QByteArray, format);

        const PhotoMetadata metadata = PhotoMetadata::read(tiffPath);
        QCOMPARE(metadata.readError(), QString());
        QVERIFY(!metadata.isEmpty());

        const QByteArray plain = newPicture(format);
        QByteArray bytes = plain;
        QString error;
        QVERIFY2(metadata.embedInto(bytes, format, newSize, &error), qPrintable(error));

        const ReadBack written = readBack(bytes);
        QCOMPARE(written.failure, QString());
        QCOMPARE(written.exifText("Exif.Image.Make"), QStringLiteral("Glimmerix Test Scanners"));
        if (format != "tif") {
            for (const char *key : {"Exif.Image.StripOffsets", "Exif.Image.StripByteCounts",
                                    "Exif.Image.RowsPerStrip", "Exif.Image.BitsPerSample",
                                    "Exif.Image.Compression", "Exif.Image.SamplesPerPixel"})
                QVERIFY2(!written.hasExif(key), key);
        }
        QCOMPARE(written.exifText("Exif.Image.ImageWidth"), QString::number(newSize.width()));
        QCOMPARE(written.exifText("Exif.Image.ImageLength"), QString::number(newSize.height()));
        COMPARE_IMAGES(decode(bytes, format), decode(plain, format));
    }

    // Files that hold no metadata, or that Exiv2 does not know.
    void noMetadata_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");

        const QImage image = testimages::photoLikeImage(20, 10, 7);
        QTest::newRow("bmp") << "picture.bmp" << encode(image, "bmp");
        QTest::newRow("gif") << "picture.gif" << onePixelGif;
        QTest::newRow("png without metadata") << "plain.png" << encode(image, "png");
        QTest::newRow("jpg without metadata") << "plain.jpg" << encode(image, "jpg");
        // Exiv2 looks further into a file than a short one goes.
        QTest::newRow("short text") << "notes.txt" << QByteArray("not a picture at all\n");
        QTest::newRow("empty file") << "empty.jpg" << QByteArray();
        QTest::newRow("long text") << "letter.txt" << QByteArray("Dear reader,\n").repeated(400);
    }

    void noMetadata()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);

        const QString file = path(name);
        QVERIFY(writeFile(file, contents));
        if (name.endsWith(QLatin1String(".gif"))) {
            QVERIFY(contents.endsWith(';'));
            QCOMPARE(QImage(file).size(), QSize(1, 1));
        }

        const PhotoMetadata metadata = PhotoMetadata::read(file);
        QCOMPARE(metadata.readError(), QString());
        QVERIFY(metadata.isEmpty());
    }

    // JPEG files whose Exif segment cannot be parsed.
    void unreadableMetadata_data()
    {
        QTest::addColumn<QByteArray>("contents");

        const QByteArray jpeg = encode(testimages::photoLikeImage(20, 10, 8), "jpg");
        const auto withSegment = [&jpeg](const QByteArray &segment) {
            QByteArray bytes = jpeg;
            bytes.insert(2, segment);
            return bytes;
        };
        QTest::newRow("garbage TIFF header")
            << withSegment(app1(QByteArray("Exif\0\0", 6) + "garbage, not a TIFF header"));
        QTest::newRow("IFD offset out of range")
            << withSegment(app1(QByteArray("Exif\0\0II*\0\xff\xff\xff\x0f", 14)));
        QTest::newRow("IFD without entries")
            << withSegment(app1(QByteArray("Exif\0\0II*\0\x08\0\0\0", 14)));
        QByteArray cut = withSegment(QByteArray("\xff\xe1\x40\x00" "Exif\0\0II*\0", 14));
        cut.truncate(40);
        QTest::newRow("segment longer than the file") << cut;
    }

    void unreadableMetadata()
    {
        QFETCH(QByteArray, contents);

        const QString file = path("broken.jpg");
        QVERIFY(writeFile(file, contents));
        const PhotoMetadata metadata = PhotoMetadata::read(file);
        QVERIFY(metadata.isEmpty());
        QVERIFY(!metadata.readError().isEmpty());
    }

    void missingFile()
    {
        const PhotoMetadata metadata = PhotoMetadata::read(path("no such photo.jpg"));
        QVERIFY(metadata.isEmpty());
        QVERIFY(!metadata.readError().isEmpty());
    }

    // Bytes that are not a picture of the format named are refused and left alone.
    void refusesOtherData_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("bytes");

        const QImage image = testimages::photoLikeImage(20, 10, 9);
        const QByteArray jpeg = encode(image, "jpg");
        QTest::newRow("png into jpg") << QByteArray("jpg") << encode(image, "png");
        QTest::newRow("jpg into png") << QByteArray("png") << jpeg;
        QTest::newRow("jpg into tif") << QByteArray("tif") << jpeg;
        QTest::newRow("png into webp") << QByteArray("webp") << encode(image, "png");
        QTest::newRow("text into jpeg") << QByteArray("jpeg") << QByteArray("plain text, no picture");
        QTest::newRow("nothing into png") << QByteArray("png") << QByteArray();
        QTest::newRow("cut jpg") << QByteArray("jpg") << jpeg.left(jpeg.size() / 3);
        QTest::newRow("png signature only") << QByteArray("png")
                                            << QByteArray("\x89PNG\r\n\x1a\n", 8);
        QTest::newRow("tiff header only") << QByteArray("tif") << QByteArray("II*\0\x08\0\0\0", 8);
    }

    void refusesOtherData()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, bytes);

        const PhotoMetadata metadata = PhotoMetadata::read(photoPath);
        QVERIFY(!metadata.isEmpty());

        QByteArray encoded = bytes;
        QString error;
        QVERIFY(!metadata.embedInto(encoded, format, newSize, &error));
        QCOMPARE(encoded, bytes);
        QVERIFY(!error.isEmpty());

        // Without a place for the reason the answer is the same.
        QVERIFY(!metadata.embedInto(encoded, format, newSize, nullptr));
        QCOMPARE(encoded, bytes);
    }

    // Formats without metadata take the picture as it is.
    void formatWithoutMetadata_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("bytes");

        const QImage image = testimages::photoLikeImage(20, 10, 10);
        QTest::newRow("bmp") << QByteArray("bmp") << encode(image, "bmp");
        QTest::newRow("ppm") << QByteArray("ppm") << encode(image, "ppm");
        QTest::newRow("ico") << QByteArray("ico") << encode(image, "ico");
        QTest::newRow("jpeg bytes named bmp") << QByteArray("bmp") << encode(image, "jpg");
    }

    void formatWithoutMetadata()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, bytes);

        QByteArray encoded = bytes;
        QString error;
        QVERIFY(PhotoMetadata::read(photoPath).embedInto(encoded, format, newSize, &error));
        QCOMPARE(encoded, bytes);
        QCOMPARE(error, QString());
    }
};

QTEST_MAIN(TestPhotoMetadata)
#include "tst_photometadata.moc"
