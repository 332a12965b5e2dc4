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
// min and max map onto 0..255 through (value - min) * (255.0 / (max - min)),
// limited to 0..255 and truncated; channels not selected keep their values.
// Writes every pixel of target, an RGB32 image of the source's size (a target of
// another size or format is replaced by a new one; target may be the source
// itself). An empty source writes nothing. A channels value outside 0..3 copies
// the source's colours unchanged (alpha 255). Both passes run in parallel (the
// histogram's counts are integers, added up band by band).
void extension(const QImage &source, QImage &target, int channels);

// Convenience forms. Result: RGB32.
QImage linearStretch(const QImage &source);   // extension(.., 0)
QImage channelStretch(const QImage &source);  // as extension(.., 1), then 2, then 3, in one pass

} // namespace effects

#endif
