#ifndef GLIMMERIX_EFFECTS_GRAYWORLD_H
#define GLIMMERIX_EFFECTS_GRAYWORLD_H

#include <QImage>

namespace effects {

// Gray-world balance: channel means accumulated as sums of value / N (columns
// outer, rows inner), gray level double(float(meanR + meanG + meanB)) / 3, and
// every channel becomes trunc((value * gray) / mean), limited to 255 (0 where the
// mean is 0). Result: RGB32. The sums are one chain of additions in that order on
// one thread; the balance is a 256-entry table per channel, applied in parallel.
QImage grayWorld(const QImage &source);

} // namespace effects

#endif
