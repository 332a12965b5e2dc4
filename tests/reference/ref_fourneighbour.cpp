// The four-neighbour sample, each neighbour read with pixel(): the position test
// and the blend are the library's formulas (fourneighbour.h), checked there
// against their own tables.

#include "reference.h"

#include "fourneighbour.h"

namespace reference {

QRgb fourNeighbourSample(const QImage &source, double xtemp, double ytemp)
{
    return effects::fourNeighbourSampleOf([&](int x, int y) { return source.pixel(x, y); }, source.width(),
                                          source.height(), xtemp, ytemp);
}

} // namespace reference
