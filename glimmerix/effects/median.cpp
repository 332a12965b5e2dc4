#include "median.h"

#include "brightness.h"
#include "pixelrows.h"

#include <vector>

namespace effects {

int medianWindowSize(int requestedSize)
{
    if (requestedSize < 3)
        return 1;
    return requestedSize % 2 == 0 ? requestedSize - 1 : requestedSize;
}

QImage median(const QImage &source, int requestedSize)
{
    const PixelRows in(source);
    const int width = in.width();
    const int height = in.height();
    QImage out = newRgb32(width, height);
    if (out.isNull())
        return out;

    // Every pixel starts as its unfiltered word (alpha 255, as in any RGB32 image);
    // the border strip, and an image smaller than the window, keep it.
    for (int y = 0; y < height; ++y) {
        const QRgb *line = in.row(y);
        QRgb *target = writableRow(out, y);
        for (int x = 0; x < width; ++x)
            target[x] = line[x] | 0xff000000u;
    }

    const int size = medianWindowSize(requestedSize);
    if (size < 3 || size > width || size > height)
        return out;
    const int ost = (size - 1) / 2;
    const int places = size * size;
    const int middle = (places - 1) / 2;

    // The brightness of every pixel, computed once.
    std::vector<int> bright(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const QRgb *line = in.row(y);
        int *b = bright.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            b[x] = brightness(line[x]);
    }

    // One entry per place: its brightness and the place its pixel was gathered
    // into, (ost + dx) * size + (ost + dy). Entries move together.
    std::vector<int> key(places);
    std::vector<int> origin(places);
    for (int y = ost; y < height - ost; ++y) {
        QRgb *target = writableRow(out, y);
        for (int x = ost; x < width - ost; ++x) {
            int place = 0;
            for (int k = -ost; k <= ost; ++k) {
                const int *column = bright.data() + static_cast<size_t>(y - ost) * width + (x + k);
                for (int l = 0; l < size; ++l, ++place) {
                    key[place] = column[static_cast<size_t>(l) * width];
                    origin[place] = place;
                }
            }
            // Selection sort, stopped once the middle place is filled: the least
            // brightness from place k on (the lowest such place on ties) is
            // exchanged with the entry at place k.
            for (int k = 0; k <= middle; ++k) {
                int candidate = key[k];
                int candidateOrigin = origin[k];
                int n = k;
                for (int l = k + 1; l < places; ++l) {
                    if (key[l] < candidate) {
                        candidate = key[l];
                        candidateOrigin = origin[l];
                        n = l;
                    }
                }
                key[n] = key[k];
                origin[n] = origin[k];
                key[k] = candidate;
                origin[k] = candidateOrigin;
            }
            const int chosen = origin[middle];
            const int dx = chosen / size - ost;
            const int dy = chosen % size - ost;
            target[x] = in.at(x + dx, y + dy) | 0xff000000u;
        }
    }
    return out;
}

} // namespace effects
