#ifndef GLIMMERIX_EFFECTS_STRETCH_H
#define GLIMMERIX_EFFECTS_STRETCH_H

#include <QImage>

namespace effects {

// Which quantity a contrast stretch measures and rewrites.
enum StretchChannel {
    StretchBrightness = 0, // histogram of brightness; red, green and blue all mapped
    StretchBlue = 1,
    StretchGreen = 2,
    StretchRed = 3,
};

// One linear contrast stretch: the lowest and highest occupied histogram bins
// min and max of the measured quantity map onto 0..255 through
// (value - min) * (255.0 / (max - min)), limited to 0..255 and truncated; channels
// not selected keep their values. Reads the source as pixel() does. Result: RGB32
// (alpha 255); a null image for an empty source. Both passes run in parallel (the
// histogram's counts are integers, added up band by band).
QImage stretch(const QImage &source, StretchChannel channel);

// The editor's Linear and Channel commands: stretch(.., StretchBrightness), and
// the three stretches of blue, green and red one after the other.
QImage linearStretch(const QImage &source);
QImage channelStretch(const QImage &source);

// The editor's extension slot, as an adapter over stretch(): writes every pixel
// of target, an RGB32 image of the source's size (a target of another size or
// format, or one that shares its pixels, is replaced by a new one; target may be
// the source itself). An empty source writes nothing. A channels value outside
// 0..3 copies the source's colours unchanged (alpha 255).
void extension(const QImage &source, QImage &target, int channels);

} // namespace effects

#endif
