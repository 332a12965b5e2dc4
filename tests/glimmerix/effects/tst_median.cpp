#include "brightness.h"
#include "median.h"
#include "reference.h"
#include "testimages.h"

#include <QRandomGenerator>
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

// Random colours that all have the given brightness.
QImage equalBrightnessImage(int width, int height, int level, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            QRgb p;
            do
                p = 0xff000000u | (random.generate() & 0xffffffu);
            while (effects::brightness(p) != level);
            image.setPixel(x, y, p);
        }
    }
    return image;
}

// Colours from a small palette in which several colours share a brightness, so
// that most windows hold ties.
QImage tieRichImage(int width, int height, quint32 seed)
{
    const QRgb palette[] = {qRgb(5, 5, 5), qRgb(0, 7, 0), qRgb(24, 0, 0), qRgb(0, 6, 10),
                            qRgb(9, 9, 9), qRgb(42, 0, 2), qRgb(2, 2, 2), qRgb(255, 255, 255)};
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, palette[random.bounded(8)]);
    return image;
}

} // namespace

class TestMedian : public QObject
{
    Q_OBJECT

private slots:
    void windowSize_data();
    void windowSize();
    void tieTakesThePixelBelowTheCentre();
    void equalBrightnessComesBackUnchanged_data();
    void equalBrightnessComesBackUnchanged();
    void whiteDotIsRemoved();
    void borderStripKeepsUnfilteredWords_data();
    void borderStripKeepsUnfilteredWords();
    void imageSmallerThanWindowIsUnchanged_data();
    void imageSmallerThanWindowIsUnchanged();
    void evenSizesAreLowered_data();
    void evenSizesAreLowered();
    void outputIsTheMedianColourOfItsWindow_data();
    void outputIsTheMedianColourOfItsWindow();
    void matchesReference_data();
    void matchesReference();
};

void TestMedian::windowSize_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("expected");
    const int pairs[][2] = {{-4, 1}, {0, 1}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 5},
                            {6, 5},  {7, 7}, {8, 7}, {9, 9}, {10, 9}, {11, 11}};
    for (const auto &pair : pairs)
        QTest::addRow("%d", pair[0]) << pair[0] << pair[1];
}

void TestMedian::windowSize()
{
    QFETCH(int, requested);
    QFETCH(int, expected);
    QCOMPARE(effects::medianWindowSize(requested), expected);
}

void TestMedian::tieTakesThePixelBelowTheCentre()
{
    // Brightness 7 5 1 / 3 9 5 / 5 5 2; the four 5s have four different colours.
    const QRgb colours[3][3] = {
        {qRgb(7, 7, 7), qRgb(5, 5, 5), qRgb(1, 1, 1)},
        {qRgb(3, 3, 3), qRgb(9, 9, 9), qRgb(0, 7, 0)},
        {qRgb(24, 0, 0), qRgb(0, 6, 10), qRgb(2, 2, 2)},
    };
    const int levels[3][3] = {{7, 5, 1}, {3, 9, 5}, {5, 5, 2}};
    QImage image(3, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            QCOMPARE(effects::brightness(colours[y][x]), levels[y][x]);
            image.setPixel(x, y, colours[y][x]);
        }
    }
    QCOMPARE(effects::median(image, 3).pixel(1, 1), colours[2][1]);
    QCOMPARE(reference::median(image, 3).pixel(1, 1), colours[2][1]);
}

void TestMedian::equalBrightnessComesBackUnchanged_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("level");
    QTest::newRow("3") << 3 << 100;
    QTest::newRow("5") << 5 << 40;
    QTest::newRow("9") << 9 << 200;
}

void TestMedian::equalBrightnessComesBackUnchanged()
{
    QFETCH(int, size);
    QFETCH(int, level);
    const QImage image = equalBrightnessImage(12, 10, level, quint32(size));
    COMPARE_IMAGES(effects::median(image, size), image);
}

void TestMedian::whiteDotIsRemoved()
{
    QImage image(7, 7, QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 128));
    QImage expected = image.copy();
    image.setPixel(3, 3, qRgb(255, 255, 255));
    COMPARE_IMAGES(effects::median(image, 3), expected);
}

void TestMedian::borderStripKeepsUnfilteredWords_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<int>("size");
    QTest::newRow("ARGB32 3") << testimages::randomAlphaImage(9, 8, 1) << 3;
    QTest::newRow("premultiplied 5")
        << testimages::randomAlphaImage(11, 12, 2).convertToFormat(QImage::Format_ARGB32_Premultiplied)
        << 5;
    QTest::newRow("RGBA64 9")
        << testimages::randomAlphaImage(10, 9, 3).convertToFormat(QImage::Format_RGBA64) << 9;
    QTest::newRow("indexed 7")
        << testimages::photoLikeImage(12, 10, 4).convertToFormat(QImage::Format_Indexed8) << 7;
}

