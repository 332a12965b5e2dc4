#include "reference.h"

#include "fourneighbour.h"

#include <cmath>

namespace reference {

namespace {

// Lower neighbour, upper neighbour and fraction along one axis for destination
// coordinate d, with ratio = (new size - 1) / (old size - 1).
void neighbours(int d, int oldSize, int newSize, int &lower, int &upper, double &fraction)
{
    if (oldSize == 1) {
        // The only column (row): no second neighbour to blend with.
        lower = 0;
        upper = 0;
        fraction = 0;
        return;
    }
    const double ratio = double(newSize - 1) / (oldSize - 1);
    // A single column (row) would be 0 / 0: it samples position 0.
    const double position = newSize == 1 ? 0.0 : d / ratio;
    lower = int(std::trunc(position));
    if (lower < 0)
        lower = 0;
    else if (lower >= oldSize - 1)
        lower = oldSize - 2;
    upper = lower + 1;
    fraction = position - lower;
}

} // namespace

QImage resample(const QImage &source, int percent)
{
    const int koef = percent;
    const int width = source.width();
    const int height = source.height();
    const qint64 nw = qint64(width) * koef / 100;
    const qint64 nh = qint64(height) * koef / 100;
    const qint64 limit = qint64(1) << 28;
    if (nw <= 0 || nh <= 0 || nw > limit || nh > limit || nw * nh > limit)
        return QImage();
    QImage temp(int(nw), int(nh), QImage::Format_RGB32);
    if (temp.isNull())
        return QImage();

    for (int i = 0; i < nh; ++i) {
        for (int j = 0; j < nw; ++j) {
            int hd, hd1, wd, wd1;
            double hdr, wdr;
            neighbours(i, height, int(nh), hd, hd1, hdr);
            neighbours(j, width, int(nw), wd, wd1, wdr);
            temp.setPixel(j, i, effects::fourNeighbourWord<effects::WeightOrder::Resample>(
                                    source.pixel(wd, hd), source.pixel(wd, hd1), source.pixel(wd1, hd1),
                                    source.pixel(wd1, hd), wdr, hdr));
        }
    }
    return temp;
}

} // namespace reference
