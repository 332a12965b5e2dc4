#include "gauss.h"
#include "parallel.h"
#include "reference.h"
#include "runconfigs.h"
#include "testimages.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

QImage dotImage(int width, int height, int x, int y)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    image.setPixel(x, y, qRgb(255, 255, 255));
    return image;
}

int grayAt(const QImage &image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p))
        return -1;
    return qRed(p);
}

QImage transposed(const QImage &image)
{
    QImage out(image.height(), image.width(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.setPixel(y, x, image.pixel(x, y));
    return out;
}

} // namespace

class TestGauss : public QObject
{
    Q_OBJECT

private slots:
    void halfWidth_data();
    void halfWidth();
    void weights_data();
    void weights();
    void tinySigmaIsIdentity_data();
    void tinySigmaIsIdentity();
    void dotInInterior();
    void dotInCorner();
    void lineShorterThanWindow_data();
    void lineShorterThanWindow();
    void oneColumnImage();
    void uniformAreaNeverGains_data();
    void uniformAreaNeverGains();
    void washLimitsItsArguments_data();
    void washLimitsItsArguments();
    void washIntoTargetSharingTheSource();
    void everySpinBoxSigma();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCount_data();
    void sameUnderEveryThreadCount();
    void nonFiniteWeights();
    void cleanup();
};

void TestGauss::cleanup()
{
    testruns::restoreDefaults();
}

void TestGauss::halfWidth_data()
{
    QTest::addColumn<double>("sigma");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.01") << 0.01 << 1;
    QTest::newRow("0.33") << 0.33 << 1;
    QTest::newRow("0.34") << 0.34 << 2;
    QTest::newRow("0.66") << 0.66 << 2;
    QTest::newRow("0.67") << 0.67 << 3;
    QTest::newRow("0.70") << 0.70 << 3;
    QTest::newRow("0.99") << 0.99 << 3;
    QTest::newRow("1.00") << 1.00 << 4;
    QTest::newRow("1.33") << 1.33 << 4;
    QTest::newRow("5.00") << 5.00 << 16;
    // Not from the spin box: no window at all, or the cap.
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("negative") << -2.0 << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("huge") << 1e300 << effects::maxGaussHalfWidth;
}

void TestGauss::halfWidth()
{
    QFETCH(double, sigma);
    QFETCH(int, expected);
    QCOMPARE(effects::gaussHalfWidth(sigma), expected);
    QCOMPARE(effects::gaussWindow(sigma).size(), 2 * expected + 1);
}

void TestGauss::weights_data()
{
    QTest::addColumn<double>("sigma");
    QTest::addColumn<QStringList>("fromCentre");
    QTest::addColumn<QString>("sum");
    QTest::newRow("1.0") << 1.0
                         << QStringList{"1", "0.606531", "0.135335", "0.011109", "0.000335463"}
                         << "2.50662";
    QTest::newRow("0.7") << 0.7 << QStringList{"1", "0.360448", "0.0168799", "0.000102703"}
                         << "1.75486";
}

void TestGauss::weights()
{
    QFETCH(double, sigma);
    QFETCH(QStringList, fromCentre);
    QFETCH(QString, sum);
    const QVector<double> window = effects::gaussWindow(sigma);
    const int n = fromCentre.size() - 1;
    QCOMPARE(window.size(), 2 * n + 1);
    QCOMPARE(window[n], 1.0);
    double total = 0;
    for (double w : window)
        total += w;
    for (int d = 0; d <= n; ++d) {
        QCOMPARE(QString::number(window[n + d], 'g', 6), fromCentre[d]);
        QCOMPARE(window[n - d], window[n + d]);
    }
    QCOMPARE(QString::number(total, 'g', 6), sum);
}

void TestGauss::tinySigmaIsIdentity_data()
{
    QTest::addColumn<double>("sigma");
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("0.01 ARGB32") << 0.01 << QImage::Format_ARGB32;
    QTest::newRow("0.02 ARGB32") << 0.02 << QImage::Format_ARGB32;
    QTest::newRow("0.02 premultiplied") << 0.02 << QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("0.01 indexed") << 0.01 << QImage::Format_Indexed8;
    QTest::newRow("zero") << 0.0 << QImage::Format_RGB32;
}

void TestGauss::tinySigmaIsIdentity()
{
    QFETCH(double, sigma);
    QFETCH(QImage::Format, format);
    const QVector<double> window = effects::gaussWindow(sigma);
    for (int i = 0; i < window.size(); ++i)
        QCOMPARE(window[i], i == window.size() / 2 ? 1.0 : 0.0);
    const QImage source = testimages::randomAlphaImage(11, 7, 5).convertToFormat(format);
    const QImage result = effects::gaussBlur(source, sigma);
    QCOMPARE(result.format(), QImage::Format_RGB32);
    COMPARE_IMAGES(result, testimages::opaqueCopy(source));
}

void TestGauss::dotInInterior()
{
    const QImage dot = dotImage(11, 11, 5, 5);
    const QVector<double> window = effects::gaussWindow(1.0);

    // The row pass alone: 1, 13, 61, 101, 61, 13, 1 around the dot.
    QImage rows(dot.size(), QImage::Format_RGB32);
    effects::wash(dot, rows, dot.height(), dot.width(), 4, window.constData(), true);
    const int rowExpected[11] = {0, 0, 1, 13, 61, 101, 61, 13, 1, 0, 0};
    for (int x = 0; x < 11; ++x)
        QCOMPARE(grayAt(rows, x, 5), rowExpected[x]);

    const QImage blurred = effects::gaussBlur(dot, 1.0);
    QCOMPARE(grayAt(blurred, 5, 5), 40);
    for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
        QCOMPARE(grayAt(blurred, 5 + d.x(), 5 + d.y()), 24);
    for (const QPoint d : {QPoint(1, 1), QPoint(-1, 1), QPoint(1, -1), QPoint(-1, -1)})
        QCOMPARE(grayAt(blurred, 5 + d.x(), 5 + d.y()), 14);
    for (const QPoint d : {QPoint(2, 0), QPoint(-2, 0), QPoint(0, 2), QPoint(0, -2)})
        QCOMPARE(grayAt(blurred, 5 + d.x(), 5 + d.y()), 5);
    for (const QPoint d : {QPoint(2, 2), QPoint(-2, 2), QPoint(2, -2), QPoint(-2, -2)})
        QCOMPARE(grayAt(blurred, 5 + d.x(), 5 + d.y()), 0);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x)
            if (qAbs(x - 5) > 2 || qAbs(y - 5) > 2)
                QCOMPARE(grayAt(blurred, x, y), 0);
}

