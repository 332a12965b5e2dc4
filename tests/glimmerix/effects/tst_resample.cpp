// Resampling to a new size: sizes, refusals, the end columns and rows, thin
// sources and results, and the library against the plain pixel()/setPixel() form.

#include "reference.h"
#include "runconfigs.h"
#include "resample.h"
#include "testimages.h"

#include <QRandomGenerator>
#include <QTest>

#include <limits>

namespace {

using testimages::opaqueCopy;
using testimages::storedOpaqueRgb32;
using testimages::patchImage;

constexpr int intMax = std::numeric_limits<int>::max();

} // namespace

class TestResample : public QObject
{
    Q_OBJECT

private slots:
    void fullSizeIsIdentity_data();
    void fullSizeIsIdentity();
    void newSize_data();
    void newSize();
    void refused_data();
    void refused();
    void endsFallOnSourceEnds();
    void blendIsTruncated();
    void thinSource_data();
    void thinSource();
    void thinResult_data();
    void thinResult();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCountAndLevel_data();
    void sameUnderEveryThreadCountAndLevel();
    void cleanup();
};

void TestResample::fullSizeIsIdentity_data()
{
    QTest::addColumn<QImage>("source");
    const QImage alpha = testimages::randomAlphaImage(7, 4, 1);
    QTest::newRow("7x4 RGB32") << testimages::randomImage(7, 4, 2);
    QTest::newRow("7x4 premultiplied")
        << testimages::inFormat(alpha, QImage::Format_ARGB32_Premultiplied);
    QTest::newRow("7x4 RGBA64") << testimages::inFormat(alpha, QImage::Format_RGBA64);
    QTest::newRow("2x2") << testimages::randomImage(2, 2, 3);
    QTest::newRow("1x1") << testimages::randomImage(1, 1, 4);
    QTest::newRow("1x5") << testimages::randomImage(1, 5, 5);
    QTest::newRow("5x1") << testimages::randomImage(5, 1, 6);
}

void TestResample::fullSizeIsIdentity()
{
    // Last column and row included: their lower neighbour is W-2 with fraction 1.
    QFETCH(QImage, source);
    const QImage result = effects::resample(source, 100);
    QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, opaqueCopy(source));
}

void TestResample::newSize_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("101x51 at 50") << QSize(101, 51) << 50 << QSize(50, 25);
    QTest::newRow("3x3 at 200") << QSize(3, 3) << 200 << QSize(6, 6);
    QTest::newRow("1000x10 at 76") << QSize(1000, 10) << 76 << QSize(760, 7);
    QTest::newRow("7x3 at 1") << QSize(7, 3) << 1 << QSize(0, 0);
    // W * percent exceeds the int range here, the new size does not.
    QTest::newRow("30000x2 at 100000") << QSize(30000, 2) << 100000 << QSize(30000000, 2000);
    QTest::newRow("beyond int saturates") << QSize(intMax, 3) << 200 << QSize(intMax, 6);
    QTest::newRow("negative percent") << QSize(10, 10) << -50 << QSize(0, 0);
    QTest::newRow("empty source") << QSize(0, 0) << 200 << QSize(0, 0);
}

void TestResample::newSize()
{
    QFETCH(QSize, source);
    QFETCH(int, percent);
    QFETCH(QSize, expected);
    QCOMPARE(effects::resampledSize(source, percent), expected);
    if (effects::resampleAllowed(source, percent)
        && qint64(source.width()) * source.height() <= 100000) {
        const QImage image = testimages::randomImage(source.width(), source.height(), 11);
        QCOMPARE(effects::resample(image, percent).size(), expected);
    }
}

void TestResample::refused_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("percent 0") << QSize(10, 10) << 0 << false;
    QTest::newRow("negative percent") << QSize(10, 10) << -100 << false;
    QTest::newRow("60 wide at 1: width 0") << QSize(60, 10) << 1 << false;
    QTest::newRow("height 0") << QSize(100, 1) << 50 << false;
    QTest::newRow("1x1 at 99") << QSize(1, 1) << 99 << false;
    QTest::newRow("exactly 2^28 pixels") << QSize(16384, 16384) << 100 << true;
    QTest::newRow("2^28 + 16384 pixels") << QSize(16384, 16385) << 100 << false;
    QTest::newRow("2^28 by shrinking") << QSize(163840, 163840) << 10 << true;
    QTest::newRow("huge percent") << QSize(100, 100) << 1000000 << false;
    QTest::newRow("int range both ways") << QSize(intMax, intMax) << intMax << false;
    QTest::newRow("1x1 at 100") << QSize(1, 1) << 100 << true;
}

