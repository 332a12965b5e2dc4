#ifndef GLIMMERIX_TESTS_TESTIMAGES_H
#define GLIMMERIX_TESTS_TESTIMAGES_H

// Small helpers shared by the tests: deterministic images, the pixel formats the
// working image can have, and comparisons that name the first differing pixel.

#include <QImage>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QTest>

namespace testimages {

// Opaque RGB32 image of random colours; the same seed gives the same image.
inline QImage randomImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xff000000u | (random.generate() & 0xffffffu));
    return image;
}

// Random image with random alpha, in ARGB32 (not premultiplied).
inline QImage randomAlphaImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate());
    return image;
}

// Photo-like picture: smooth gradients, a hard edge and a little noise.
inline QImage photoLikeImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int r = width > 1 ? 255 * x / (width - 1) : 128;
            int g = height > 1 ? 255 * y / (height - 1) : 128;
            int b = (x * 3 + y * 5) % 256;
            if (x > width / 2 && y > height / 3)
                r = 255 - r;
            const int noise = int(random.bounded(9)) - 4;
            r = qBound(0, r + noise, 255);
            g = qBound(0, g - noise, 255);
            image.setPixel(x, y, qRgb(r, g, b));
        }
    }
    return image;
}

// The formats a working image can arrive in; each effect must read them as pixel() does.
inline QList<QImage::Format> formatsUnderTest()
{
    return {QImage::Format_RGB32,        QImage::Format_ARGB32,
            QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888,
            QImage::Format_Grayscale8,   QImage::Format_Indexed8,
            QImage::Format_RGBA8888,     QImage::Format_RGBX64,
            QImage::Format_RGBA64,       QImage::Format_RGBA64_Premultiplied,
            QImage::Format_RGB16};
}

inline QImage inFormat(const QImage &image, QImage::Format format)
{
    return image.convertToFormat(format);
}

// An RGB32 image whose words are exactly what pixel() returns for the given image
// (alpha included, as pixel() reports it).
inline QImage wordsOf(const QImage &image)
{
    QImage words(image.size(), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            words.setPixel(x, y, image.pixel(x, y));
    return words;
}

// Describes the first pixel at which two images differ (as pixel() reads them),
// or returns an empty string when they are the same size and equal everywhere.
inline QString firstDifference(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width()).arg(actual.height())
            .arg(expected.width()).arg(expected.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x).arg(y)
                    .arg(actual.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .arg(expected.pixel(x, y), 8, 16, QLatin1Char('0'));
    return QString();
}

// What setPixel() of every pixel() into an RGB32 image gives: the identity result.
inline QImage opaqueCopy(const QImage &image)
{
    QImage copy(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            copy.setPixel(x, y, image.pixel(x, y));
    return copy;
}
// Every stored word carries alpha 255 (in an RGB32 image pixel() would hide a
// stored 0).
inline bool opaqueWords(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return false;
    }
    return true;
}
// RGB32 whose stored words all carry alpha 255.
inline bool storedOpaqueRgb32(const QImage &image)
{
    return image.format() == QImage::Format_RGB32 && opaqueWords(image);
}
// A random image (random alpha) whose channels stay within low..high.
inline QImage rangedImage(int width, int height, int low, int high, quint32 seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(random.bounded(low, high + 1), random.bounded(low, high + 1),
                                       random.bounded(low, high + 1), random.bounded(256)));
    return image;
}
// Each channel of actual equals that of expected or is one lower: what a position a
// hair off the grid gives after truncation.
inline bool equalOrOneLower(QRgb actual, QRgb expected)
{
    const auto close = [](int a, int e) { return a == e || a == e - 1; };
    return close(qRed(actual), qRed(expected)) && close(qGreen(actual), qGreen(expected))
        && close(qBlue(actual), qBlue(expected));
}
// Flat patches of random colours (random alpha): neighbours are often equal, so the
// exact blend is a whole number and the rounding of each product decides the
// truncation. Noise alone almost never shows a change in the order of operations.
inline QImage patchImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    QRgb colours[64];
    for (QRgb &colour : colours)
        colour = random.generate();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[((y / 2) * 8 + x / 3) % 64]);
    return image;
}

// Rows of a QImage column "source": a random (alpha) and a photo-like image of
// each size in every format under test, seeds counted up from `seed`.
inline void addImagesInEveryFormat(const QList<QSize> &sizes, quint32 seed)
{
    for (QImage::Format format : formatsUnderTest()) {
        for (const QSize s : sizes) {
            QTest::addRow("format %d %dx%d random", int(format), s.width(), s.height())
                << randomAlphaImage(s.width(), s.height(), ++seed).convertToFormat(format);
            QTest::addRow("format %d %dx%d photo", int(format), s.width(), s.height())
                << photoLikeImage(s.width(), s.height(), ++seed).convertToFormat(format);
        }
    }
}

} // namespace testimages

// QCOMPARE-like check of two images, pixel for pixel.
#define COMPARE_IMAGES(actual, expected)                                                  \
    do {                                                                                  \
        const QString difference_ = testimages::firstDifference((actual), (expected));   \
        if (!difference_.isEmpty())                                                       \
            QFAIL(qPrintable(difference_));                                               \
    } while (false)

#endif
