#include "gauss.h"
#include "reference.h"
#include "runconfigs.h"
#include "sharpen.h"
#include "testimages.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

QImage uniform(QRgb colour)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestSharpen : public QObject
{
    Q_OBJECT

private slots:
    void strengthZeroIsIdentity_data();
    void strengthZeroIsIdentity();
    void blackAndWhiteIsUnchanged_data();
    void blackAndWhiteIsUnchanged();
    void channelValue_data();
    void channelValue();
    void resultFormat_data();
    void resultFormat();
    void premultipliedOriginalIsReadAsItsWords();
    void missingBlurredPixelsLeaveTheOriginal();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCount_data();
    void sameUnderEveryThreadCount();
    void cleanup();
};

void TestSharpen::cleanup()
{
    testruns::restoreDefaults();
}

void TestSharpen::strengthZeroIsIdentity_data()
{
    QTest::addColumn<QImage::Format>("format");
    for (QImage::Format format : testimages::formatsUnderTest())
        QTest::addRow("format %d", int(format)) << format;
}

void TestSharpen::strengthZeroIsIdentity()
{
    QFETCH(QImage::Format, format);
    const QImage original = testimages::randomAlphaImage(9, 7, 3).convertToFormat(format);
    const QImage result = effects::sharpen(original, effects::gaussBlur(original, 0.7), 0.0);
    COMPARE_IMAGES(result, testimages::opaqueCopy(original));
}

void TestSharpen::blackAndWhiteIsUnchanged_data()
{
    QTest::addColumn<double>("strength");
    for (double strength : {0.0, 0.5, 1.0, 2.37, 3.0})
        QTest::addRow("%g", strength) << strength;
}

void TestSharpen::blackAndWhiteIsUnchanged()
{
    QFETCH(double, strength);
    QImage image(12, 10, QImage::Format_RGB32);
    QRandomGenerator random(5);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(random.bounded(2) * 255, random.bounded(2) * 255,
                                      random.bounded(2) * 255));
    COMPARE_IMAGES(effects::sharpen(image, effects::gaussBlur(image, 0.7), strength), image);
}

void TestSharpen::channelValue_data()
{
    QTest::addColumn<int>("original");
    QTest::addColumn<int>("blurred");
    QTest::addColumn<double>("strength");
    QTest::addColumn<int>("expected");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("100.5 up") << 100 << 99 << 0.5 << 101;
    QTest::newRow("98.5 up") << 99 << 100 << 0.5 << 99;
    QTest::newRow("6.5 up") << 5 << 2 << 0.5 << 7;
    QTest::newRow("plain") << 120 << 100 << 0.25 << 125;
    QTest::newRow("above 255") << 200 << 100 << 3.0 << 255;
    QTest::newRow("just 255") << 250 << 245 << 1.0 << 255;
    QTest::newRow("below 0") << 50 << 150 << 3.0 << 0;
    QTest::newRow("-0.5") << 0 << 1 << 0.5 << 0;
    QTest::newRow("infinite up") << 101 << 100 << inf << 255;
    QTest::newRow("infinite down") << 99 << 100 << inf << 0;
    QTest::newRow("0 times infinite") << 100 << 100 << inf << 0;
    QTest::newRow("NaN strength") << 100 << 90 << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TestSharpen::channelValue()
{
    QFETCH(int, original);
    QFETCH(int, blurred);
    QFETCH(double, strength);
    QFETCH(int, expected);
    // The value under test in one channel at a time; the others have O = B = 0 and
    // stay 0 (also under a NaN or infinite strength, where 0 times it is NaN).
    const int shifts[3] = {16, 8, 0};
    for (int shift : shifts) {
        const QImage o = uniform(0xff000000u | (QRgb(original) << shift));
        const QImage b = uniform(0xff000000u | (QRgb(blurred) << shift));
        const QRgb want = 0xff000000u | (QRgb(expected) << shift);
        QCOMPARE(effects::sharpen(o, b, strength).pixel(0, 0), want);
    }
}

void TestSharpen::resultFormat_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QImage::Format>("expected");
    const QImage::Format kept[] = {
        QImage::Format_RGB32,        QImage::Format_ARGB32,
        QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888,
        QImage::Format_BGR888,       QImage::Format_RGBX8888,
        QImage::Format_RGBA8888,     QImage::Format_RGBA8888_Premultiplied,
        QImage::Format_RGB30,        QImage::Format_BGR30,
        QImage::Format_A2RGB30_Premultiplied, QImage::Format_A2BGR30_Premultiplied,
        QImage::Format_RGBX64,       QImage::Format_RGBA64,
        QImage::Format_RGBA64_Premultiplied, QImage::Format_RGBX16FPx4,
        QImage::Format_RGBA16FPx4,   QImage::Format_RGBA16FPx4_Premultiplied,
        QImage::Format_RGBX32FPx4,   QImage::Format_RGBA32FPx4,
        QImage::Format_RGBA32FPx4_Premultiplied};
    for (QImage::Format format : kept)
        QTest::addRow("kept %d", int(format)) << format << format;
    const QImage::Format lossy[] = {
        QImage::Format_Indexed8, QImage::Format_Grayscale8, QImage::Format_Grayscale16,
        QImage::Format_Mono,     QImage::Format_MonoLSB,    QImage::Format_RGB16,
        QImage::Format_RGB666,   QImage::Format_RGB555,     QImage::Format_RGB444,
        QImage::Format_ARGB8565_Premultiplied, QImage::Format_ARGB4444_Premultiplied,
        QImage::Format_Alpha8};
    for (QImage::Format format : lossy)
        QTest::addRow("RGB32 for %d", int(format)) << format << QImage::Format_RGB32;
}

