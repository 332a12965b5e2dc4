// PixelRows must give, for every position, the very word that QImage::pixel()
// returns, whatever the format: the effects read through it and nothing else.

#include "parallel.h"
#include "pixelrows.h"
#include "testimages.h"

#include <QTest>

namespace {

// The words PixelRows gives, as an ARGB32 image (so that pixel() shows them unchanged).
QImage wordsThroughRows(const QImage &image)
{
    const effects::PixelRows rows(image);
    QImage words(rows.width(), rows.height(), QImage::Format_ARGB32);
    for (int y = 0; y < rows.height(); ++y)
        for (int x = 0; x < rows.width(); ++x)
            words.setPixel(x, y, rows.at(x, y));
    return words;
}

} // namespace

class TestPixelRows : public QObject
{
    Q_OBJECT

private slots:
    void matchesPixel_data();
    void matchesPixel();
    void indexOutsideColourTable();
    void nullImage();
    void wordFormatsReadInPlace_data();
    void wordFormatsReadInPlace();
    void recycledBuffersNeverShared();
    void cleanup();
};

void TestPixelRows::cleanup()
{
    effects::setThreadCount(0);
}

void TestPixelRows::recycledBuffersNeverShared()
{
    // Buffers of images that are gone serve the next images of that size; a live
    // image keeps its own pixels whatever is made and dropped meanwhile.
    QImage kept = effects::newRgb32(64, 32);
    QVERIFY(!kept.isNull());
    kept.fill(qRgb(1, 2, 3));
    QList<QImage> live;
    for (int round = 0; round < 6; ++round) {
        QImage a = effects::newRgb32(64, 32);
        QImage b = effects::newRgb32(64, 32);
        QCOMPARE(a.format(), QImage::Format_RGB32);
        QVERIFY(a.constBits() != b.constBits());
        QVERIFY(a.constBits() != kept.constBits());
        QVERIFY(b.constBits() != kept.constBits());
        for (const QImage &other : live) {
            QVERIFY(a.constBits() != other.constBits());
            QVERIFY(b.constBits() != other.constBits());
        }
        a.fill(qRgb(200, 0, 0));
        b.fill(qRgb(0, 200, 0));
        if (round % 2)
            live.append(a); // the other one goes back at the end of the round
    }
    for (int y = 0; y < kept.height(); ++y)
        for (int x = 0; x < kept.width(); ++x)
            QCOMPARE(kept.pixel(x, y), qRgb(1, 2, 3));
    for (const QImage &image : live)
        QCOMPARE(image.pixel(5, 5), qRgb(200, 0, 0));
    // A recycled image is an ordinary one: copies detach, writes stay its own.
    QImage copy = kept;
    copy.setPixel(0, 0, qRgb(9, 9, 9));
    QCOMPARE(kept.pixel(0, 0), qRgb(1, 2, 3));
    QVERIFY(effects::newRgb32(0, 5).isNull());
    QVERIFY(effects::newRgb32(5, -1).isNull());
}

void TestPixelRows::matchesPixel_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("threads"); // 0: the default
    // Odd widths leave padding at the end of 8- and 24-bit rows; random alpha makes
    // the premultiplied formats differ from the plain ones.
    const QImage alpha = testimages::randomAlphaImage(7, 5, 11);
    const QImage photo = testimages::photoLikeImage(6, 3, 12);
    const QImage column = testimages::randomAlphaImage(1, 4, 13);
    for (const QImage::Format format : testimages::formatsUnderTest()) {
        const QByteArray name = "format " + QByteArray::number(int(format));
        QTest::newRow(name + " alpha 7x5") << testimages::inFormat(alpha, format) << 0;
        QTest::newRow(name + " photo 6x3") << testimages::inFormat(photo, format) << 0;
        QTest::newRow(name + " alpha 1x4") << testimages::inFormat(column, format) << 0;
    }
    // Tall enough to be converted in several bands.
    const QImage tall = testimages::randomAlphaImage(13, 150, 31);
    for (const QImage::Format format : testimages::formatsUnderTest())
        for (int threads : {1, 2, 4})
            QTest::addRow("format %d, %d threads", int(format), threads)
                << testimages::inFormat(tall, format) << threads;
}

void TestPixelRows::matchesPixel()
{
    QFETCH(QImage, image);
    QFETCH(int, threads);
    QVERIFY(!image.isNull());
    effects::setThreadCount(threads);
    const effects::PixelRows rows(image);
    QCOMPARE(rows.width(), image.width());
    QCOMPARE(rows.height(), image.height());
    COMPARE_IMAGES(wordsThroughRows(image), testimages::wordsOf(image));
}

void TestPixelRows::indexOutsideColourTable()
{
    // A two-colour table and one byte that points past it: pixel() gives 0 there.
    QImage image(5, 3, QImage::Format_Indexed8);
    image.setColorTable({qRgb(10, 20, 30), qRgba(200, 100, 50, 128)});
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.scanLine(y)[x] = uchar((x + y) % 2);
    image.scanLine(1)[3] = 7;
    QCOMPARE(image.pixelIndex(3, 1), 7);

    // pixel() warns about the bad index each time it is asked: once for the rows,
    // once for the expected words.
    const char warning[] = "QImage::pixel: color table index 7 out of range.";
    QTest::ignoreMessage(QtWarningMsg, warning);
    const QImage actual = wordsThroughRows(image);
    QTest::ignoreMessage(QtWarningMsg, warning);
    const QImage expected = testimages::wordsOf(image);
    QCOMPARE(expected.pixel(3, 1), QRgb(0));
    QCOMPARE(expected.pixel(2, 1), qRgba(200, 100, 50, 128));
    COMPARE_IMAGES(actual, expected);
}

void TestPixelRows::nullImage()
{
    const effects::PixelRows rows{QImage()};
    QCOMPARE(rows.width(), 0);
    QCOMPARE(rows.height(), 0);
}

void TestPixelRows::wordFormatsReadInPlace_data()
{
    QTest::addColumn<QImage>("image");
    const QImage alpha = testimages::randomAlphaImage(4, 3, 21);
    QTest::newRow("RGB32") << testimages::inFormat(alpha, QImage::Format_RGB32);
    QTest::newRow("ARGB32") << alpha;
    QTest::newRow("ARGB32_Premultiplied")
        << testimages::inFormat(alpha, QImage::Format_ARGB32_Premultiplied);
}

void TestPixelRows::wordFormatsReadInPlace()
{
    QFETCH(QImage, image);
    const effects::PixelRows rows(image);
    for (int y = 0; y < image.height(); ++y)
        QCOMPARE(static_cast<const void *>(rows.row(y)),
                 static_cast<const void *>(image.constScanLine(y)));
}

QTEST_APPLESS_MAIN(TestPixelRows)
#include "tst_pixelrows.moc"
