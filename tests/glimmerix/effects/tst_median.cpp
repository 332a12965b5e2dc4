#include "brightness.h"
#include "median.h"
#include "parallel.h"
#include "reference.h"
#include "runconfigs.h"
#include "simd.h"
#include "testimages.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

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

// Colours whose brightnesses collide: five of brightness 5, three of 2, two of 9.
const QRgb brightness5[] = {qRgb(5, 5, 5), qRgb(0, 7, 0), qRgb(24, 0, 0), qRgb(0, 6, 10), qRgb(1, 5, 14)};
const QRgb brightness2[] = {qRgb(2, 2, 2), qRgb(0, 3, 0), qRgb(9, 0, 0)};
const QRgb brightness9[] = {qRgb(9, 9, 9), qRgb(42, 0, 2)};

// Colours whose brightness value is exactly halfway (31.5 and 66.5, rounded up)
// between two grays.
const QRgb halfway[] = {qRgb(0, 40, 40), qRgb(0, 73, 198)};
const QList<QRgb> halfwayPalette = {halfway[0], qRgb(32, 32, 32), qRgb(31, 31, 31),
                                    halfway[1], qRgb(67, 67, 67), qRgb(66, 66, 66)};

// Palettes of 2..6 colours, several of them of one brightness, so that most
// windows are decided by ties.
QList<QRgb> tiePalette(int colours)
{
    const QList<QList<QRgb>> palettes = {
        {brightness5[0], brightness5[1]},
        {brightness5[0], brightness5[1], brightness2[0]},
        {brightness5[0], brightness5[1], brightness5[2], brightness2[0]},
        {brightness5[0], brightness5[1], brightness5[2], brightness2[0], brightness2[1]},
        {brightness5[0], brightness5[1], brightness5[2], brightness5[3], brightness2[0], brightness9[1]},
    };
    return palettes[colours - 2];
}

QImage paletteImage(int width, int height, const QList<QRgb> &palette, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, palette[random.bounded(int(palette.size()))]);
    return image;
}

// Colours from a larger palette in which several colours share a brightness.
QImage tieRichImage(int width, int height, quint32 seed)
{
    const QList<QRgb> palette = {brightness5[0], brightness5[1], brightness5[2], brightness5[3],
                                 brightness9[0], brightness9[1], brightness2[0], qRgb(255, 255, 255)};
    return paletteImage(width, height, palette, seed);
}

// The window sizes, including the even ones that are lowered.
const int allSizes[] = {3, 4, 5, 6, 7, 8, 9};

} // namespace

class TestMedian : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void windowSize_data();
    void windowSize();
    void collidingColoursShareTheirBrightness();
    void tieTakesThePixelBelowTheCentre_data();
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
    void matchesReferenceUnderEveryThreadCount_data();
    void matchesReferenceUnderEveryThreadCount();
};

void TestMedian::cleanup()
{
    testruns::restoreDefaults();
}

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

void TestMedian::collidingColoursShareTheirBrightness()
{
    // The tie images below are only tie-rich if these collisions hold.
    for (const QRgb c : brightness5)
        QCOMPARE(effects::brightness(c), 5);
    for (const QRgb c : brightness2)
        QCOMPARE(effects::brightness(c), 2);
    for (const QRgb c : brightness9)
        QCOMPARE(effects::brightness(c), 9);
    QCOMPARE(effects::brightness(halfway[0]), 32);
    QCOMPARE(effects::brightness(halfway[1]), 67);
}

void TestMedian::tieTakesThePixelBelowTheCentre_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("level");
    // The window at several columns, so that it falls into different lanes of
    // the vectors, first, last and past the first full vector.
    for (const int left : {0, 14, 15, 30, 31, 32, 45}) {
        QTest::addRow("left %d", left) << left << 1 << int(effects::simd::Level::Avx512);
        QTest::addRow("left %d, baseline", left) << left << 1 << int(effects::simd::Level::Baseline);
    }
    QTest::addRow("left 31, 4 threads") << 31 << 4 << int(effects::simd::Level::Avx512);
}

