#ifndef GLIMMERIX_EFFECTS_MEDIAN_H
#define GLIMMERIX_EFFECTS_MEDIAN_H

#include "parameter.h"

#include <QImage>

namespace effects {

// The window size the editor offers: 3, 5, 7 or 9.
constexpr Parameter<int> medianSize{3, 9, 2, 3};

// The odd window size actually used for a requested size: an even size is
// lowered to the odd size below it; a size below 3 gives 1 (no filtering).
int medianWindowSize(int requestedSize);

// Median by brightness: every pixel whose size x size window lies inside the
// image takes the whole word of the window pixel that the selection sort of the
// window's brightnesses (places running down each column, columns left to right)
// puts in the middle place. The border strip and images smaller than the window
// keep their unfiltered pixels. Result: RGB32, alpha 255. Runs on threadCount()
// threads; the result is the same for every thread count and instruction set.
QImage median(const QImage &source, int requestedSize);

} // namespace effects

#endif