void TestResample::refused()
{
    QFETCH(QSize, source);
    QFETCH(int, percent);
    QFETCH(bool, allowed);
    QCOMPARE(effects::resampleAllowed(source, percent), allowed);
    // Run the resampling itself only where that allocates little: a refusal returns
    // a null image before allocating anything.
    if (!allowed && source.width() <= 100 && source.height() <= 100) {
        const QImage image = testimages::randomImage(source.width(), source.height(), 7);
        QVERIFY(effects::resample(image, percent).isNull());
    }
}

void TestResample::endsFallOnSourceEnds()
{
    // 3x3 at 200: tw = 5 / 2 = 2.5; destination column 5 samples 2, the lower
    // neighbour clamped to 1 with fraction 1: exactly source column 2. Rows likewise.
    const QImage source = testimages::randomImage(3, 3, 8);
    const QImage result = effects::resample(source, 200);
    QCOMPARE(result.size(), QSize(6, 6));
    for (int k = 0; k < 6; k += 5) {
        const int s = k == 0 ? 0 : 2;
        QCOMPARE(result.pixel(0, k), source.pixel(0, s));
        QCOMPARE(result.pixel(5, k), source.pixel(2, s));
        QCOMPARE(result.pixel(k, 0), source.pixel(s, 0));
        QCOMPARE(result.pixel(k, 5), source.pixel(s, 2));
    }
}

void TestResample::blendIsTruncated()
{
    // 2x1 at 150 gives 3x1; column 1 samples 0.5: 100 and 101 give 100.
    QImage source(2, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(100, 0, 255));
    source.setPixel(1, 0, qRgb(101, 255, 0));
    const QImage result = effects::resample(source, 150);
    QCOMPARE(result.size(), QSize(3, 1));
    QCOMPARE(result.pixel(0, 0), source.pixel(0, 0));
    QCOMPARE(result.pixel(1, 0), qRgb(100, 127, 127));
    QCOMPARE(result.pixel(2, 0), source.pixel(1, 0));
}

void TestResample::thinSource_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("1x4 at 300") << QSize(1, 4) << 300 << QSize(3, 12);
    QTest::newRow("4x1 at 300") << QSize(4, 1) << 300 << QSize(12, 3);
    QTest::newRow("1x1 at 500") << QSize(1, 1) << 500 << QSize(5, 5);
    QTest::newRow("1x9 at 50") << QSize(1, 9) << 50 << QSize(0, 4); // refused
}

void TestResample::thinSource()
{
    // A source one pixel wide (high) is sampled at its only column (row): every
    // destination column (row) is the same, and the ends are the source's ends.
    QFETCH(QSize, size);
    QFETCH(int, percent);
    QFETCH(QSize, expected);
    const QImage source = testimages::randomImage(size.width(), size.height(), 9);
    const QImage result = effects::resample(source, percent);
    if (expected.isEmpty()) {
        QVERIFY(result.isNull());
        return;
    }
    QCOMPARE(result.size(), expected);
    QVERIFY(storedOpaqueRgb32(result));
    const bool oneColumn = size.width() == 1;
    const int along = oneColumn ? expected.height() : expected.width();
    const int across = oneColumn ? expected.width() : expected.height();
    const int sourceLength = oneColumn ? size.height() : size.width();
    const auto at = [&](const QImage &image, int a, int c) {
        return oneColumn ? image.pixel(c, a) : image.pixel(a, c);
    };
    for (int c = 0; c < across; ++c) {
        QCOMPARE(at(result, 0, c), at(source, 0, 0));
        QCOMPARE(at(result, along - 1, c), at(source, sourceLength - 1, 0));
        for (int a = 0; a < along; ++a)
            QCOMPARE(at(result, a, c), at(result, a, 0));
    }
}

