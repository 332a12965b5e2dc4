#include "reference.h"
#include "runconfigs.h"
#include "stretch.h"
#include "testimages.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

namespace {

QImage opaque(const QImage &image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.setPixel(x, y, image.pixel(x, y));
    return out;
}

// One row of gray pixels first, first + 1, ..., last.
QImage rampImage(int first, int last)
{
    QImage image(last - first + 1, 1, QImage::Format_RGB32);
    for (int v = first; v <= last; ++v)
        image.setPixel(v - first, 0, qRgb(v, v, v));
    return image;
}

QImage stretchedBy(const QImage &source, bool channel)
{
    return channel ? effects::channelStretch(source) : effects::linearStretch(source);
}

// Every stored word of an RGB32 result has alpha 255 (pixel() would hide it).
bool opaqueWords(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return false;
    }
    return true;
}

// A random image whose channels stay within low..high, in one of the formats.
QImage rangedImage(int width, int height, int low, int high, quint32 seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(random.bounded(low, high + 1), random.bounded(low, high + 1),
                                       random.bounded(low, high + 1), random.bounded(256)));
    return image;
}

} // namespace

class TestStretch : public QObject
{
    Q_OBJECT

private slots:
    void grayRamp_data();
    void grayRamp();
    void rangesWhoseMaxComesOut254();
    void lowerThanIntegerQuotient();
    void pureBlueAtTheDarkestBrightness();
    void uniformImage_data();
    void uniformImage();
    void channelWithEmptyBlue();
    void fullRangeIsUnchanged_data();
    void fullRangeIsUnchanged();
    void emptyImage();
    void unknownChannelsCopies_data();
    void unknownChannelsCopies();
    void targetMayBeTheSource();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCount_data();
    void sameUnderEveryThreadCount();
    void cleanup();
};

void TestStretch::cleanup()
{
    testruns::restoreDefaults();
}

void TestStretch::grayRamp_data()
{
    QTest::addColumn<bool>("channel");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<int>>("expected"); // first, second, ..., last
    QList<int> times5;
    for (int v = 0; v <= 51; ++v)
        times5 << 5 * v;
    QTest::newRow("linear 50..150") << false << 50 << 150 << QList<int>{0, 2, 5};
    QTest::newRow("channel 50..150") << true << 50 << 150 << QList<int>{0, 2, 5};
    QTest::newRow("linear 0..51") << false << 0 << 51 << times5;
    QTest::newRow("channel 0..51") << true << 0 << 51 << times5;
}

void TestStretch::grayRamp()
{
    QFETCH(bool, channel);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QList<int>, expected);
    const QImage result = stretchedBy(rampImage(first, last), channel);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(result.pixel(i, 0), qRgb(expected[i], expected[i], expected[i]));
    if (last - first == 100)
        QCOMPARE(result.pixel(100, 0), qRgb(254, 254, 254)); // not 255
}

void TestStretch::rangesWhoseMaxComesOut254()
{
    const QSet<int> listed = {25,  29,  50,  53,  58,  91,  93,  100, 103, 105, 106,
                              116, 117, 121, 182, 185, 186, 187, 191, 200, 203, 206,
                              207, 210, 212, 217, 221, 232, 233, 234, 235, 242};
    QCOMPARE(listed.size(), 32);
    QSet<int> found;
    for (int range = 1; range <= 255; ++range) {
        const int low = (range * 7) % (256 - range);
        QImage image(2, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, qRgb(low, low, low));
        image.setPixel(1, 0, qRgb(low + range, low + range, low + range));
        for (int channels = 0; channels <= 3; ++channels) {
            QImage target(image.size(), QImage::Format_RGB32);
            effects::extension(image, target, channels);
            const QRgb top = target.pixel(1, 0);
            const int value = channels == 0 ? qRed(top) : channels == 1 ? qBlue(top)
                                                    : channels == 2 ? qGreen(top) : qRed(top);
            QVERIFY(value == 254 || value == 255);
            if (value == 254 && channels == 0)
                found.insert(range);
            QCOMPARE(value == 254, found.contains(range));
        }
    }
    QCOMPARE(found, listed);
}

