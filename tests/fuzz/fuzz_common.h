#ifndef GLIMMERIX_FUZZ_COMMON_H
#define GLIMMERIX_FUZZ_COMMON_H

// Shared by the fuzz targets: the effect parameters decoded from a fixed block of
// input bytes, and one run of every effect on an image the way the editor's
// commands run them. Every result is checked against what the library promises
// (size, format, the pixels of the plain reference forms); a broken promise
// aborts, so that libFuzzer records the input like a crash.

#include "fourneighbour.h"
#include "gauss.h"
#include "grayworld.h"
#include "median.h"
#include "parallel.h"
#include "pixelrows.h"
#include "reference.h"
#include "resample.h"
#include "rotate.h"
#include "sharpen.h"
#include "stretch.h"
#include "waves.h"
#include "zoom.h"

#include <QImage>
#include <QVector>
#include <QtGlobal>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace fuzz {

// The toolkit's warnings (a broken file, a colour index past the table) are
// expected by the thousand here; printing them would only slow the run.
inline void quietToolkit()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

[[noreturn]] inline void broken(const char *what, const QImage &image)
{
    std::fprintf(stderr, "broken promise: %s (image %dx%d, format %d)\n", what, image.width(),
                 image.height(), int(image.format()));
    std::abort();
}

#define FUZZ_CHECK(condition, image)                                                       \
    do {                                                                                   \
        if (!(condition))                                                                  \
            ::fuzz::broken(#condition, (image));                                           \
    } while (false)

// Reads little-endian values from a byte block; past its end every byte is 0.
class ByteReader
{
public:
    ByteReader(const uint8_t *data, size_t size) : data(data), size(size) {}

    uint8_t byte() { return position < size ? data[position++] : 0; }
    uint32_t u32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(byte()) << (8 * i);
        return value;
    }
    uint64_t u64() { return uint64_t(u32()) | (uint64_t(u32()) << 32); }
    double fraction() { return double(u32()) / 4294967295.0; }

    // A value for a spin box running from minimum to maximum: inside the range,
    // at or just beyond its ends, far beyond them, or any double at all (NaN,
    // infinities, denormals, huge numbers). Nine bytes each, whatever the kind.
    double spinValue(double minimum, double maximum)
    {
        const uint8_t kind = byte();
        const uint64_t bits = u64();
        const double u = double(bits >> 11) / double(uint64_t(1) << 53);
        const double span = maximum - minimum;
        switch (kind % 4) {
        case 0: // inside, at the spin box's two decimals
            return std::round((minimum + span * u) * 100.0) / 100.0;
        case 1: {
            const double ends[] = {minimum, maximum, minimum - 0.01, maximum + 0.01, 0.0, -0.0,
                                   minimum + 0.01, maximum - 0.01};
            return ends[bits % 8];
        }
        case 2: // up to a thousand ranges beyond either end
            return minimum - 1000.0 * span + 2001.0 * span * u;
        default: {
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        }
    }

    double spinValue(const effects::Parameter<double> &parameter)
    {
        return spinValue(parameter.minimum, parameter.maximum);
    }

    int spinInt(int minimum, int maximum)
    {
        const uint8_t kind = byte();
        const uint32_t bits = u32();
        switch (kind % 3) {
        case 0:
            return minimum + int(bits % uint32_t(maximum - minimum + 1));
        case 1:
            return int(bits % 41) - 20;
        default:
            return int(bits);
        }
    }

private:
    const uint8_t *data;
    size_t size;
    size_t position = 0;
};

// The parameters of one run, with the editor's spin box ranges as the base.
struct Parameters
{
    double zoo, koefp, rot, koefg, gau, sha, wadl, waam, sampleX, sampleY;
    int med, channels, lines, length, halfWidth, threads;
    bool compare;

    static constexpr size_t bytes = 160;

    static Parameters decode(const uint8_t *data, size_t size)
    {
        ByteReader in(data, size);
        Parameters p;
        p.zoo = in.spinValue(effects::zoomPercent);
        p.koefp = in.spinValue(effects::zoomPercent);
        p.rot = in.spinValue(effects::rotationDegrees);
        p.koefg = in.spinValue(effects::rotationDegrees);
        p.gau = in.spinValue(effects::gaussSigma);
        p.sha = in.spinValue(effects::sharpenStrength);
        p.wadl = in.spinValue(effects::waveLength);
        p.waam = in.spinValue(effects::waveAmplitude);
        p.sampleX = in.spinValue(-2.0, 66.0);
        p.sampleY = in.spinValue(-2.0, 66.0);
        p.med = in.spinInt(effects::medianSize.minimum, effects::medianSize.maximum);
        p.channels = in.spinInt(0, 3);
        p.lines = in.spinInt(-2, 66);
        p.length = in.spinInt(-2, 66);
        p.halfWidth = in.spinInt(0, 20);
        p.compare = in.byte() % 2 == 0;
        p.threads = 1 + in.byte() % 3;
        return p;
    }
};

inline void sameSizeRgb32(const QImage &result, const QImage &source)
{
    FUZZ_CHECK(result.size() == source.size(), source);
    FUZZ_CHECK(source.isNull() || result.format() == QImage::Format_RGB32, source);
}

// Bit-for-bit equality as pixel() reads both images.
inline void samePixels(const QImage &actual, const QImage &expected, const char *what)
{
    if (actual.size() != expected.size())
        broken(what, expected);
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y)) {
                std::fprintf(stderr, "pixel (%d, %d): %08x, reference %08x\n", x, y,
                             actual.pixel(x, y), expected.pixel(x, y));
                broken(what, expected);
            }
}

