#ifndef GLIMMERIX_EFFECTS_FOURNEIGHBOURAXES_H
#define GLIMMERIX_EFFECTS_FOURNEIGHBOURAXES_H

// fourNeighbourSample() for positions whose x depends on the column alone and whose
// y on the row alone (zoom, waves): the inside test, the neighbours and the
// fraction are worked out once per column and once per row, and each pixel only
// blends (blendSeparableRow() in fourneighbourrows.h), with the very operations of
// fourNeighbourSample() in the same order.

#include <vector>

namespace effects {

// One axis of a sample position: lower and upper neighbour and the fraction, or
// not inside (the sample is black).
struct AxisNeighbours
{
    int lower = 0;
    int upper = 0;
    double fraction = 0;
    bool inside = false;
};

// Decided on the doubles before any cast, as fourNeighbourSample() does: inside
// means -1 < position <= size - 1 with the upper neighbour inside the image too.
inline AxisNeighbours axisNeighbours(double position, int size)
{
    AxisNeighbours axis;
    if (!(position > -1.0 && position <= double(size - 1)))
        return axis;
    axis.lower = int(position);
    axis.upper = position == axis.lower ? axis.lower : axis.lower + 1;
    if (axis.upper >= size)
        return axis;
    axis.fraction = position - axis.lower;
    axis.inside = true;
    return axis;
}

inline std::vector<AxisNeighbours> axisNeighbours(const std::vector<double> &positions, int size)
{
    std::vector<AxisNeighbours> axes(positions.size());
    for (size_t i = 0; i < positions.size(); ++i)
        axes[i] = axisNeighbours(positions[i], size);
    return axes;
}

} // namespace effects

#endif