void TestGauss::dotInCorner()
{
    const QImage blurred = effects::gaussBlur(dotImage(9, 9, 0, 0), 1.0);
    QCOMPARE(grayAt(blurred, 0, 0), 82);
    QCOMPARE(grayAt(blurred, 1, 0), 37);
    QCOMPARE(grayAt(blurred, 0, 1), 37);
    QCOMPARE(grayAt(blurred, 1, 1), 16);
}

void TestGauss::lineShorterThanWindow_data()
{
    // A 3 x 1 image under sigma 1 (9 taps): each pixel is the mean of the whole line
    // weighted by distance and divided by the weights that fall inside.
    QTest::addColumn<QList<int>>("line");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("left") << QList<int>{255, 0, 0} << QList<int>{146, 69, 19};
    QTest::newRow("middle") << QList<int>{0, 255, 0} << QList<int>{88, 115, 88};
}

void TestGauss::lineShorterThanWindow()
{
    QFETCH(QList<int>, line);
    QFETCH(QList<int>, expected);
    QImage row(line.size(), 1, QImage::Format_RGB32);
    for (int x = 0; x < line.size(); ++x)
        row.setPixel(x, 0, qRgb(line[x], line[x], line[x]));
    const QImage blurred = effects::gaussBlur(row, 1.0);
    for (int x = 0; x < line.size(); ++x)
        QCOMPARE(grayAt(blurred, x, 0), expected[x]);
    // The same line standing upright.
    const QImage column = effects::gaussBlur(transposed(row), 1.0);
    for (int y = 0; y < line.size(); ++y)
        QCOMPARE(grayAt(column, 0, y), expected[y]);
}

void TestGauss::oneColumnImage()
{
    const QImage column = testimages::randomImage(1, 23, 17);
    const QVector<double> window = effects::gaussWindow(1.5);
    const int n = effects::gaussHalfWidth(1.5);
    QImage rows(column.size(), QImage::Format_RGB32);
    effects::wash(column, rows, column.height(), column.width(), n, window.constData(), true);
    COMPARE_IMAGES(rows, column); // the row pass copies each pixel
    const QImage blurred = effects::gaussBlur(column, 1.5);
    COMPARE_IMAGES(transposed(blurred), effects::gaussBlur(transposed(column), 1.5));
    QVERIFY(blurred != column);
}

