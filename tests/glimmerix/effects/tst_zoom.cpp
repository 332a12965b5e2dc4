// Zoom about the centre: the library against hand-worked cases and against the
// plain pixel()/setPixel() form on random images.

#include "reference.h"
#include "runconfigs.h"
#include "testimages.h"
#include "zoom.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

using testimages::opaqueCopy;
using testimages::storedOpaqueRgb32;
using testimages::equalOrOneLower;
using testimages::patchImage;

const QRgb black = qRgb(0, 0, 0);

} // namespace

class TestZoom : public QObject
{
    Q_OBJECT

private slots:
    void sameFactorIsIdentity_data();
    void sameFactorIsIdentity();
    void centreKept_data();
    void centreKept();
    void magnifyTwice();
    void shrinkHalf();
    void repeatedValueOutsideSinglePrecision();
    void extrapolationIsLimited_data();
    void extrapolationIsLimited();
    void degenerateFactors_data();
    void degenerateFactors();
    void storedAlphaBecomesOpaque();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCountAndLevel_data();
    void sameUnderEveryThreadCountAndLevel();
    void cleanup();
};

void TestZoom::sameFactorIsIdentity_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("percent");
    const QImage alpha = testimages::randomAlphaImage(7, 5, 1);
    QTest::newRow("100 RGB32") << testimages::randomImage(7, 5, 2) << 100.0;
    QTest::newRow("200 ARGB32") << alpha << 200.0;
    QTest::newRow("37.5 premultiplied")
        << testimages::inFormat(alpha, QImage::Format_ARGB32_Premultiplied) << 37.5;
    QTest::newRow("1 Indexed8") << testimages::inFormat(alpha, QImage::Format_Indexed8) << 1.0;
    QTest::newRow("10000 RGB16 6x4")
        << testimages::inFormat(testimages::photoLikeImage(6, 4, 3), QImage::Format_RGB16)
        << 10000.0;
}

void TestZoom::sameFactorIsIdentity()
{
    QFETCH(QImage, source);
    QFETCH(double, percent);
    const QImage result = effects::zoomAboutCentre(source, percent, percent);
    QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, opaqueCopy(source));
}

void TestZoom::centreKept_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("requested");
    QTest::addColumn<double>("applied");
    QTest::newRow("7x7 x3") << testimages::randomImage(7, 7, 4) << 300.0 << 100.0;
    QTest::newRow("6x4 x0.37") << testimages::randomImage(6, 4, 5) << 37.0 << 100.0;
    QTest::newRow("1x5 x12.5") << testimages::randomImage(1, 5, 6) << 1250.0 << 100.0;
    QTest::newRow("8x1 x0.001") << testimages::randomImage(8, 1, 7) << 1.0 << 1000.0;
    QTest::newRow("1x1") << testimages::randomImage(1, 1, 8) << 9999.99 << 1.0;
    QTest::newRow("premultiplied 5x6 x1.5")
        << testimages::inFormat(testimages::randomAlphaImage(5, 6, 9),
                                QImage::Format_ARGB32_Premultiplied)
        << 150.0 << 100.0;
}

void TestZoom::centreKept()
{
    QFETCH(QImage, source);
    QFETCH(double, requested);
    QFETCH(double, applied);
    const QImage result = effects::zoomAboutCentre(source, requested, applied);
    QCOMPARE(result.size(), source.size());
    const int cx = (source.width() - 1) / 2;
    const int cy = (source.height() - 1) / 2;
    QCOMPARE(result.pixel(cx, cy), source.pixel(cx, cy) | 0xff000000u);
}

