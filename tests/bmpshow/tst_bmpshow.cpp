// The bmpshow program: a label window showing qwe.bmp from the working directory.

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include "testimages.h"
#include "windowprobe.h"

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("could not encode a test picture as %s", format);
    return bytes;
}

QString shippedSamplePath()
{
    return QStringLiteral(BMPSHOW_SOURCE_DIR "/qwe.bmp");
}

} // namespace

class TestBmpShow : public QObject
{
    Q_OBJECT

private slots:
    void shippedSampleIsASmallBitmap();
    void showsQweBmpFromTheWorkingDirectory_data();
    void showsQweBmpFromTheWorkingDirectory();
};

void TestBmpShow::shippedSampleIsASmallBitmap()
{
    QImageReader reader(shippedSamplePath());
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage sample = reader.read();
    QVERIFY2(!sample.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(sample.size(), QSize(64, 48));
}

void TestBmpShow::showsQweBmpFromTheWorkingDirectory_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    // windowprobe::imageText of the picture the label must show, "null" for none.
    QTest::addColumn<QString>("expectedPixmap");

    QFile sampleFile(shippedSamplePath());
    QVERIFY(sampleFile.open(QIODevice::ReadOnly));
    const QByteArray sample = sampleFile.readAll();
    const QImage odd = testimages::randomImage(13, 7, 31);
    const QImage photo = testimages::photoLikeImage(20, 10, 5);

    QTest::newRow("shipped sample") << QStringLiteral("qwe.bmp") << sample
                                    << windowprobe::imageText(QImage::fromData(sample));
    QTest::newRow("bitmap of odd size") << QStringLiteral("qwe.bmp") << encoded(odd, "BMP")
                                        << windowprobe::imageText(odd);
    // No format is forced: the reader goes by the file's content, not its name.
    QTest::newRow("PNG content under the bitmap's name")
        << QStringLiteral("qwe.bmp") << encoded(photo, "PNG") << windowprobe::imageText(photo);
    QTest::newRow("no qwe.bmp") << QString() << QByteArray() << QStringLiteral("null");
    QTest::newRow("unreadable qwe.bmp") << QStringLiteral("qwe.bmp")
                                        << QByteArray("BM this is not a bitmap") << QStringLiteral("null");
    QTest::newRow("empty qwe.bmp") << QStringLiteral("qwe.bmp") << QByteArray() << QStringLiteral("null");
    QTest::newRow("only another name") << QStringLiteral("Qwe.bmp") << encoded(odd, "BMP")
                                       << QStringLiteral("null");
}

void TestBmpShow::showsQweBmpFromTheWorkingDirectory()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, expectedPixmap);

    QTemporaryDir workingDirectory;
    QVERIFY(workingDirectory.isValid());
    if (!fileName.isEmpty()) {
        QFile file(workingDirectory.filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    const windowprobe::Run run =
        windowprobe::runAndClose(QStringLiteral(BMPSHOW_PROGRAM), workingDirectory.path());
    QVERIFY2(run.finished, qPrintable(run.errorOutput));
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    // The label is the only window: no message box tells of a missing file.
    QCOMPARE(run.windows.size(), 1);
    const windowprobe::Window &window = run.windows.first();
    QCOMPARE(window.value(QStringLiteral("class")), QStringLiteral("QLabel"));
    QCOMPARE(window.value(QStringLiteral("pixmap")), expectedPixmap);
    // A picture is shown at its natural size.
    if (expectedPixmap != QLatin1String("null"))
        QVERIFY(expectedPixmap.startsWith(window.value(QStringLiteral("size")) + QLatin1Char(':')));
}

QTEST_MAIN(TestBmpShow)
#include "tst_bmpshow.moc"
