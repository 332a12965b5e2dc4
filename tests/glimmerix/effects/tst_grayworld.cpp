#include "grayworld.h"
#include "reference.h"
#include "runconfigs.h"
#include "testimages.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// An image from rows of colours.
QImage fromRows(const QList<QList<QRgb>> &rows)
{
    QImage image(rows.isEmpty() ? 0 : rows[0].size(), rows.size(), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            image.setPixel(x, y, rows[y][x]);
    return image;
}

QRgb gray(int v)
{
    return qRgb(v, v, v);
}

} // namespace

class TestGrayWorld : public QObject
{
    Q_OBJECT

private slots:
    void balance_data();
    void balance();
    void emptyImage();
    void tinyMeanGivesTheLimit();
    void matchesReference_data();
    void matchesReference();
    void sameUnderEveryThreadCount_data();
    void sameUnderEveryThreadCount();
    void cleanup();
};

void TestGrayWorld::cleanup()
{
    testruns::restoreDefaults();
}

void TestGrayWorld::balance_data()
{
    QTest::addColumn<QImage>("source");
    QTest::addColumn<QImage>("expected");
    const QRgb c = qRgb(120, 100, 80);
    QTest::newRow("2x2 (120,100,80)") << fromRows({{c, c}, {c, c}}) << fromRows({{gray(100), gray(100)}, {gray(100), gray(100)}});
    // Single precision lowers the gray level: every non-zero value loses one.
    QTest::newRow("column 5 5 1") << fromRows({{gray(5)}, {gray(5)}, {gray(1)}})
                                  << fromRows({{gray(4)}, {gray(4)}, {gray(0)}});
    QTest::newRow("column 0 3 10") << fromRows({{gray(0)}, {gray(3)}, {gray(10)}})
                                   << fromRows({{gray(0)}, {gray(2)}, {gray(9)}});
    // Also sensitive to the order of the sums (columns outer).
    QTest::newRow("3x2 gray") << fromRows({{gray(1), gray(11), gray(255)}, {gray(255), gray(11), gray(200)}})
                              << fromRows({{gray(0), gray(11), gray(254)}, {gray(254), gray(11), gray(200)}});
    // Blue empty: the gray level is two thirds of the common mean of red and green.
    QTest::newRow("red and green uniform") << fromRows({{qRgb(90, 90, 0), qRgb(90, 90, 0)}})
                                           << fromRows({{qRgb(60, 60, 0), qRgb(60, 60, 0)}});
    QTest::newRow("red and green") << fromRows({{qRgb(30, 60, 0)}, {qRgb(90, 60, 0)}})
                                   << fromRows({{qRgb(20, 40, 0)}, {qRgb(60, 40, 0)}});
    QTest::newRow("black") << fromRows({{gray(0), gray(0)}, {gray(0), gray(0)}})
                           << fromRows({{gray(0), gray(0)}, {gray(0), gray(0)}});
    // A channel far weaker than the others is lifted to the limit.
    QTest::newRow("weak blue") << fromRows({{qRgb(200, 200, 0), qRgb(200, 200, 1)}})
                               << fromRows({{qRgb(133, 133, 0), qRgb(133, 133, 255)}});
    QImage alpha = fromRows({{c, c}, {c, c}}).convertToFormat(QImage::Format_ARGB32);
    alpha.setPixel(1, 1, qRgba(120, 100, 80, 0));
    QTest::newRow("alpha dropped") << alpha << fromRows({{gray(100), gray(100)}, {gray(100), gray(100)}});
}

void TestGrayWorld::balance()
{
    QFETCH(QImage, source);
    QFETCH(QImage, expected);
    const QImage result = effects::grayWorld(source);
    QCOMPARE(result.format(), QImage::Format_RGB32);
    COMPARE_IMAGES(result, expected);
    COMPARE_IMAGES(reference::grayWorld(source), expected);
}

void TestGrayWorld::emptyImage()
{
    const QImage result = effects::grayWorld(QImage());
    QVERIFY(result.isNull());
    QCOMPARE(result.size(), QSize(0, 0));
    QVERIFY(effects::grayWorld(QImage(0, 5, QImage::Format_RGB32)).isNull());
}

void TestGrayWorld::tinyMeanGivesTheLimit()
{
    // Red and green 200 everywhere, blue 1 in a single pixel of 5000 x 4000: that
    // pixel's quotient, about 2.7e9, is beyond INT_MAX; it must give 255, not the
    // wrapped value of an overflowing conversion.
    QImage image(5000, 4000, QImage::Format_RGB32);
    image.fill(qRgb(200, 200, 0));
    image.setPixel(1234, 2345, qRgb(200, 200, 1));
    const QImage result = effects::grayWorld(image);
    QCOMPARE(result.pixel(1234, 2345), qRgb(133, 133, 255));
    for (int y = 0; y < result.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(result.constScanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (row[x] != qRgb(133, 133, 0) && !(x == 1234 && y == 2345))
                QFAIL(qPrintable(QString("(%1, %2) is %3").arg(x).arg(y).arg(row[x], 8, 16)));
    }
}

void TestGrayWorld::matchesReference_data()
{
    QTest::addColumn<QImage>("source");
    testimages::addImagesInEveryFormat({{1, 1}, {1, 9}, {9, 1}, {6, 4}, {17, 13}}, 70);
}

void TestGrayWorld::matchesReference()
{
    QFETCH(QImage, source);
    COMPARE_IMAGES(effects::grayWorld(source), reference::grayWorld(source));
}

void TestGrayWorld::sameUnderEveryThreadCount_data()
{
    // Sizes across the bands of the second pass; narrow channel ranges (gains far
    // from 1, quotients beyond 255), an empty channel and full-range noise.
    QTest::addColumn<QImage>("source");
    const QList<QSize> sizes = {{1, 1}, {1, 50}, {50, 1}, {41, 37}, {300, 70}};
    const QList<QImage::Format> formats = {QImage::Format_RGB32, QImage::Format_ARGB32,
                                           QImage::Format_RGB888, QImage::Format_Indexed8,
                                           QImage::Format_RGBA64_Premultiplied};
    quint32 seed = 900;
    for (const QSize s : sizes) {
        for (QImage::Format format : formats) {
            QTest::addRow("%dx%d format %d noise", s.width(), s.height(), int(format))
                << testimages::randomAlphaImage(s.width(), s.height(), ++seed).convertToFormat(format);
            QTest::addRow("%dx%d format %d narrow", s.width(), s.height(), int(format))
                << testimages::rangedImage(s.width(), s.height(), 0, 9, ++seed).convertToFormat(format);
        }
        QImage noBlue = testimages::photoLikeImage(s.width(), s.height(), ++seed);
        for (int y = 0; y < noBlue.height(); ++y)
            for (int x = 0; x < noBlue.width(); ++x)
                noBlue.setPixel(x, y, noBlue.pixel(x, y) & 0xffffff00u);
        QTest::addRow("%dx%d no blue", s.width(), s.height()) << noBlue;
    }
    // Large enough (over 8 MiB) for the means to be summed through column strips.
    QTest::newRow("1500x1450 photo") << testimages::photoLikeImage(1500, 1450, ++seed);
}

void TestGrayWorld::sameUnderEveryThreadCount()
{
    QFETCH(QImage, source);
    const QImage expected = reference::grayWorld(source);
    QCOMPARE(testruns::firstDifferenceUnderEveryRun([&] { return effects::grayWorld(source); }, expected),
             QString());
}

QTEST_APPLESS_MAIN(TestGrayWorld)
#include "tst_grayworld.moc"