void TestZoom::magnifyTwice()
{
    // Columns of one colour each; 100 and 101 side by side in red, to show the
    // truncation of a blend at fraction 0.5.
    const QRgb columns[7] = {qRgb(0, 0, 0),    qRgb(100, 7, 200), qRgb(101, 20, 51),
                             qRgb(50, 60, 70), qRgb(9, 255, 3),   qRgb(33, 0, 254),
                             qRgb(200, 1, 2)};
    QImage source(7, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            source.setPixel(x, y, columns[x]);

    const QImage result = effects::zoomAboutCentre(source, 200, 100);
    QCOMPARE(result.size(), QSize(7, 7));
    // Column 0 samples x = 3 + (0 - 3) / 2 = 1.5: half of column 1, half of column 2.
    // All weights are halves, so the sums are exact before truncation.
    for (int y = 0; y < 7; ++y) {
        QCOMPARE(result.pixel(0, y), qRgb(100, 13, 125)); // (100+101)/2, (7+20)/2, (200+51)/2
        QCOMPARE(result.pixel(1, y), columns[2]);         // x = 2
        QCOMPARE(result.pixel(3, y), columns[3]);         // the centre column stays
        QCOMPARE(result.pixel(5, y), columns[4]);         // x = 4
        QCOMPARE(result.pixel(6, y), qRgb(21, 127, 128)); // x = 4.5: (9+33)/2, (255+0)/2, (3+254)/2
    }
}

void TestZoom::shrinkHalf()
{
    const QImage source = testimages::randomImage(7, 7, 10);
    const QImage result = effects::zoomAboutCentre(source, 50, 100);
    // Destination 2, 3, 4 sample source 1, 3, 5 on both axes; 0, 1, 5 and 6 fall at
    // -3, -1, 7 and 9: outside, black.
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 7; ++i) {
            const bool inside = i >= 2 && i <= 4 && j >= 2 && j <= 4;
            const QRgb expected = inside ? source.pixel(2 * i - 3, 2 * j - 3) : black;
            const QString where = QStringLiteral("(%1, %2)").arg(i).arg(j);
            QVERIFY2(result.pixel(i, j) == expected, qPrintable(where));
        }
    }
}

void TestZoom::repeatedValueOutsideSinglePrecision()
{
    // 150.37 is not a float: the second run divides float(150.37) by 150.37 and gets
    // a factor a hair below 1, so it samples every position a hair away from the
    // centre. The last column and row then fall just past the source: black. The
    // first column samples x a hair below 0, which still lies inside (between -1 and
    // 0) and extrapolates by a hair. Every other pixel keeps its colour or, where
    // the hair blend lands just below it, comes out one lower.
    const QImage source = testimages::randomImage(7, 7, 11);
    const QImage first = effects::zoomAboutCentre(source, 150.37, 100);
    const QImage second = effects::zoomAboutCentre(first, 150.37, 150.37);
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 7; ++i) {
            const QString where = QStringLiteral("(%1, %2)").arg(i).arg(j);
            if (i == 6 || j == 6)
                QVERIFY2(second.pixel(i, j) == black, qPrintable(where));
            else
                QVERIFY2(equalOrOneLower(second.pixel(i, j), first.pixel(i, j)), qPrintable(where));
        }
    }
    QVERIFY(second != first);
}

void TestZoom::extrapolationIsLimited_data()
{
    QTest::addColumn<bool>("alongX");
    QTest::newRow("x") << true;
    QTest::newRow("y") << false;
}

void TestZoom::extrapolationIsLimited()
{
    // Factor 0.6: destination 1 samples 3 - 2 / 0.6 = -1/3 on that axis (the other
    // coordinate is the centre, 3, exactly). Pixel 0 is (255, 0, 0) and pixel 1 is
    // (0, 255, 0): the extrapolation gives 340 and -85, which are limited to 255 and
    // 0 (wrapping would give 84 and 171).
    QFETCH(bool, alongX);
    QImage source = testimages::randomImage(7, 7, 12);
    for (int n = 0; n < 7; ++n) {
        source.setPixel(alongX ? 0 : n, alongX ? n : 0, qRgb(255, 0, 0));
        source.setPixel(alongX ? 1 : n, alongX ? n : 1, qRgb(0, 255, 0));
    }
    const QImage result = effects::zoomAboutCentre(source, 60, 100);
    QCOMPARE(result.pixel(alongX ? 1 : 3, alongX ? 3 : 1), qRgb(255, 0, 0));
    // Destination 0 samples -2: outside.
    QCOMPARE(result.pixel(alongX ? 0 : 3, alongX ? 3 : 0), black);
}