void TestSharpen::resultFormat()
{
    QFETCH(QImage::Format, format);
    QFETCH(QImage::Format, expected);
    const QImage original = testimages::photoLikeImage(10, 9, 8).convertToFormat(format);
    QCOMPARE(effects::holdsEveryOpaqueColour(format), expected == format);
    const QImage blurred = effects::gaussBlur(original, 0.7);
    const QImage result = effects::sharpen(original, blurred, 1.7);
    QCOMPARE(result.format(), expected);
    // Every pixel reads back as qRgb of its sharpened channels.
    const QImage words = effects::sharpen(testimages::opaqueCopy(original), blurred, 1.7);
    QCOMPARE(words.format(), QImage::Format_RGB32);
    COMPARE_IMAGES(result, words);
    COMPARE_IMAGES(result, reference::sharpen(original, blurred, 1.7));
}

void TestSharpen::premultipliedOriginalIsReadAsItsWords()
{
    QImage original(2, 1, QImage::Format_ARGB32);
    original.setPixel(0, 0, qRgba(200, 100, 50, 128));
    original.setPixel(1, 0, qRgba(255, 255, 255, 0));
    original.convertTo(QImage::Format_ARGB32_Premultiplied);
    const QRgb word = original.pixel(0, 0);
    QVERIFY(qRed(word) < 200); // pixel() gives the premultiplied word
    QImage blurred(2, 1, QImage::Format_RGB32);
    blurred.fill(qRgb(90, 60, 30));
    const QImage result = effects::sharpen(original, blurred, 0.5);
    QCOMPARE(result.format(), QImage::Format_ARGB32_Premultiplied);
    const auto channel = [](int o, int b) { return qBound(0, int(std::round(o + (o - b) * 0.5)), 255); };
    QCOMPARE(result.pixel(0, 0), qRgb(channel(qRed(word), 90), channel(qGreen(word), 60),
                                      channel(qBlue(word), 30)));
    QCOMPARE(result.pixel(1, 0), qRgb(0, 0, 0)); // transparent white reads as 0: 0 - 45 < 0
}

