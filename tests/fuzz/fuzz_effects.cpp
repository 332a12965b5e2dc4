// Fuzz target: small pictures in every pixel format the toolkit has, built
// straight from the input bytes, and every effect on them.
//
// Input: one byte for the pixel format, one each for width and height (0 to 24),
// one for the length of the colour table, the block of effect parameters, then
// the colour table (four bytes an entry) and the raw scan lines. Missing bytes
// are taken as 0.

#include "fuzz_common.h"

#include <QImage>
#include <QList>

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietToolkit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::ByteReader head(data, size);
    const int format = 1 + head.byte() % (QImage::NImageFormats - 1);
    const int width = head.byte() % 25;
    const int height = head.byte() % 25;
    const int colours = head.byte();
    const size_t headSize = 4;
    const size_t used = std::min(size, headSize + fuzz::Parameters::bytes);
    const fuzz::Parameters parameters =
        fuzz::Parameters::decode(data + std::min(size, headSize), used - std::min(size, headSize));

    QImage image(width, height, QImage::Format(format));
    if (width > 0 && height > 0 && image.isNull())
        return 0; // the toolkit makes no image of this format
    size_t position = used;
    auto next = [&]() -> uint8_t { return position < size ? data[position++] : 0; };

    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB
        || image.format() == QImage::Format_Indexed8) {
        // The table may hold fewer colours than the indices in the scan lines use.
        QList<QRgb> table;
        for (int i = 0; i < colours; ++i) {
            QRgb colour = 0;
            for (int k = 0; k < 4; ++k)
                colour = (colour << 8) | next();
            table.append(colour);
        }
        image.setColorTable(table);
    }
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = image.scanLine(y);
        for (qsizetype i = 0; i < image.bytesPerLine(); ++i)
            line[i] = next();
    }

    // The formats without alpha promise an opaque filler; raw bytes need not keep it.
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            switch (image.format()) {
            case QImage::Format_RGBX8888:
                line[4 * x + 3] = 0xff;
                break;
            case QImage::Format_RGBX64:
                line[8 * x + 6] = line[8 * x + 7] = 0xff;
                break;
            default:
                break;
            }
        }
    }

    fuzz::runEveryEffect(image, parameters);
    return 0;
}
