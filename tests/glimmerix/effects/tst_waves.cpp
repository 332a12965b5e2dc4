// Waves: the worked one-row cases, the two degenerate parameters, and the library
// against the plain pixel()/setPixel() form on random images.

#include "reference.h"
#include "runconfigs.h"
#include "testimages.h"
#include "waves.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using testimages::opaqueCopy;
using testimages::storedOpaqueRgb32;
using testimages::equalOrOneLower;
using testimages::patchImage;

const QRgb black = qRgb(0, 0, 0);

// One row of six pixels, 100 and 101 in red at columns 1 and 2.
QImage sixByOne()
{
    QImage image(6, 1, QImage::Format_RGB32);
    const QRgb colours[6] = {qRgb(10, 250, 0),  qRgb(100, 210, 7), qRgb(101, 170, 14),
                             qRgb(130, 130, 21), qRgb(170, 90, 28), qRgb(210, 50, 35)};
    for (int x = 0; x < 6; ++x)
        image.setPixel(x, 0, colours[x]);
    return image;
}

} // namespace

class TestWaves : public QObject
{
    Q_OBJECT

private slots:
    void oneRowWaveLengthTwo();
    void halfPixelShiftIsTruncated();
    void zeroAmplitudeIsIdentity_data();
    void zeroAmplitudeIsIdentity();
    void zeroWaveLengthIsBlack_data();
    void zeroWaveLengthIsBlack();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCountAndLevel_data();
    void sameUnderEveryThreadCountAndLevel();
    void cleanup();
};

void TestWaves::oneRowWaveLengthTwo()
{
    // wadl = 2, waam = 1: column x samples sin(pi * x / 2) + x.
    const QImage source = sixByOne();
    const QImage result = effects::waves(source, 2, 1);
    QCOMPARE(result.size(), source.size());
    QCOMPARE(result.pixel(0, 0), source.pixel(0, 0)); // sin(0) = 0
    QCOMPARE(result.pixel(1, 0), source.pixel(2, 0)); // 1 + 1
    QCOMPARE(result.pixel(2, 0), source.pixel(2, 0)); // 2 + sin(pi), 1.2e-16, rounds to 2
    QCOMPARE(result.pixel(3, 0), source.pixel(2, 0)); // 3 - 1
    // 4 + sin(2 pi) is a hair below 4: column 4 or one lower, never black.
    QVERIFY(equalOrOneLower(result.pixel(4, 0), source.pixel(4, 0)));
    QCOMPARE(result.pixel(5, 0), black); // 5 + 1 = 6, past the last column
}

void TestWaves::halfPixelShiftIsTruncated()
{
    // waam = 0.5: column 1 samples 1.5, the blend of 100 and 101 in red: 100.
    const QImage source = sixByOne();
    const QImage result = effects::waves(source, 2, 0.5);
    QCOMPARE(result.pixel(1, 0), qRgb(100, 190, 10)); // (210+170)/2, (7+14)/2 = 10.5
    QCOMPARE(result.pixel(3, 0), qRgb(115, 150, 17)); // 2.5: (101+130)/2, (170+130)/2, 17.5
}

void TestWaves::zeroAmplitudeIsIdentity_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("waveLength");
    const QImage alpha = testimages::randomAlphaImage(9, 7, 1);
    QTest::newRow("2") << testimages::randomImage(9, 7, 2) << 2.0;
    QTest::newRow("0.01 ARGB32") << alpha << 0.01;
    QTest::newRow("37.5 premultiplied")
        << testimages::inFormat(alpha, QImage::Format_ARGB32_Premultiplied) << 37.5;
    QTest::newRow("100 RGB888") << testimages::inFormat(alpha, QImage::Format_RGB888) << 100.0;
}

void TestWaves::zeroAmplitudeIsIdentity()
{
    QFETCH(QImage, source);
    QFETCH(double, waveLength);
    const QImage result = effects::waves(source, waveLength, 0);
    QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, opaqueCopy(source));
}

void TestWaves::zeroWaveLengthIsBlack_data()
{
    QTest::addColumn<double>("amplitude");
    QTest::newRow("0") << 0.0;
    QTest::newRow("1") << 1.0;
    QTest::newRow("55.55") << 55.55;
}

void TestWaves::zeroWaveLengthIsBlack()
{
    // 0/0 in the first column and row, x/0 elsewhere: no finite position anywhere.
    QFETCH(double, amplitude);
    const QImage source = testimages::randomImage(5, 4, 3);
    const QImage result = effects::waves(source, 0, amplitude);
    QVERIFY(storedOpaqueRgb32(result));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(result.pixel(x, y), black);
}

void TestWaves::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("waveLength");
    QTest::addColumn<double>("amplitude");
    const QList<QSize> sizes = {{1, 1}, {1, 6},  {7, 1},  {2, 2},  {5, 5},
                                {6, 4}, {9, 7},  {16, 3}, {24, 17}};
    QRandomGenerator random(99);
    const auto value = [&random](int highest) {
        return random.bounded(0, highest * 100 + 1) / 100.0;
    };
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
                // The whole spin-box range, and wave lengths and amplitudes of the order
                // of the image, where the displacement moves pixels visibly.
                for (int n = 0; n < 2; ++n)
                    QTest::newRow(name + " wide " + QByteArray::number(n))
                        << source << value(100) << value(100);
                for (int n = 0; n < 3; ++n)
                    QTest::newRow(name + " small " + QByteArray::number(n))
                        << source << value(6) << value(4);
                QTest::newRow(name + " whole") << source << 2.0 << 1.0;
            }
        }
    }
}

void TestWaves::matchesReference()
{
    QFETCH(QImage, source);
    QFETCH(double, waveLength);
    QFETCH(double, amplitude);
    const QImage result = effects::waves(source, waveLength, amplitude);
    QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, reference::waves(source, waveLength, amplitude));
}

void TestWaves::sameUnderEveryThreadCountAndLevel_data()
{
    // Rows are computed in parallel: the result must not depend on how many threads
    // share them. Sizes across several bands, single rows and columns.
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    const QList<QSize> sizes = {{1, 1}, {1, 40}, {40, 1}, {37, 29}, {200, 70}};
    QRandomGenerator random(2024);
    quint32 seed = 3000;
    for (const QSize size : sizes) {
        const QImage source = testimages::photoLikeImage(size.width(), size.height(), ++seed);
        const QList<QPair<double, double>> parameters = {{10.0, 5.0}, {0.0, 3.0}, {2.0, 1.0}, {100.0, 100.0}, {random.bounded(1, 10001) / 100.0, random.bounded(0, 10001) / 100.0}};
        for (const auto &parameter : parameters)
            QTest::addRow("%dx%d %g %g", size.width(), size.height(), parameter.first, parameter.second)
                << source << double(parameter.first) << double(parameter.second);
    }
}

void TestWaves::sameUnderEveryThreadCountAndLevel()
{
    QFETCH(QImage, source);
    QFETCH(double, a);
    QFETCH(double, b);
    const QImage expected = reference::waves(source, a, b);
    const QString difference =
        testruns::firstDifferenceUnderEveryRun([&] { return effects::waves(source, a, b); }, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestWaves::cleanup()
{
    testruns::restoreDefaults();
}

QTEST_APPLESS_MAIN(TestWaves)
#include "tst_waves.moc"
