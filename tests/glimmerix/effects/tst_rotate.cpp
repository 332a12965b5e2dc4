// Rotation about the centre pixel: quarter turns worked by hand, and the library
// against the plain pixel()/setPixel() form on random images.

#include "reference.h"
#include "runconfigs.h"
#include "rotate.h"
#include "testimages.h"

#include <QPoint>
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

class TestRotate : public QObject
{
    Q_OBJECT

private slots:
    void noTurnIsIdentity_data();
    void noTurnIsIdentity();
    void centreKept_data();
    void centreKept();
    void quarterTurnPixels_data();
    void quarterTurnPixels();
    void quarterTurnPicture_data();
    void quarterTurnPicture();
    void degenerateAngles_data();
    void degenerateAngles();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCountAndLevel_data();
    void sameUnderEveryThreadCountAndLevel();
    void cleanup();
};

void TestRotate::noTurnIsIdentity_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("angle");
    const QImage alpha = testimages::randomAlphaImage(7, 6, 1);
    QTest::newRow("0") << testimages::randomImage(7, 6, 2) << 0.0;
    QTest::newRow("30 twice") << alpha << 30.0;
    QTest::newRow("-180 twice premultiplied")
        << testimages::inFormat(alpha, QImage::Format_ARGB32_Premultiplied) << -180.0;
    QTest::newRow("45.5 twice Grayscale8")
        << testimages::inFormat(alpha, QImage::Format_Grayscale8) << 45.5;
    QTest::newRow("180 twice 1x5") << testimages::randomImage(1, 5, 3) << 180.0;
}

void TestRotate::noTurnIsIdentity()
{
    QFETCH(QImage, source);
    QFETCH(double, angle);
    const QImage result = effects::rotateAboutCentre(source, angle, angle);
    QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, opaqueCopy(source));
}

void TestRotate::centreKept_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("angle");
    QTest::newRow("5x5 37.25") << testimages::randomImage(5, 5, 4) << 37.25;
    QTest::newRow("6x4 -123.4") << testimages::randomImage(6, 4, 5) << -123.4;
    QTest::newRow("8x3 180") << testimages::randomImage(8, 3, 6) << 180.0;
    QTest::newRow("1x1 90") << testimages::randomImage(1, 1, 7) << 90.0;
    QTest::newRow("premultiplied 7x7 -0.01")
        << testimages::inFormat(testimages::randomAlphaImage(7, 7, 8),
                                QImage::Format_ARGB32_Premultiplied)
        << -0.01;
}

void TestRotate::centreKept()
{
    QFETCH(QImage, source);
    QFETCH(double, angle);
    const QImage result = effects::rotateAboutCentre(source, angle, 0);
    QCOMPARE(result.size(), source.size());
    const int cx = (source.width() - 1) / 2;
    const int cy = (source.height() - 1) / 2;
    QCOMPARE(result.pixel(cx, cy), source.pixel(cx, cy) | 0xff000000u);
}

void TestRotate::quarterTurnPixels_data()
{
    QTest::addColumn<double>("requested");
    QTest::addColumn<double>("applied");
    QTest::addColumn<QPoint>("destination");
    QTest::addColumn<QPoint>("from");
    // A 5x5 image, centre (2, 2). +90 turns the picture a quarter clockwise: the pixel
    // right of the centre takes the one above it.
    QTest::newRow("+90 right of centre") << 90.0 << 0.0 << QPoint(3, 2) << QPoint(2, 1);
    QTest::newRow("+90 above centre") << 90.0 << 0.0 << QPoint(2, 1) << QPoint(1, 2);
    QTest::newRow("-90 left of centre") << -90.0 << 0.0 << QPoint(1, 2) << QPoint(2, 1);
    QTest::newRow("45 - -45") << 45.0 << -45.0 << QPoint(3, 2) << QPoint(2, 1);
}