void TestResample::thinResult_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("5x10 at 20") << QSize(5, 10) << 20 << QSize(1, 2);
    QTest::newRow("10x5 at 20") << QSize(10, 5) << 20 << QSize(2, 1);
    QTest::newRow("3x3 at 50") << QSize(3, 3) << 50 << QSize(1, 1);
    QTest::newRow("1x3 at 50") << QSize(1, 3) << 50 << QSize(0, 1); // refused
}

void TestResample::thinResult()
{
    // A result one pixel wide (high) from a wider source samples source column (row)
    // 0; along the other axis the ends fall on the source's ends.
    QFETCH(QSize, size);
    QFETCH(int, percent);
    QFETCH(QSize, expected);
    const QImage source = testimages::randomImage(size.width(), size.height(), 10);
    const QImage result = effects::resample(source, percent);
    if (expected.isEmpty()) {
        QVERIFY(result.isNull());
        return;
    }
    QCOMPARE(result.size(), expected);
    const int lastX = result.width() - 1;
    const int lastY = result.height() - 1;
    QCOMPARE(result.pixel(0, 0), source.pixel(0, 0));
    QCOMPARE(result.pixel(lastX, lastY),
             source.pixel(lastX == 0 ? 0 : size.width() - 1, lastY == 0 ? 0 : size.height() - 1));
}

void TestResample::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<int>("percent");
    const QList<QSize> sizes = {{1, 1}, {1, 6},  {7, 1},  {2, 2},  {5, 5},
                                {6, 4}, {9, 7},  {16, 3}, {24, 17}};
    QRandomGenerator random(4242);
    for (const QSize size : sizes) {
        const QImage pictures[2] = {
            testimages::randomAlphaImage(size.width(), size.height(), random.generate()),
            patchImage(size.width(), size.height(), random.generate())};
        for (int picture = 0; picture < 2; ++picture) {
            for (const QImage::Format format : testimages::formatsUnderTest()) {
                const QImage source = testimages::inFormat(pictures[picture], format);
                const QByteArray name = QByteArray::number(size.width()) + "x"
                    + QByteArray::number(size.height()) + (picture == 0 ? " noise" : " patches")
                    + " format " + QByteArray::number(int(format));
                for (int n = 0; n < 4; ++n)
                    QTest::newRow(name + " random " + QByteArray::number(n))
                        << source << int(random.bounded(1, 401));
                QTest::newRow(name + " 100") << source << 100;
                QTest::newRow(name + " 50") << source << 50;
            }
        }
    }
}

void TestResample::matchesReference()
{
    QFETCH(QImage, source);
    QFETCH(int, percent);
    const QImage result = effects::resample(source, percent);
    const QImage expected = reference::resample(source, percent);
    QCOMPARE(result.isNull(), expected.isNull());
    if (!result.isNull())
        QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, expected);
}

void TestResample::sameUnderEveryThreadCountAndLevel_data()
{
    // Rows are computed in parallel: the result must not depend on how many threads
    // share them. Sizes across several bands, single rows and columns.
    QTest::addColumn<QImage>("source");
    QTest::addColumn<int>("percent");
    const QList<QSize> sizes = {{1, 1}, {1, 40}, {40, 1}, {37, 29}, {200, 70}};
    QRandomGenerator random(2024);
    quint32 seed = 3000;
    for (const QSize size : sizes) {
        const QImage source = testimages::photoLikeImage(size.width(), size.height(), ++seed);
        const QList<int> percents = {200, 50, 100, 1, 37, int(random.bounded(1, 401))};
        for (int percent : percents)
            QTest::addRow("%dx%d %d%%", size.width(), size.height(), percent) << source << percent;
    }
}

void TestResample::sameUnderEveryThreadCountAndLevel()
{
    QFETCH(QImage, source);
    QFETCH(int, percent);
    const QImage expected = reference::resample(source, percent);
    const QString difference =
        testruns::firstDifferenceUnderEveryRun([&] { return effects::resample(source, percent); }, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestResample::cleanup()
{
    testruns::restoreDefaults();
}

QTEST_APPLESS_MAIN(TestResample)
#include "tst_resample.moc"