void TestMedian::borderStripKeepsUnfilteredWords()
{
    QFETCH(QImage, source);
    QFETCH(int, size);
    const int ost = (size - 1) / 2;
    const QImage result = effects::median(source, size);
    QCOMPARE(result.format(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            if (x >= ost && x < source.width() - ost && y >= ost && y < source.height() - ost)
                continue;
            QCOMPARE(result.pixel(x, y), source.pixel(x, y) | 0xff000000u);
        }
    }
}

void TestMedian::imageSmallerThanWindowIsUnchanged_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<int>("size");
    QTest::newRow("narrow") << QSize(4, 10) << 5;
    QTest::newRow("low") << QSize(10, 4) << 5;
    QTest::newRow("8x8 under 9") << QSize(8, 8) << 9;
    QTest::newRow("2x2 under 3") << QSize(2, 2) << 3;
    QTest::newRow("1x1") << QSize(1, 1) << 3;
    QTest::newRow("6x9 under 8") << QSize(6, 9) << 8;
}

void TestMedian::imageSmallerThanWindowIsUnchanged()
{
    QFETCH(QSize, imageSize);
    QFETCH(int, size);
    const QImage image = testimages::randomAlphaImage(imageSize.width(), imageSize.height(), 9);
    COMPARE_IMAGES(effects::median(image, size), opaque(image));
}

void TestMedian::evenSizesAreLowered_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("used");
    QTest::newRow("4") << 4 << 3;
    QTest::newRow("6") << 6 << 5;
    QTest::newRow("8") << 8 << 7;
    QTest::newRow("2: no filter") << 2 << 1;
    QTest::newRow("0: no filter") << 0 << 1;
}

void TestMedian::evenSizesAreLowered()
{
    QFETCH(int, requested);
    QFETCH(int, used);
    const QImage image = testimages::randomImage(14, 12, 11);
    const QImage expected = used == 1 ? image : effects::median(image, used);
    COMPARE_IMAGES(effects::median(image, requested), expected);
}

void TestMedian::outputIsTheMedianColourOfItsWindow_data()
{
    QTest::addColumn<int>("size");
    for (int size : {3, 5, 7, 9})
        QTest::addRow("%d", size) << size;
}

void TestMedian::outputIsTheMedianColourOfItsWindow()
{
    QFETCH(int, size);
    const QImage image = testimages::randomImage(16, 13, quint32(size));
    const QImage result = effects::median(image, size);
    const int ost = size / 2;
    const int middle = (size * size - 1) / 2;
    for (int y = ost; y < image.height() - ost; ++y) {
        for (int x = ost; x < image.width() - ost; ++x) {
            const QRgb out = result.pixel(x, y);
            bool found = false;
            int below = 0, above = 0;
            for (int dy = -ost; dy <= ost; ++dy) {
                for (int dx = -ost; dx <= ost; ++dx) {
                    const QRgb p = image.pixel(x + dx, y + dy);
                    found = found || p == out;
                    below += effects::brightness(p) < effects::brightness(out);
                    above += effects::brightness(p) > effects::brightness(out);
                }
            }
            QVERIFY2(found, qPrintable(QString("(%1, %2) is not from its window").arg(x).arg(y)));
            QVERIFY(below <= middle);
            QVERIFY(above <= middle);
        }
    }
}

void TestMedian::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<int>("size");
    const QList<QSize> sizes = {{1, 1}, {1, 9}, {9, 1}, {4, 4}, {10, 10}, {13, 8}};
    quint32 seed = 40;
    for (QImage::Format format : testimages::formatsUnderTest()) {
        for (const QSize s : sizes) {
            ++seed;
            const QImage random = testimages::randomAlphaImage(s.width(), s.height(), seed)
                                      .convertToFormat(format);
            const QImage ties = tieRichImage(s.width(), s.height(), seed).convertToFormat(format);
            for (int size = 3; size <= 9; ++size) {
                QTest::addRow("format %d %dx%d random size %d", int(format), s.width(), s.height(), size)
                    << random << size;
                QTest::addRow("format %d %dx%d ties size %d", int(format), s.width(), s.height(), size)
                    << ties << size;
            }
        }
    }
}

void TestMedian::matchesReference()
{
    QFETCH(QImage, source);
    QFETCH(int, size);
    COMPARE_IMAGES(effects::median(source, size), reference::median(source, size));
}

QTEST_APPLESS_MAIN(TestMedian)
#include "tst_median.moc"