void TestRotate::quarterTurnPixels()
{
    QFETCH(double, requested);
    QFETCH(double, applied);
    QFETCH(QPoint, destination);
    QFETCH(QPoint, from);
    const QImage source = testimages::randomImage(5, 5, 9);
    const QImage result = effects::rotateAboutCentre(source, requested, applied);
    QCOMPARE(result.pixel(destination), source.pixel(from));
}

void TestRotate::quarterTurnPicture_data()
{
    // Destination (i, j) of the turned picture shows source
    // (sxJ * j + sx0, syI * i + sy0) for columns firstColumn..lastColumn; the
    // columns outside are black canvas, except hairPixel (see below).
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("sxJ");
    QTest::addColumn<int>("sx0");
    QTest::addColumn<int>("syI");
    QTest::addColumn<int>("sy0");
    QTest::addColumn<int>("firstColumn");
    QTest::addColumn<int>("lastColumn");
    QTest::addColumn<QPoint>("hairPixel");
    const QPoint none(-1, -1);
    QTest::newRow("5x5 +90") << QSize(5, 5) << 90.0 << 1 << 0 << -1 << 4 << 0 << 4 << none;
    QTest::newRow("5x5 -90") << QSize(5, 5) << -90.0 << -1 << 4 << 1 << 0 << 0 << 4 << none;
    // 9x3, centre (4, 1): the turned 3x3 middle stands in columns 3..5.
    QTest::newRow("9x3 +90")
        << QSize(9, 3) << 90.0 << 1 << 3 << -1 << 5 << 3 << 5 << QPoint(6, 2);
    QTest::newRow("9x3 -90")
        << QSize(9, 3) << -90.0 << -1 << 5 << 1 << -3 << 3 << 5 << QPoint(2, 2);
}

void TestRotate::quarterTurnPicture()
{
    QFETCH(QSize, size);
    QFETCH(double, angle);
    QFETCH(int, sxJ);
    QFETCH(int, sx0);
    QFETCH(int, syI);
    QFETCH(int, sy0);
    QFETCH(int, firstColumn);
    QFETCH(int, lastColumn);
    QFETCH(QPoint, hairPixel);

    // cos(pi/2) is 6.1e-17, not 0, so some positions land a hair off the grid: such a
    // pixel keeps its colour or comes out one lower, channel by channel.
    QImage source = testimages::randomImage(size.width(), size.height(), 10);
    // The hair pixel samples y = (1 - 2) + 6.1e-17, which rounds to -1 + 2^-53 (the
    // double next above -1): it passes the inside test (above -1) and extrapolates
    // from rows 0 and 1 with fraction -1 + 2^-53, i.e. about 2 * row 0 - row 1. That
    // one canvas pixel is expected to be coloured, not black: it follows from the
    // rule for positions between -1 and 0, it is not a fault. With row 0 = (200, 10, 0)
    // and row 1 = (100, 200, 0) at its column the sums are about 300, -180 and 0,
    // limited to (255, 0, 0).
    if (hairPixel != QPoint(-1, -1)) {
        QCOMPARE(size.height(), 3);
        const double rCos = std::cos(angle * 0.017453292519943295);
        const double rSin = std::sin(angle * 1.5707963267948966 / 90);
        const double dx = hairPixel.x() - 4;
        const double dy = 1 - hairPixel.y();
        QVERIFY(1 - dx * rSin - dy * rCos == -1 + std::ldexp(1.0, -53)); // exactly, not fuzzily
        for (const int x : {3, 5}) {
            source.setPixel(x, 0, qRgb(200, 10, 0));
            source.setPixel(x, 1, qRgb(100, 200, 0));
        }
    }

    const QImage result = effects::rotateAboutCentre(source, angle, 0);
    QCOMPARE(result.size(), size);
    for (int j = 0; j < size.height(); ++j) {
        for (int i = 0; i < size.width(); ++i) {
            const QString where = QStringLiteral("(%1, %2)").arg(i).arg(j);
            const QRgb actual = result.pixel(i, j);
            if (QPoint(i, j) == hairPixel)
                QVERIFY2(actual == qRgb(255, 0, 0), qPrintable(where));
            else if (i < firstColumn || i > lastColumn)
                QVERIFY2(actual == black, qPrintable(where));
            else
                QVERIFY2(equalOrOneLower(actual, source.pixel(sxJ * j + sx0, syI * i + sy0)),
                         qPrintable(where));
        }
    }
}