// The reference forms are only compared for the parameters the editor's spin
// boxes can give: beyond them (NaN, huge values) the library's promise is only
// that it stays defined, which the sanitizers check.
inline bool inEditorRange(double value, double minimum, double maximum)
{
    return value >= minimum && value <= maximum;
}

template <class T> bool inEditorRange(double value, const effects::Parameter<T> &parameter)
{
    return inEditorRange(value, parameter.minimum, parameter.maximum);
}

// Every effect once on image, through the library's functions and the window's
// adapters.
inline void runEveryEffect(const QImage &image, const Parameters &p)
{
    const bool compare = p.compare && !image.isNull();
    effects::setThreadCount(p.threads); // results must not depend on it

    // Zoom about the centre (the "Correct" row).
    {
        const QImage result = effects::zoomAboutCentre(image, p.zoo, p.koefp);
        sameSizeRgb32(result, image);
        if (compare && inEditorRange(p.zoo, effects::zoomPercent) && inEditorRange(p.koefp, effects::zoomPercent))
            samePixels(result, reference::zoomAboutCentre(image, p.zoo, p.koefp), "zoom");
    }

    // Resampling (the "Another" row and Open): only small results are made.
    {
        const int percent = effects::wholePercent(p.zoo);
        const QSize size = effects::resampledSize(image.size(), percent);
        const bool allowed = effects::resampleAllowed(image.size(), percent);
        FUZZ_CHECK(size.width() >= 0 && size.height() >= 0, image);
        FUZZ_CHECK(!allowed || (size.width() > 0 && size.height() > 0
                                && qint64(size.width()) * size.height()
                                       <= effects::maxResampledPixels),
                   image);
        if (allowed && qint64(size.width()) * size.height() <= 160 * 160) {
            const QImage result = effects::resample(image, percent);
            FUZZ_CHECK(result.size() == size, image);
            FUZZ_CHECK(result.format() == QImage::Format_RGB32, image);
            if (compare)
                samePixels(result, reference::resample(image, percent), "resample");
        }
    }

    // Rotation.
    {
        const QImage result = effects::rotateAboutCentre(image, p.rot, p.koefg);
        sameSizeRgb32(result, image);
        if (compare && inEditorRange(p.rot, effects::rotationDegrees)
            && inEditorRange(p.koefg, effects::rotationDegrees))
            samePixels(result, reference::rotateAboutCentre(image, p.rot, p.koefg), "rotate");
    }

    // Gauss: the window, and the blur.
    QImage blurred;
    {
        const int n = effects::gaussHalfWidth(p.gau);
        FUZZ_CHECK(n >= 0 && n <= effects::maxGaussHalfWidth, image);
        const QVector<double> window = effects::gaussWindow(p.gau);
        FUZZ_CHECK(window.size() == 2 * n + 1, image);
        for (double weight : window)
            FUZZ_CHECK(!(weight < 0) && !(weight > 1), image);
        blurred = effects::gaussBlur(image, p.gau);
        sameSizeRgb32(blurred, image);
        if (compare && inEditorRange(p.gau, effects::gaussSigma))
            samePixels(blurred, reference::gaussBlur(image, p.gau), "gauss");
        sameSizeRgb32(effects::gaussPass(image, window, p.lines % 2 == 0 ? effects::BlurAxis::Rows
                                                                         : effects::BlurAxis::Columns),
                      image);
    }

    // The window's wash slot: one pass with lines, length and window size from
    // the input.
    {
        const int halfWidth = p.halfWidth < 0 ? p.halfWidth : p.halfWidth % 2001;
        QVector<double> window(2 * std::max(halfWidth, 0) + 1, 0.5);
        QImage temp;
        effects::wash(image, temp, p.lines, p.length, halfWidth, window.data(), p.lines % 2 == 0);
        sameSizeRgb32(temp, image);
        effects::wash(image, temp, p.length, p.lines, halfWidth, nullptr, p.length % 2 == 0);
        sameSizeRgb32(temp, image);
    }

    // Median.
    {
        const QImage result = effects::median(image, p.med);
        sameSizeRgb32(result, image);
        if (compare && p.med >= effects::medianSize.minimum && p.med <= effects::medianSize.maximum)
            samePixels(result, reference::median(image, p.med), "median");
    }

    // Sharpening: the editor blurs first.
    {
        const QImage soft = effects::gaussBlur(image, effects::sharpenBlurSigma);
        const QImage result = effects::sharpen(image, soft, p.sha);
        FUZZ_CHECK(result.size() == image.size(), image);
        if (compare && inEditorRange(p.sha, effects::sharpenStrength))
            samePixels(result, reference::sharpen(image, soft, p.sha), "sharpen");
        // A blurred image of another size (the library takes the original there).
        const QImage odd = effects::sharpen(image, blurred.copy(0, 0, blurred.width() / 2,
                                                                blurred.height() + 1),
                                            p.sha);
        FUZZ_CHECK(odd.size() == image.size(), image);
    }

    // Gray world.
    {
        const QImage result = effects::grayWorld(image);
        sameSizeRgb32(result, image);
        if (compare)
            samePixels(result, reference::grayWorld(image), "grayworld");
    }

    // Waves (the editor refuses a wave length of 0; the library must not care).
    {
        const QImage result = effects::waves(image, p.wadl, p.waam);
        sameSizeRgb32(result, image);
        if (compare && inEditorRange(p.wadl, 0.01, effects::waveLength.maximum)
            && inEditorRange(p.waam, effects::waveAmplitude))
            samePixels(result, reference::waves(image, p.wadl, p.waam), "waves");
    }

    // Contrast stretches: each channel, the editor's Linear and Channel, and the
    // window's extension slot with the channel number from the input, into a
    // fresh target and into the source.
    {
        for (int channel = effects::StretchBrightness; channel <= effects::StretchRed; ++channel) {
            const QImage result = effects::stretch(image, effects::StretchChannel(channel));
            sameSizeRgb32(result, image);
            if (compare)
                samePixels(result, reference::extension(image, channel), "stretch");
        }
        FUZZ_CHECK(effects::linearStretch(image).size() == image.size(), image);
        FUZZ_CHECK(effects::channelStretch(image).size() == image.size(), image);

        QImage odd;
        effects::extension(image, odd, p.channels);
        sameSizeRgb32(odd, image);
        if (compare && p.channels >= 0 && p.channels <= 3)
            samePixels(odd, reference::extension(image, p.channels), "extension");
        QImage inPlace = image.convertToFormat(QImage::Format_RGB32);
        effects::extension(inPlace, inPlace, p.channels);
        FUZZ_CHECK(inPlace.size() == image.size(), image);
    }

    // The four-neighbour sample at any position.
    if (!image.isNull()) {
        const effects::PixelRows rows(image);
        FUZZ_CHECK(rows.width() == image.width() && rows.height() == image.height(), image);
        // The toolkit's readers can leave the filler byte of RGB32 words unset (rows
        // that a truncated BMP or GIF never reached hold whatever the memory held);
        // pixel() reads it as 0xff, and so must every effect.
        const QRgb filler = image.format() == QImage::Format_RGB32 ? 0xff000000u : 0u;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                FUZZ_CHECK((rows.at(x, y) | filler) == image.pixel(x, y), image);
        const QRgb sample = effects::fourNeighbourSample(rows, p.sampleX, p.sampleY);
        if (compare && inEditorRange(p.sampleX, -2, 66) && inEditorRange(p.sampleY, -2, 66))
            FUZZ_CHECK(sample == reference::fourNeighbourSample(image, p.sampleX, p.sampleY),
                       image);
    }
}

} // namespace fuzz

#endif