void TestSharpen::missingBlurredPixelsLeaveTheOriginal()
{
    const QImage original = testimages::randomImage(6, 5, 2);
    const QImage blurred = effects::gaussBlur(original, 0.7);
    const QImage result = effects::sharpen(original, blurred.copy(0, 0, 4, 3), 2.0);
    const QImage full = effects::sharpen(original, blurred, 2.0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            QCOMPARE(result.pixel(x, y), x < 4 && y < 3 ? full.pixel(x, y) : original.pixel(x, y));
    COMPARE_IMAGES(effects::sharpen(original, QImage(), 3.0), original);
}

void TestSharpen::matchesReference_data()
{
    QTest::addColumn<QImage>("original");
    QTest::addColumn<double>("strength");
    const QList<QSize> sizes = {{1, 1}, {1, 8}, {8, 1}, {5, 4}, {14, 11}};
    QRandomGenerator random(12);
    quint32 seed = 300;
    for (QImage::Format format : testimages::formatsUnderTest()) {
        for (const QSize s : sizes) {
            const QImage original = testimages::photoLikeImage(s.width(), s.height(), ++seed)
                                        .convertToFormat(format);
            const QImage noisy = testimages::randomAlphaImage(s.width(), s.height(), ++seed)
                                     .convertToFormat(format);
            for (double strength : {0.01, 3.0, int(random.bounded(0, 301)) / 100.0}) {
                QTest::addRow("format %d %dx%d photo %g", int(format), s.width(), s.height(), strength)
                    << original << strength;
                QTest::addRow("format %d %dx%d noise %g", int(format), s.width(), s.height(), strength)
                    << noisy << strength;
            }
        }
    }
}

void TestSharpen::matchesReference()
{
    QFETCH(QImage, original);
    QFETCH(double, strength);
    const QImage blurred = effects::gaussBlur(original, 0.7);
    const QImage result = effects::sharpen(original, blurred, strength);
    const QImage expected = reference::sharpen(original, blurred, strength);
    QCOMPARE(result.format(), expected.format());
    COMPARE_IMAGES(result, expected);
}

void TestSharpen::sameUnderEveryThreadCount_data()
{
    // The blur of the editor (sigma 0.7) and, to reach every difference O - B from
    // -255 to 255, an unrelated random image as the "blurred" one. Strengths at the
    // spin box's ends, halves that round away from zero, at random, and outside the
    // box (negative, huge, infinite) where the limits decide.
    QTest::addColumn<QImage>("original");
    QTest::addColumn<QImage>("blurred");
    QTest::addColumn<double>("strength");
    const QList<QSize> sizes = {{1, 1}, {1, 40}, {40, 1}, {3, 2}, {29, 23}, {260, 41}};
    const QList<QImage::Format> formats = {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
                                           QImage::Format_RGB888, QImage::Format_Indexed8,
                                           QImage::Format_RGBX64};
    QRandomGenerator random(77);
    quint32 seed = 700;
    const double inf = std::numeric_limits<double>::infinity();
    for (const QSize s : sizes) {
        for (QImage::Format format : formats) {
            const QImage original = testimages::photoLikeImage(s.width(), s.height(), ++seed).convertToFormat(format);
            const QImage blurred = effects::gaussBlur(original, 0.7);
            const QImage unrelated = testimages::randomAlphaImage(s.width(), s.height(), ++seed);
            for (double strength : {0.0, 0.5, 3.0, int(random.bounded(0, 301)) / 100.0}) {
                QTest::addRow("%dx%d format %d blur %g", s.width(), s.height(), int(format), strength)
                    << original << blurred << strength;
                QTest::addRow("%dx%d format %d random %g", s.width(), s.height(), int(format), strength)
                    << original << unrelated << strength;
            }
        }
        const QImage original = testimages::randomImage(s.width(), s.height(), ++seed);
        const QImage other = testimages::randomImage(s.width(), s.height(), ++seed);
        for (double strength : {-0.37, 1e9, inf, -inf})
            QTest::addRow("%dx%d outside the box %g", s.width(), s.height(), strength)
                << original << other << strength;
    }
}

void TestSharpen::sameUnderEveryThreadCount()
{
    QFETCH(QImage, original);
    QFETCH(QImage, blurred);
    QFETCH(double, strength);
    const QImage expected = reference::sharpen(original, blurred, strength);
    QCOMPARE(testruns::firstDifferenceUnderEveryRun(
                 [&] { return effects::sharpen(original, blurred, strength); }, expected),
             QString());
}

QTEST_APPLESS_MAIN(TestSharpen)
#include "tst_sharpen.moc"
