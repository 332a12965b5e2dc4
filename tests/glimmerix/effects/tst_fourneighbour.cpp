// The four-neighbour sample's two formulas (fourneighbour.h): the position test
// along one axis, and the blend in both orders of the weights, at every width.

#include "channel.h"
#include "fourneighbour.h"
#include "pixelrows.h"
#include "widths.h"

#include <QTest>

#include <cmath>
#include <limits>

using effects::WeightOrder;

class TestFourNeighbour : public QObject
{
    Q_OBJECT

private slots:
    void axis_data();
    void axis();
    void blend_data();
    void blend();
    void sampleReadsItsNeighbours();
};

void TestFourNeighbour::axis_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<double>("fraction");
    constexpr double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("0") << 0.0 << 5 << true << 0 << 0 << 0.0;
    QTest::newRow("halfway") << 2.5 << 5 << true << 2 << 3 << 0.5;
    QTest::newRow("last") << 4.0 << 5 << true << 4 << 4 << 0.0;
    QTest::newRow("just past the last") << std::nextafter(4.0, 5.0) << 5 << false << 0 << 0 << 0.0;
    QTest::newRow("-0.5 extrapolates") << -0.5 << 5 << true << 0 << 1 << -0.5;
    QTest::newRow("just above -1") << std::nextafter(-1.0, 0.0) << 5 << true << 0 << 1
                                    << std::nextafter(-1.0, 0.0);
    QTest::newRow("-1") << -1.0 << 5 << false << 0 << 0 << 0.0;
    QTest::newRow("one pixel, 0") << 0.0 << 1 << true << 0 << 0 << 0.0;
    QTest::newRow("one pixel, -0.5") << -0.5 << 1 << false << 0 << 0 << 0.0; // no pixel 1
    QTest::newRow("NaN") << std::nan("") << 5 << false << 0 << 0 << 0.0;
    QTest::newRow("inf") << inf << 5 << false << 0 << 0 << 0.0;
    QTest::newRow("-inf") << -inf << 5 << false << 0 << 0 << 0.0;
    QTest::newRow("1e300") << 1e300 << 5 << false << 0 << 0 << 0.0;
}

void TestFourNeighbour::axis()
{
    QFETCH(double, position);
    QFETCH(int, size);
    QFETCH(bool, inside);
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(double, fraction);
    const effects::AxisNeighbours axis = effects::axisNeighbours(position, size);
    QCOMPARE(axis.inside, inside);
    if (!inside)
        return;
    QCOMPARE(axis.lower, lower);
    QCOMPARE(axis.upper, upper);
    QCOMPARE(axis.fraction, fraction);
}

void TestFourNeighbour::blend_data()
{
    // c00, c01, c11, c10 (upper row lower column, lower row lower column, lower row
    // upper column, upper row upper column), fx, fy; the channel after truncation
    // and limits in each order of the weights.
    QTest::addColumn<QList<double>>("corners");
    QTest::addColumn<double>("fx");
    QTest::addColumn<double>("fy");
    QTest::addColumn<int>("fourNeighbour");
    QTest::addColumn<int>("resample");
    const QList<double> corners = {10, 20, 30, 40};
    QTest::newRow("c00") << corners << 0.0 << 0.0 << 10 << 10;
    QTest::newRow("c01") << corners << 0.0 << 1.0 << 20 << 20;
    QTest::newRow("c11") << corners << 1.0 << 1.0 << 30 << 30;
    QTest::newRow("c10") << corners << 1.0 << 0.0 << 40 << 40;
    QTest::newRow("inside") << corners << 0.25 << 0.75 << 21 << 21; // 21.25
    QTest::newRow("halfway") << QList<double>{0, 0, 255, 255} << 0.5 << 0.5 << 127 << 127; // 127.5
    QTest::newRow("below 0") << QList<double>{0, 0, 0, 255} << -0.5 << 0.0 << 0 << 0; // -127.5
    QTest::newRow("above 255") << QList<double>{255, 0, 0, 0} << -0.5 << 0.0 << 255 << 255; // 382.5
    // A flat patch: the order of the weights decides the truncation
    // (6.999999999999999 against 7).
    QTest::newRow("flat 7") << QList<double>{7, 7, 7, 7} << 0.867 << 0.964 << 6 << 7;
}

void TestFourNeighbour::blend()
{
    QFETCH(QList<double>, corners);
    QFETCH(double, fx);
    QFETCH(double, fy);
    QFETCH(int, fourNeighbour);
    QFETCH(int, resample);
    // The lane carries fy; the corners and fx are spread over every lane.
    const auto blendOf = [&](auto order) {
        return [&, order](auto y) {
            typedef decltype(y) T;
            const auto spread = [](double c) { return effects::simd::splat<T>(c); };
            return effects::truncLimited(effects::fourNeighbourBlend<decltype(order)::value>(
                spread(corners[0]), spread(corners[1]), spread(corners[2]), spread(corners[3]), spread(fx), y));
        };
    };
    for (int result : widths::everyWidth(blendOf(std::integral_constant<WeightOrder, WeightOrder::FourNeighbour>()), fy))
        QCOMPARE(result, fourNeighbour);
    for (int result : widths::everyWidth(blendOf(std::integral_constant<WeightOrder, WeightOrder::Resample>()), fy))
        QCOMPARE(result, resample);
}

void TestFourNeighbour::sampleReadsItsNeighbours()
{
    // Each channel blends the same corner of its own channel; outside is black.
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(10, 110, 210)); // c00
    image.setPixel(0, 1, qRgb(20, 120, 220)); // c01
    image.setPixel(1, 1, qRgb(30, 130, 230)); // c11
    image.setPixel(1, 0, qRgb(40, 140, 240)); // c10
    const effects::PixelRows rows(image);
    QCOMPARE(effects::fourNeighbourSample(rows, 0.25, 0.75), qRgb(21, 121, 221));
    QCOMPARE(effects::fourNeighbourSample(rows, 1.0, 0.0), qRgb(40, 140, 240));
    QCOMPARE(effects::fourNeighbourSample(rows, 1.5, 0.0), qRgb(0, 0, 0));
    QCOMPARE(effects::fourNeighbourSample(rows, 0.0, std::nan("")), qRgb(0, 0, 0));
}

QTEST_APPLESS_MAIN(TestFourNeighbour)
#include "tst_fourneighbour.moc"
