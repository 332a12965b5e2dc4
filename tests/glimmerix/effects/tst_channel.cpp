// The two conversions of a computed double to a channel value (channel.h), at
// every width: the halfway and limit cases each effect depends on.

#include "channel.h"
#include "widths.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestChannel : public QObject
{
    Q_OBJECT

private slots:
    void truncLimited_data();
    void truncLimited();
    void roundHalfAway_data();
    void roundHalfAway();
};

void TestChannel::truncLimited_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    constexpr double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("NaN") << std::nan("") << 0;
    QTest::newRow("-inf") << -inf << 0;
    QTest::newRow("-1e300") << -1e300 << 0;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-0") << -0.0 << 0;
    QTest::newRow("0") << 0.0 << 0;
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("just below 1") << std::nextafter(1.0, 0.0) << 0;
    QTest::newRow("1") << 1.0 << 1;
    QTest::newRow("127.5") << 127.5 << 127;
    QTest::newRow("just below 255") << std::nextafter(255.0, 0.0) << 254;
    QTest::newRow("255") << 255.0 << 255;
    QTest::newRow("255.5") << 255.5 << 255;
    QTest::newRow("2^31") << 2147483648.0 << 255;
    QTest::newRow("1e300") << 1e300 << 255;
    QTest::newRow("inf") << inf << 255;
}

void TestChannel::truncLimited()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    const auto f = [](auto v) { return effects::truncLimited(v); };
    for (int result : widths::everyWidth(f, value))
        QCOMPARE(result, expected);
}

void TestChannel::roundHalfAway_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("0") << 0.0 << 0.0;
    QTest::newRow("0.5") << 0.5 << 1.0;
    QTest::newRow("just below 0.5") << std::nextafter(0.5, 0.0) << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 3.0; // not to even
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("254.5") << 254.5 << 255.0;
    QTest::newRow("255.5") << 255.5 << 256.0;
    QTest::newRow("-0.5") << -0.5 << -1.0;
    QTest::newRow("-1.5") << -1.5 << -2.0;
    QTest::newRow("just above -0.5") << std::nextafter(-0.5, 0.0) << 0.0;
    QTest::newRow("-2.4999") << -2.4999 << -2.0;
    QTest::newRow("-1") << -1.0 << -1.0;
    QTest::newRow("256") << 256.0 << 256.0;
}

void TestChannel::roundHalfAway()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    const auto f = [](auto v) { return effects::roundHalfAway(v); };
    for (double result : widths::everyWidth(f, value))
        QCOMPARE(result, expected);
    QCOMPARE(std::round(value), expected); // the library's round() agrees
}

QTEST_APPLESS_MAIN(TestChannel)
#include "tst_channel.moc"
