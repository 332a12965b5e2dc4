// Writes the seed corpora of the two fuzz targets:
//   make_seeds OPEN_DIR EFFECTS_DIR [PICTURE_DIR...]
// OPEN_DIR gets small valid pictures in every format the toolkit writes, each in
// several pixel formats, and every file of the PICTURE_DIRs, each followed by a
// block of parameter bytes. EFFECTS_DIR gets one input per pixel format and size.

#include "fuzz_common.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cstdio>

namespace {

QByteArray parameterBlock(QRandomGenerator &random)
{
    QByteArray block(qsizetype(fuzz::Parameters::bytes), '\0');
    for (char &byte : block)
        byte = char(random.bounded(256));
    return block;
}

void writeSeed(const QString &dir, const QByteArray &contents)
{
    const QString name = QCryptographicHash::hash(contents, QCryptographicHash::Sha1).toHex();
    QFile file(QDir(dir).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
}

QImage picture(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | (x % 3 == 0 ? 0xff000000u : 0u));
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_seeds OPEN_DIR EFFECTS_DIR [PICTURE_DIR...]\n");
        return 2;
    }
    const QString openDir = QString::fromLocal8Bit(argv[1]);
    const QString effectsDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(openDir);
    QDir().mkpath(effectsDir);
    QRandomGenerator random(20240613);
    int written = 0;

    const QList<QImage::Format> pixelFormats = {
        QImage::Format_RGB32,    QImage::Format_ARGB32,     QImage::Format_Indexed8,
        QImage::Format_Grayscale8, QImage::Format_Mono,     QImage::Format_RGB888,
        QImage::Format_RGBA64,   QImage::Format_Grayscale16};
    const QList<QSize> sizes = {QSize(1, 1), QSize(7, 5), QSize(70, 9)};
    for (const QByteArray &format : QImageWriter::supportedImageFormats()) {
        for (QImage::Format pixelFormat : pixelFormats) {
            for (const QSize &size : sizes) {
                const QImage image = picture(size.width(), size.height(), quint32(written))
                                         .convertToFormat(pixelFormat);
                QByteArray bytes;
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::WriteOnly);
                QImageWriter writer(&buffer, format);
                if (!writer.write(image))
                    continue;
                writeSeed(openDir, bytes + parameterBlock(random));
                ++written;
            }
        }
    }
    for (int i = 3; i < argc; ++i) {
        const QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly)) {
                writeSeed(openDir, file.readAll() + parameterBlock(random));
                ++written;
            }
        }
    }

    const QList<QSize> effectSizes = {QSize(1, 1), QSize(1, 6), QSize(6, 1), QSize(9, 7)};
    for (int format = 1; format < QImage::NImageFormats; ++format) {
        for (const QSize &size : effectSizes) {
            QByteArray input;
            input.append(char(format - 1));
            input.append(char(size.width()));
            input.append(char(size.height()));
            input.append(char(16));
            input.append(parameterBlock(random));
            for (int i = 0; i < 16 * 4 + 24 * 24 * 16; ++i)
                input.append(char(random.bounded(256)));
            writeSeed(effectsDir, input);
            ++written;
        }
    }
    std::printf("%d seeds written\n", written);
    return 0;
}
