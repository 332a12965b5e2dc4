#include "reference.h"
#include "runconfigs.h"
#include "stretch.h"
#include "testimages.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <cmath>

namespace {

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
    void halfwayBrightnessIsTheDarkest();
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
    QTest::newRow("linear 50..150") << false << 50 << 150;
    QTest::newRow("channel 50..150") << true << 50 << 150;
    QTest::newRow("linear 0..51") << false << 0 << 51;
    QTest::newRow("channel 0..51") << true << 0 << 51;
    QTest::newRow("linear 3..255") << false << 3 << 255;
    QTest::newRow("channel 0..1") << true << 0 << 1;
}

void TestStretch::grayRamp()
{
    QFETCH(bool, channel);
    QFETCH(int, first);
    QFETCH(int, last);
    // The ramp's own range: gray v maps to trunc((v - first) * (255.0 / range)),
    // in double precision, whose top can come out at 254 (for a range of 100:
    // 100 * 2.55 is a little below 255).
    const QImage result = stretchedBy(rampImage(first, last), channel);
    const double factor = 255 / double(last - first);
    for (int v = first; v <= last; ++v) {
        const int expected = int(std::trunc((v - first) * factor));
        QCOMPARE(result.pixel(v - first, 0), qRgb(expected, expected, expected));
    }
}

void TestStretch::rangesWhoseMaxComesOut254()
{
    // The top of a range maps to range * (255.0 / range), which double precision
    // rounds to a little below 255 for some ranges: their top comes out 254.
    QSet<int> below;
    for (int range = 1; range <= 255; ++range)
        if (range * (255 / double(range)) < 255)
            below.insert(range);
    QVERIFY(below.contains(100)); // 100 * 2.55
    QVERIFY(!below.contains(255));
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
    QCOMPARE(found, below);
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

void TestStretch::halfwayBrightnessIsTheDarkest()
{
    // qRgb(0, 73, 198) has brightness 66.5, rounded up to 67: the lowest bin. In a
    // row wide enough for every vector width, at every lane, so that the rounding
    // of each brightness kernel decides the stretch.
    const QRgb halfway = qRgb(0, 73, 198);
    QImage image(40, 2, QImage::Format_RGB32);
    for (int x = 0; x < image.width(); ++x) {
        image.setPixel(x, 0, x % 3 == 0 ? halfway : qRgb(255, 255, 255));
        image.setPixel(x, 1, x % 5 == 0 ? halfway : qRgb(100, 100, 100));
    }
    const int min = 67;
    const double factor = 255 / double(255 - min);
    const auto mapped = [&](int v) { return v <= min ? 0 : int((v - min) * factor); };
    QImage expected(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            expected.setPixel(x, y, qRgb(mapped(qRed(p)), mapped(qGreen(p)), mapped(qBlue(p))));
        }
    QCOMPARE(testruns::firstDifferenceUnderEveryRun([&] { return effects::linearStretch(image); }, expected),
             QString());
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
    COMPARE_IMAGES(target, testimages::opaqueCopy(source));
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
    testimages::addImagesInEveryFormat({{1, 1}, {1, 9}, {9, 1}, {6, 4}, {17, 13}}, 90);
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
                    << testimages::rangedImage(s.width(), s.height(), range.first, range.second, ++seed)
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
    for (int channels = 0; channels <= 4; ++channels) {
        const auto viaSlot = [&] {
            QImage target;
            effects::extension(source, target, channels);
            return target;
        };
        QCOMPARE(testruns::firstDifferenceUnderEveryRun(viaSlot, expected[channels]), QString());
        if (channels <= 3) {
            const auto plain = [&] { return effects::stretch(source, effects::StretchChannel(channels)); };
            QCOMPARE(testruns::firstDifferenceUnderEveryRun(plain, expected[channels]), QString());
        }
    }
    QCOMPARE(testruns::firstDifferenceUnderEveryRun([&] { return effects::channelStretch(source); }, chained),
             QString());
}

QTEST_APPLESS_MAIN(TestStretch)
#include "tst_stretch.moc"
