#include "brightness.h"
#include "widths.h"

#include <QTest>
#include <cmath>

namespace {

// The brightness at every width the effects compute it at: brightness() and
// brightnessOf() on vectors of 2, 4 and 8 pixels (the lane is the row's colour,
// red, green and blue at fixed ratios to one scale, hence the three scales).
QList<int> everyWidth(int red, int green, int blue)
{
    QList<int> results = {effects::brightness(qRgb(red, green, blue))};
    const auto of = [&](auto scale) { return effects::brightnessOf(scale * red, scale * green, scale * blue); };
    for (double value : widths::everyWidth(of, 1.0))
        results << int(value);
    return results;
}

} // namespace

class TestBrightness : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void grayIsItsValue();
    void halvesGoUp_data();
    void halvesGoUp();
};

void TestBrightness::values_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("expected");
    QTest::newRow("black") << 0 << 0 << 0 << 0;
    QTest::newRow("red") << 255 << 0 << 0 << 54;
    QTest::newRow("green") << 0 << 255 << 0 << 182;
    QTest::newRow("blue") << 0 << 0 << 255 << 18;
    QTest::newRow("white") << 255 << 255 << 255 << 255;
    QTest::newRow("orange") << 255 << 128 << 0 << 146;
    // 0.7154 * 7 = 5.0078 and 0.2125 * 23 + 0.0721 = 4.9596: both 5.
    QTest::newRow("green 7") << 0 << 7 << 0 << 5;
    QTest::newRow("red 23 blue 1") << 23 << 0 << 1 << 5;
}

void TestBrightness::values()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(int, expected);
    for (int result : everyWidth(red, green, blue))
        QCOMPARE(result, expected);
    // Alpha plays no part.
    QCOMPARE(effects::brightness(qRgba(red, green, blue, 0)), expected);
}

void TestBrightness::grayIsItsValue()
{
    for (int v = 0; v < 256; ++v)
        QCOMPARE(effects::brightness(qRgb(v, v, v)), v);
}

void TestBrightness::halvesGoUp_data()
{
    // Colours whose double-precision value is exactly an even number plus one half:
    // rounding to even would go down, halves away from zero go up.
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("expected");
    QTest::newRow("66.5") << 0 << 73 << 198 << 67;
    QTest::newRow("94.5") << 0 << 120 << 120 << 95;
    QTest::newRow("32.5") << 1 << 41 << 41 << 33;
    QTest::newRow("188.5") << 3 << 250 << 125 << 189;
}

void TestBrightness::halvesGoUp()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(int, expected);
    const double value = (0.2125 * red + 0.7154 * green) + 0.0721 * blue;
    QCOMPARE(value, expected - 0.5); // the row really is a half
    for (int result : everyWidth(red, green, blue))
        QCOMPARE(result, expected);
}

QTEST_APPLESS_MAIN(TestBrightness)
#include "tst_brightness.moc"