void TestStretch::lowerThanIntegerQuotient()
{
    // Over all ranges and values, the double-precision mapping is 75 times one lower
    // than the exact quotient (v - min) * 255 / range, and never further off.
    int lower = 0;
    for (int range = 1; range <= 255; ++range) {
        const QImage result = effects::linearStretch(rampImage(0, range));
        for (int v = 0; v <= range; ++v) {
            const int difference = v * 255 / range - qRed(result.pixel(v, 0));
            QVERIFY(difference == 0 || difference == 1);
            lower += difference;
        }
    }
    QCOMPARE(lower, 75);
}

void TestStretch::pureBlueAtTheDarkestBrightness()
{
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0, 0, 255)); // brightness 18, the darkest
    image.setPixel(1, 0, qRgb(255, 255, 255));
    image.setPixel(2, 0, qRgb(100, 100, 100));
    const QImage result = effects::linearStretch(image);
    QCOMPARE(result.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(result.pixel(1, 0), qRgb(255, 255, 255));
    const int mid = int((100 - 18) * (255 / double(255 - 18)));
    QCOMPARE(result.pixel(2, 0), qRgb(mid, mid, mid));
}

void TestStretch::uniformImage_data()
{
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<QRgb>("linear");
    QTest::addColumn<QRgb>("channel");
    QTest::newRow("gray") << qRgb(77, 77, 77) << qRgb(0, 0, 0) << qRgb(0, 0, 0);
    QTest::newRow("white") << qRgb(255, 255, 255) << qRgb(0, 0, 0) << qRgb(0, 0, 0);
    QTest::newRow("black") << qRgb(0, 0, 0) << qRgb(0, 0, 0) << qRgb(0, 0, 0);
    // Brightness 146: red above it becomes 255, green below it 0.
    QTest::newRow("orange") << qRgb(255, 128, 0) << qRgb(255, 0, 0) << qRgb(0, 0, 0);
}

void TestStretch::uniformImage()
{
    QFETCH(QRgb, colour);
    QFETCH(QRgb, linear);
    QFETCH(QRgb, channel);
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    QImage expected(image.size(), QImage::Format_RGB32);
    expected.fill(linear);
    COMPARE_IMAGES(effects::linearStretch(image), expected);
    expected.fill(channel);
    COMPARE_IMAGES(effects::channelStretch(image), expected);
}

void TestStretch::channelWithEmptyBlue()
{
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(20, 0, 0));
    image.setPixel(1, 0, qRgb(71, 255, 0));
    image.setPixel(2, 0, qRgb(30, 100, 0));
    const QImage result = effects::channelStretch(image);
    QCOMPARE(result.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(result.pixel(1, 0), qRgb(255, 255, 0));
    QCOMPARE(result.pixel(2, 0), qRgb(50, 100, 0));
}

void TestStretch::fullRangeIsUnchanged_data()
{
    QTest::addColumn<bool>("channel");
    QTest::newRow("linear") << false;
    QTest::newRow("channel") << true;
}

void TestStretch::fullRangeIsUnchanged()
{
    QFETCH(bool, channel);
    QImage image = testimages::randomImage(9, 7, 31);
    image.setPixel(2, 3, qRgb(0, 0, 0));
    image.setPixel(6, 1, qRgb(255, 255, 255));
    COMPARE_IMAGES(stretchedBy(image, channel), image);
}

void TestStretch::emptyImage()
{
    QVERIFY(effects::linearStretch(QImage()).isNull());
    QVERIFY(effects::channelStretch(QImage()).isNull());
    QImage target;
    effects::extension(QImage(), target, 0);
    QVERIFY(target.isNull());
}

void TestStretch::unknownChannelsCopies_data()
{
    QTest::addColumn<int>("channels");
    QTest::newRow("-1") << -1;
    QTest::newRow("4") << 4;
    QTest::newRow("1000") << 1000;
}

void TestStretch::unknownChannelsCopies()
{
    QFETCH(int, channels);
    const QImage source = testimages::randomAlphaImage(5, 6, 3);
    QImage target(source.size(), QImage::Format_RGB32);
    effects::extension(source, target, channels);
    COMPARE_IMAGES(target, opaque(source));
}

