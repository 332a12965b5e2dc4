#include "fourneighbour.h"

namespace effects {

QRgb fourNeighbourSample(const PixelRows &source, double x, double y)
{
    return fourNeighbourSampleOf([&](int column, int row) { return source.at(column, row); }, source.width(),
                                 source.height(), x, y);
}

} // namespace effects