void TestGauss::uniformAreaNeverGains_data()
{
    QTest::addColumn<double>("sigma");
    for (double sigma : {0.33, 0.7, 1.0, 2.37, 5.0})
        QTest::newRow(qPrintable(QString::number(sigma))) << sigma;
}

void TestGauss::uniformAreaNeverGains()
{
    QFETCH(double, sigma);
    QImage image(20, 13, QImage::Format_RGB32);
    for (int v = 0; v < 256; ++v) {
        const int value[3] = {v, 255 - v, (v * 37) % 256};
        image.fill(qRgb(value[0], value[1], value[2]));
        const QImage blurred = effects::gaussBlur(image, sigma);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = blurred.pixel(x, y);
                const int got[3] = {qRed(p), qGreen(p), qBlue(p)};
                for (int c = 0; c < 3; ++c)
                    if (got[c] > value[c] || got[c] < value[c] - 2)
                        QFAIL(qPrintable(QString("value %1 became %2 at (%3, %4)")
                                             .arg(value[c]).arg(got[c]).arg(x).arg(y)));
            }
        }
    }
}

void TestGauss::washLimitsItsArguments_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("alongRows");
    QTest::addColumn<bool>("writes");
    QTest::newRow("rows oversized") << 1000 << 1000 << true << true;
    QTest::newRow("columns oversized") << 1000 << 1000 << false << true;
    QTest::newRow("rows INT_MAX") << INT_MAX << INT_MAX << true << true;
    QTest::newRow("columns swapped sizes") << 9 << 6 << false << true;
    QTest::newRow("negative") << -3 << -7 << true << false;
    QTest::newRow("INT_MIN") << INT_MIN << INT_MIN << false << false;
}

void TestGauss::washLimitsItsArguments()
{
    QFETCH(int, lines);
    QFETCH(int, length);
    QFETCH(bool, alongRows);
    QFETCH(bool, writes);
    const QImage source = testimages::randomImage(6, 4, 3);
    const QVector<double> window = effects::gaussWindow(2.0);
    const int n = effects::gaussHalfWidth(2.0);

    QImage nominal(source.size(), QImage::Format_RGB32);
    effects::wash(source, nominal, alongRows ? 4 : 6, alongRows ? 6 : 4, n, window.constData(),
                  alongRows);
    QImage target(source.size(), QImage::Format_RGB32);
    target.fill(qRgb(1, 2, 3));
    const QImage untouched = target.copy();
    effects::wash(source, target, lines, length, n, window.constData(), alongRows);
    COMPARE_IMAGES(target, writes ? nominal : untouched);
}

void TestGauss::washIntoTargetSharingTheSource()
{
    // As the editor runs it: the second pass reads the working image, which shares
    // its pixels with the scratch image that the pass writes.
    const QImage source = testimages::photoLikeImage(12, 10, 6);
    const QVector<double> window = effects::gaussWindow(1.0);
    QImage working = source;
    QImage scratch(source.size(), QImage::Format_RGB32);
    effects::wash(working, scratch, working.height(), working.width(), 4, window.constData(), true);
    working = scratch;
    effects::wash(working, scratch, working.width(), working.height(), 4, window.constData(), false);
    QVERIFY(working != scratch);
    working = scratch;
    COMPARE_IMAGES(working, reference::gaussBlur(source, 1.0));
}

void TestGauss::everySpinBoxSigma()
{
    const QImage source = testimages::photoLikeImage(10, 9, 21);
    for (int hundredths = 1; hundredths <= 500; ++hundredths) {
        const double sigma = hundredths / 100.0;
        const QString difference = testimages::firstDifference(
            effects::gaussBlur(source, sigma), reference::gaussBlur(source, sigma));
        if (!difference.isEmpty())
            QFAIL(qPrintable(QString("sigma %1: %2").arg(sigma).arg(difference)));
    }
}