void TestStretch::targetMayBeTheSource()
{
    const QImage source = testimages::photoLikeImage(12, 9, 4);
    for (int channels = 0; channels <= 3; ++channels) {
        QImage same = source.copy();
        effects::extension(same, same, channels);
        QImage target(source.size(), QImage::Format_RGB32);
        QImage shared = source; // target shares the source's pixels
        target = shared;
        effects::extension(shared, target, channels);
        COMPARE_IMAGES(shared, source);
        const QImage expected = reference::extension(source, channels);
        COMPARE_IMAGES(same, expected);
        COMPARE_IMAGES(target, expected);
    }
}

void TestStretch::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    const QList<QSize> sizes = {{1, 1}, {1, 9}, {9, 1}, {6, 4}, {17, 13}};
    quint32 seed = 90;
    for (QImage::Format format : testimages::formatsUnderTest()) {
        for (const QSize s : sizes) {
            QTest::addRow("format %d %dx%d random", int(format), s.width(), s.height())
                << testimages::randomAlphaImage(s.width(), s.height(), ++seed).convertToFormat(format);
            QTest::addRow("format %d %dx%d photo", int(format), s.width(), s.height())
                << testimages::photoLikeImage(s.width(), s.height(), ++seed).convertToFormat(format);
        }
    }
}

void TestStretch::matchesReference()
{
    QFETCH(QImage, source);
    for (int channels = 0; channels <= 3; ++channels) {
        QImage target(source.size(), QImage::Format_RGB32);
        effects::extension(source, target, channels);
        COMPARE_IMAGES(target, reference::extension(source, channels));
    }
    COMPARE_IMAGES(effects::linearStretch(source), reference::extension(source, 0));
    const QImage chained = reference::extension(
        reference::extension(reference::extension(source, 1), 2), 3);
    COMPARE_IMAGES(effects::channelStretch(source), chained);
}

void TestStretch::sameUnderEveryThreadCount_data()
{
    // Sizes across the bands and the vector runs of the brightness; ranges that
    // stretch a little, a lot (one occupied bin: the infinite factor) and not at all.
    QTest::addColumn<QImage>("source");
    const QList<QSize> sizes = {{1, 1}, {1, 50}, {50, 1}, {7, 3}, {45, 38}, {300, 70}};
    const QList<QImage::Format> formats = {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
                                           QImage::Format_RGB888, QImage::Format_Grayscale8,
                                           QImage::Format_RGBX64};
    const QList<QPair<int, int>> ranges = {{0, 255}, {40, 90}, {100, 101}, {77, 77}};
    quint32 seed = 1100;
    for (const QSize s : sizes) {
        for (QImage::Format format : formats) {
            QTest::addRow("%dx%d format %d photo", s.width(), s.height(), int(format))
                << testimages::photoLikeImage(s.width(), s.height(), ++seed).convertToFormat(format);
            for (const auto &range : ranges)
                QTest::addRow("%dx%d format %d range %d..%d", s.width(), s.height(), int(format),
                              range.first, range.second)
                    << rangedImage(s.width(), s.height(), range.first, range.second, ++seed)
                           .convertToFormat(format);
        }
    }
}

void TestStretch::sameUnderEveryThreadCount()
{
    QFETCH(QImage, source);
    QImage expected[5];
    for (int channels = 0; channels <= 4; ++channels)
        expected[channels] = reference::extension(source, channels);
    const QImage chained = reference::extension(reference::extension(expected[1], 2), 3);
    for (const testruns::RunConfig &config : testruns::runConfigs) {
        testruns::use(config);
        const QString where = config.name();
        for (int channels = 0; channels <= 4; ++channels) {
            QImage target;
            effects::extension(source, target, channels);
            const QString difference = testimages::firstDifference(target, expected[channels]);
            if (!difference.isEmpty())
                QFAIL(qPrintable(QString("%1, channels %2: %3").arg(where).arg(channels).arg(difference)));
            QVERIFY(opaqueWords(target));
        }
        const QImage channel = effects::channelStretch(source);
        const QString difference = testimages::firstDifference(channel, chained);
        if (!difference.isEmpty())
            QFAIL(qPrintable(QString("%1, channel stretch: %2").arg(where).arg(difference)));
        QVERIFY(opaqueWords(channel));
    }
}

QTEST_APPLESS_MAIN(TestStretch)
#include "tst_stretch.moc"