void TestMedian::tieTakesThePixelBelowTheCentre()
{
    QFETCH(int, left);
    QFETCH(int, threads);
    QFETCH(int, level);
    effects::setThreadCount(threads);
    effects::simd::limitLevel(effects::simd::Level(level));
    // Brightness 7 5 1 / 3 9 5 / 5 5 2; the four 5s have four different colours.
    const QRgb colours[3][3] = {
        {qRgb(7, 7, 7), brightness5[0], qRgb(1, 1, 1)},
        {qRgb(3, 3, 3), qRgb(9, 9, 9), brightness5[1]},
        {brightness5[2], brightness5[3], qRgb(2, 2, 2)},
    };
    const int levels[3][3] = {{7, 5, 1}, {3, 9, 5}, {5, 5, 2}};
    QImage image(left + 6, 5, QImage::Format_RGB32);
    image.fill(qRgb(200, 200, 200));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            QCOMPARE(effects::brightness(colours[y][x]), levels[y][x]);
            image.setPixel(left + x, 1 + y, colours[y][x]);
        }
    }
    QCOMPARE(effects::median(image, 3).pixel(left + 1, 2), colours[2][1]);
    QCOMPARE(reference::median(image, 3).pixel(left + 1, 2), colours[2][1]);
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
    const QImage image = equalBrightnessImage(40, 10, level, quint32(size));
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
    QTest::newRow("ARGB32 9, two vectors wide") << testimages::randomAlphaImage(45, 12, 5) << 9;
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
    COMPARE_IMAGES(effects::median(image, size), testimages::opaqueCopy(image));
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
    const QImage image = testimages::randomImage(40, 13, quint32(size));
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

// Every format the working image can have, on small images of every shape.
void TestMedian::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<int>("size");
    const QList<QSize> sizes = {{1, 1}, {1, 9}, {9, 1}, {4, 4}, {9, 9}, {10, 10}, {13, 8}};
    quint32 seed = 40;
    for (QImage::Format format : testimages::formatsUnderTest()) {
        for (const QSize s : sizes) {
            ++seed;
            const QImage random = testimages::randomAlphaImage(s.width(), s.height(), seed)
                                      .convertToFormat(format);
            const QImage ties = tieRichImage(s.width(), s.height(), seed).convertToFormat(format);
            for (int size : allSizes) {
                QTest::addRow("format %d %dx%d random size %d", int(format), s.width(), s.height(), size)
                    << random << size;
                QTest::addRow("format %d %dx%d ties size %d", int(format), s.width(), s.height(), size)
                    << ties << size;
            }
        }
    }
    // Sizes beyond the spin box's range take a plainer path.
    for (int size : {11, 12, 13})
        QTest::addRow("21x16 ties size %d", size) << tieRichImage(21, 16, 77) << size;
}

void TestMedian::matchesReference()
{
    QFETCH(QImage, source);
    QFETCH(int, size);
    COMPARE_IMAGES(effects::median(source, size), reference::median(source, size));
}

// Images wider than a vector of windows and taller than a band of rows, under
// every thread count and instruction set.
void TestMedian::matchesReferenceUnderEveryThreadCount_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<int>("size");
    struct Shape
    {
        int width;
        int height;
    };
    const Shape shapes[] = {{70, 37}, {33, 40}, {16, 25}, {100, 12}, {12, 70}};
    quint32 seed = 700;
    for (const Shape s : shapes) {
        ++seed;
        const QImage photo = testimages::photoLikeImage(s.width, s.height, seed);
        const QImage random = testimages::randomImage(s.width, s.height, seed);
        const QImage ties = tieRichImage(s.width, s.height, seed);
        for (int size : allSizes) {
            QTest::addRow("%dx%d photo size %d", s.width, s.height, size) << photo << size;
            QTest::addRow("%dx%d random size %d", s.width, s.height, size) << random << size;
            QTest::addRow("%dx%d ties size %d", s.width, s.height, size) << ties << size;
        }
    }
    // Another format through the same paths.
    QTest::newRow("70x37 RGB888 ties size 9")
        << tieRichImage(70, 37, 800).convertToFormat(QImage::Format_RGB888) << 9;

    // Palettes of 2..6 colours with colliding brightnesses: nearly every window is
    // decided by the order in which the sort takes equal brightnesses. And colours
    // that are exactly halfway, next to the grays they must not tie with.
    const QList<QSize> sizes = {{1, 12}, {12, 1}, {5, 5}, {9, 9}, {9, 10}, {12, 7}, {40, 11}, {33, 34}};
    seed = 900;
    for (int colours = 2; colours <= 6; ++colours) {
        for (const QSize s : sizes) {
            const QImage image = paletteImage(s.width(), s.height(), tiePalette(colours), ++seed);
            for (int size : allSizes)
                QTest::addRow("%d colours %dx%d size %d", colours, s.width(), s.height(), size)
                    << image << size;
        }
    }
    for (const QSize s : {QSize(13, 9), QSize(38, 21)}) {
        const QImage image = paletteImage(s.width(), s.height(), halfwayPalette, ++seed);
        for (int size : {3, 5, 9})
            QTest::addRow("halfway %dx%d size %d", s.width(), s.height(), size) << image << size;
    }
}

void TestMedian::matchesReferenceUnderEveryThreadCount()
{
    QFETCH(QImage, source);
    QFETCH(int, size);
    const QString difference = testruns::firstDifferenceUnderEveryRun(
        [&] { return effects::median(source, size); }, reference::median(source, size));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_APPLESS_MAIN(TestMedian)
#include "tst_median.moc"
