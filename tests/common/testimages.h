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

} // namespace testimages

// QCOMPARE-like check of two images, pixel for pixel.
#define COMPARE_IMAGES(actual, expected)                                                  \
    do {                                                                                  \
        const QString difference_ = testimages::firstDifference((actual), (expected));   \
        if (!difference_.isEmpty())                                                       \
            QFAIL(qPrintable(difference_));                                               \
    } while (false)

#endif
