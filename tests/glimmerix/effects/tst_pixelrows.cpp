// PixelRows must give, for every position, the very word that QImage::pixel()
// returns, whatever the format: the effects read through it and nothing else.

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
};

void TestPixelRows::matchesPixel_data()
{
    QTest::addColumn<QImage>("image");
    // Odd widths leave padding at the end of 8- and 24-bit rows; random alpha makes
    // the premultiplied formats differ from the plain ones.
    const QImage alpha = testimages::randomAlphaImage(7, 5, 11);
    const QImage photo = testimages::photoLikeImage(6, 3, 12);
    const QImage column = testimages::randomAlphaImage(1, 4, 13);
    for (const QImage::Format format : testimages::formatsUnderTest()) {
        const QByteArray name = "format " + QByteArray::number(int(format));
        QTest::newRow(name + " alpha 7x5") << testimages::inFormat(alpha, format);
        QTest::newRow(name + " photo 6x3") << testimages::inFormat(photo, format);
        QTest::newRow(name + " alpha 1x4") << testimages::inFormat(column, format);
    }
}

void TestPixelRows::matchesPixel()
{
    QFETCH(QImage, image);
    QVERIFY(!image.isNull());
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
