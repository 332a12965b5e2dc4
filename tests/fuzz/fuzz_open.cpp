// Fuzz target: arbitrary bytes opened as the editor's Open command opens a file,
// then every effect on the picture.
//
// Input: the picture's bytes, then a block of Parameters::bytes bytes from which
// the effect parameters are decoded (an input shorter than the block is all
// picture, with every parameter decoded from zeros).
//
// The picture goes through the same reader as Open, with the same allocation
// limit: a pixmap loaded from the data with the format detected from the
// content, converted to the working image. Like Open, which resamples a picture
// wider than 768 pixels, the target resamples a picture larger than 48 x 48
// down (or crops it where no whole percentage fits), so the effects run fast.
// The reader's own decoding of the data (in whatever format it gives) is run
// through the effects as well.

#include "fuzz_common.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>

#include <cstdlib>

namespace {

// The editor's reader limit (megabytes of decoded picture).
constexpr int readerAllocationLimitMiB = 1024;

constexpr int largestSide = 48;

// Brings a picture down to at most largestSide on each side: resampled by the
// whole percentage that fits its longer side, as Open does for wide pictures, or
// cropped when that percentage would leave no pixel.
QImage capped(const QImage &image)
{
    const int longer = qMax(image.width(), image.height());
    if (longer <= largestSide)
        return image;
    QImage result = image;
    const int percent = effects::wholePercent(largestSide * 100.0 / longer);
    if (effects::resampleAllowed(image.size(), percent)) {
        result = effects::resample(image, percent);
        FUZZ_CHECK(result.size() == effects::resampledSize(image.size(), percent), image);
    }
    if (result.width() > largestSide || result.height() > largestSide)
        result = result.copy(0, 0, qMin(result.width(), largestSide),
                             qMin(result.height(), largestSide));
    return result;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzz_open";
    static char *argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    QImageReader::setAllocationLimit(readerAllocationLimitMiB);
    fuzz::quietToolkit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    size_t pictureSize = size;
    fuzz::Parameters parameters = fuzz::Parameters::decode(nullptr, 0);
    if (size > fuzz::Parameters::bytes) {
        pictureSize = size - fuzz::Parameters::bytes;
        parameters = fuzz::Parameters::decode(data + pictureSize, fuzz::Parameters::bytes);
    }
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(pictureSize));

    // As Open: the pixmap, then the working image converted from it.
    QPixmap loaded;
    if (loaded.loadFromData(bytes)) {
        const QImage working = loaded.toImage();
        FUZZ_CHECK(!working.isNull(), working);
        FUZZ_CHECK(working.size() == loaded.size(), working);
        fuzz::runEveryEffect(capped(working), parameters);
    }

    // The reader's own picture, in the format it decodes to.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage decoded = reader.read();
    if (!decoded.isNull())
        fuzz::runEveryEffect(decoded.copy(0, 0, qMin(decoded.width(), largestSide),
                                          qMin(decoded.height(), largestSide)),
                             parameters);
    return 0;
}