void TestRotate::degenerateAngles_data()
{
    QTest::addColumn<double>("requested");
    QTest::addColumn<double>("applied");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("NaN") << nan << 0.0;
    QTest::newRow("inf") << inf << 0.0;
    QTest::newRow("inf - inf") << inf << inf;
}

void TestRotate::degenerateAngles()
{
    // No finite position: everything black except the copied centre.
    QFETCH(double, requested);
    QFETCH(double, applied);
    const QImage source = testimages::randomImage(6, 5, 11);
    const QImage result = effects::rotateAboutCentre(source, requested, applied);
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 6; ++i)
            QCOMPARE(result.pixel(i, j), i == 2 && j == 2 ? source.pixel(2, 2) : black);
}

void TestRotate::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("requested");
    QTest::addColumn<double>("applied");
    const QList<QSize> sizes = {{1, 1}, {1, 6},  {7, 1},  {2, 2},  {5, 5},
                                {6, 4}, {9, 7},  {16, 3}, {24, 17}};
    QRandomGenerator random(77);
    const auto angle = [&random] { return random.bounded(-18000, 18001) / 100.0; };
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
                        << source << angle() << angle();
                // Quarter and half turns: positions a hair beside the grid and the edges.
                QTest::newRow(name + " 90") << source << 90.0 << 0.0;
                QTest::newRow(name + " -180") << source << -180.0 << 0.0;
                QTest::newRow(name + " 270") << source << 180.0 << -90.0;
            }
        }
    }
}

void TestRotate::matchesReference()
{
    QFETCH(QImage, source);
    QFETCH(double, requested);
    QFETCH(double, applied);
    const QImage result = effects::rotateAboutCentre(source, requested, applied);
    QVERIFY(storedOpaqueRgb32(result));
    COMPARE_IMAGES(result, reference::rotateAboutCentre(source, requested, applied));
}

void TestRotate::sameUnderEveryThreadCountAndLevel_data()
{
    // Rows are computed in parallel: the result must not depend on how many threads
    // share them. Sizes across several bands, single rows and columns, rows longer than
    // the kernel's chunk of 256 samples.
    QTest::addColumn<QImage>("source");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    const QList<QSize> sizes = {{1, 1}, {1, 40}, {40, 1}, {37, 29}, {200, 70}, {301, 9}};
    QRandomGenerator random(2024);
    quint32 seed = 3000;
    for (const QSize size : sizes) {
        const QImage source = testimages::photoLikeImage(size.width(), size.height(), ++seed);
        const QList<QPair<double, double>> parameters = {{30.0, 0.0}, {90.0, 0.0}, {-180.0, 0.0}, {45.0, 30.0}, {random.bounded(-18000, 18001) / 100.0, 0.0}};
        for (const auto &parameter : parameters)
            QTest::addRow("%dx%d %g %g", size.width(), size.height(), parameter.first, parameter.second)
                << source << double(parameter.first) << double(parameter.second);
    }
}

void TestRotate::sameUnderEveryThreadCountAndLevel()
{
    QFETCH(QImage, source);
    QFETCH(double, a);
    QFETCH(double, b);
    const QImage expected = reference::rotateAboutCentre(source, a, b);
    const QString difference =
        testruns::firstDifferenceUnderEveryRun([&] { return effects::rotateAboutCentre(source, a, b); }, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestRotate::cleanup()
{
    testruns::restoreDefaults();
}

QTEST_APPLESS_MAIN(TestRotate)
#include "tst_rotate.moc"