void TestGauss::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("sigma");
    const QList<QSize> sizes = {{1, 1}, {1, 9}, {9, 1}, {5, 4}, {13, 11}, {16, 10}};
    QRandomGenerator random(7);
    quint32 seed = 100;
    for (QImage::Format format : testimages::formatsUnderTest()) {
        for (const QSize size : sizes) {
            const QImage source = testimages::randomAlphaImage(size.width(), size.height(), ++seed)
                                      .convertToFormat(format);
            for (double sigma : {0.02, 0.34, 5.0, int(random.bounded(1, 501)) / 100.0}) {
                QTest::addRow("format %d %dx%d sigma %g", int(format), size.width(), size.height(),
                              sigma)
                    << source << sigma;
            }
        }
    }
}

void TestGauss::matchesReference()
{
    QFETCH(QImage, source);
    QFETCH(double, sigma);
    const QImage result = effects::gaussBlur(source, sigma);
    QCOMPARE(result.format(), QImage::Format_RGB32);
    COMPARE_IMAGES(result, reference::gaussBlur(source, sigma));
}

void TestGauss::sameUnderEveryThreadCount_data()
{
    // Sizes across the chunks and bands of the fast passes, lines shorter than the
    // window, single rows and columns; sigma at the spin box's edges, where the
    // window changes, and at random.
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("sigma");
    const QList<QSize> sizes = {{1, 1}, {1, 45}, {45, 1}, {5, 3}, {37, 29}, {301, 67}, {70, 300}};
    const QList<QImage::Format> formats = {QImage::Format_RGB32, QImage::Format_ARGB32,
                                           QImage::Format_RGB888, QImage::Format_Indexed8};
    QRandomGenerator random(41);
    quint32 seed = 500;
    for (const QSize size : sizes) {
        for (QImage::Format format : formats) {
            const QImage source = (seed % 2 ? testimages::randomAlphaImage(size.width(), size.height(), seed)
                                            : testimages::photoLikeImage(size.width(), size.height(), seed))
                                      .convertToFormat(format);
            ++seed;
            for (double sigma : {0.01, 0.33, 0.34, 5.0, int(random.bounded(1, 501)) / 100.0})
                QTest::addRow("%dx%d format %d sigma %g", size.width(), size.height(), int(format), sigma)
                    << source << sigma;
        }
    }
}

void TestGauss::sameUnderEveryThreadCount()
{
    QFETCH(QImage, source);
    QFETCH(double, sigma);
    const QImage expected = reference::gaussBlur(source, sigma);
    QCOMPARE(testruns::firstDifferenceUnderEveryRun([&] { return effects::gaussBlur(source, sigma); }, expected),
             QString());
}

void TestGauss::nonFiniteWeights()
{
    // A window the blur never makes, with an infinite and a NaN weight: the pass
    // skips the taps outside the line, as the plain sum does, whatever the threads.
    const QImage source = testimages::photoLikeImage(23, 19, 9);
    const double inf = std::numeric_limits<double>::infinity();
    const double window[5] = {0.5, inf, 1, 0.25, std::numeric_limits<double>::quiet_NaN()};
    for (bool alongRows : {true, false}) {
        QImage expected(source.size(), QImage::Format_RGB32);
        const int lines = alongRows ? source.height() : source.width();
        const int length = alongRows ? source.width() : source.height();
        for (int i = 0; i < lines; ++i) {
            for (int j = 0; j < length; ++j) {
                double c[3] = {0, 0, 0}, sum = 0;
                for (int k = -2; k <= 2; ++k) {
                    if (j + k < 0 || j + k >= length)
                        continue;
                    const QRgb p = alongRows ? source.pixel(j + k, i) : source.pixel(i, j + k);
                    c[0] += qRed(p) * window[k + 2];
                    c[1] += qGreen(p) * window[k + 2];
                    c[2] += qBlue(p) * window[k + 2];
                }
                for (int k = -2; k <= 2; ++k)
                    if (j + k >= 0 && j + k < length)
                        sum += window[k + 2];
                int v[3];
                for (int n = 0; n < 3; ++n) {
                    const double q = c[n] / sum;
                    v[n] = !(q > 0) ? 0 : q >= 255 ? 255 : int(q);
                }
                expected.setPixel(alongRows ? j : i, alongRows ? i : j, qRgb(v[0], v[1], v[2]));
            }
        }
        for (int threads : {1, 3}) {
            effects::setThreadCount(threads);
            QImage target(source.size(), QImage::Format_RGB32);
            effects::wash(source, target, lines, length, 2, window, alongRows);
            COMPARE_IMAGES(target, expected);
        }
    }
}

QTEST_APPLESS_MAIN(TestGauss)
#include "tst_gauss.moc"