void TestZoom::degenerateFactors_data()
{
    QTest::addColumn<double>("requested");
    QTest::addColumn<double>("applied");
    QTest::addColumn<bool>("allCentre"); // else all black but the centre
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // k = 0: every offset divided by 0 is infinite (0/0 NaN on the centre lines).
    QTest::newRow("requested 0") << 0.0 << 100.0 << false;
    QTest::newRow("applied inf") << 100.0 << inf << false;
    QTest::newRow("requested NaN") << nan << 100.0 << false;
    // k = inf: every offset shrinks to 0, every position is the centre.
    QTest::newRow("applied 0") << 100.0 << 0.0 << true;
    QTest::newRow("requested beyond float") << 1e300 << 100.0 << true;
    QTest::newRow("requested -inf") << -inf << 1.0 << true;
}

void TestZoom::degenerateFactors()
{
    QFETCH(double, requested);
    QFETCH(double, applied);
    QFETCH(bool, allCentre);
    const QImage source = testimages::randomImage(6, 5, 13);
    const QImage result = effects::zoomAboutCentre(source, requested, applied);
    const QRgb centre = source.pixel(2, 2);
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 6; ++i)
            QCOMPARE(result.pixel(i, j), allCentre || (i == 2 && j == 2) ? centre : black);
}

void TestZoom::storedAlphaBecomesOpaque()
{
    // RGB32 words whose stored alpha byte is 0: pixel() reports them opaque, and so
    // must the result's stored words, the copied centre included.
    QImage source(3, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(source.scanLine(y));
        for (int x = 0; x < 3; ++x)
            row[x] = 0x00102030u + 0x010101u * uint(x + 3 * y);
    }
    for (const double requested : {100.0, 250.0}) {
        const QImage result = effects::zoomAboutCentre(source, requested, 100);
        QVERIFY(storedOpaqueRgb32(result));
        QCOMPARE(result.pixel(1, 1), source.pixel(1, 1));
    }
}

void TestZoom::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("requested");
    QTest::addColumn<double>("applied");
    const QList<QSize> sizes = {{1, 1}, {1, 6},  {7, 1},  {2, 2},  {5, 5},
                                {6, 4}, {9, 7},  {16, 3}, {24, 17}};
    QRandomGenerator random(2024);
    const auto percent = [&random](int lowest, int highest) {
        return random.bounded(lowest * 100, highest * 100 + 1) / 100.0;
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
                // Anywhere in the spin boxes' ranges, and factors near 1 (magnifying and
                // shrinking by a few times), where most pixels are blends.
                for (int n = 0; n < 2; ++n)
                    QTest::newRow(name + " wide " + QByteArray::number(n))
                        << source << percent(1, 10000) << percent(1, 10000);
                for (int n = 0; n < 3; ++n) {
                    const double applied = percent(1, 10000);
                    const double factor = 0.2 + 3.0 * random.generateDouble();
                    const double requested =
                        qBound(1.0, std::round(applied * factor * 100) / 100, 10000.0);
                    QTest::newRow(name + " near " + QByteArray::number(n))
                        << source << requested << applied;
                }
            }
        }
    }
}

void TestZoom::matchesReference()
{
    QFETCH(QImage, source);
    QFETCH(double, requested);
    QFETCH(double, applied);
    const QImage result = effects::zoomAboutCentre(source, requested, applied);
    QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, reference::zoomAboutCentre(source, requested, applied));
}

void TestZoom::sameUnderEveryThreadCountAndLevel_data()
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
        const QList<QPair<double, double>> parameters = {{150.0, 100.0}, {50.0, 100.0}, {100.0, 100.0}, {10000.0, 100.0}, {1.0, 100.0}, {150.37, 150.0}, {random.bounded(100, 1000001) / 100.0, 100.0}};
        for (const auto &parameter : parameters)
            QTest::addRow("%dx%d %g %g", size.width(), size.height(), parameter.first, parameter.second)
                << source << double(parameter.first) << double(parameter.second);
    }
}

void TestZoom::sameUnderEveryThreadCountAndLevel()
{
    QFETCH(QImage, source);
    QFETCH(double, a);
    QFETCH(double, b);
    const QImage expected = reference::zoomAboutCentre(source, a, b);
    const QString difference =
        testruns::firstDifferenceUnderEveryRun([&] { return effects::zoomAboutCentre(source, a, b); }, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestZoom::cleanup()
{
    testruns::restoreDefaults();
}

QTEST_APPLESS_MAIN(TestZoom)
#include "tst_zoom.moc"
